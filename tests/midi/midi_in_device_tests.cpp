// The input device against the bus: states, failures, and delivery to the receiver on the
// bus's thread, in order.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "device_test.h"
#include "midi/midi_in_device.h"
#include "support/virtual_surface.h"

namespace {

class RecordingReceiver : public midi::CMIDIReceiver {
public:
    void OnLongMsg(const BYTE*, DWORD, DWORD) override { ++longMessages; }
    void OnShortMsg(DWORD word, DWORD) override {
        std::lock_guard<std::mutex> guard(lock);
        words.push_back(word);
        threads.push_back(std::this_thread::get_id());
    }
    void OnLongMsgError(const BYTE*, DWORD, DWORD) override { ++longMessages; }
    void OnShortMsgError(DWORD, DWORD) override {}

    std::mutex lock;
    std::vector<DWORD> words;
    std::vector<std::thread::id> threads;
    int longMessages = 0;
};

class InputDeviceTest : public DeviceTest<midi::CMIDIInDevice> {
protected:
    void OpenAndListen() {
        EXPECT_EQ(device->AttachReceiver(&receiver), nullptr);
        device->OpenPort(0);
        device->StartListening();
    }

    RecordingReceiver receiver;
};

TEST_F(InputDeviceTest, DeliversEveryMessageInOrderOnTheBusThread) {
    OpenAndListen();
    std::vector<DWORD> sent;
    for (DWORD i = 0; i < 500; ++i) {
        sent.push_back(NoteOn(static_cast<uint8_t>(i % 128), 127));
        surface->Inject(sent.back());
    }
    VirtualSurface::WaitIdle();
    EXPECT_EQ(receiver.words, sent);
    for (const auto& thread : receiver.threads)
        EXPECT_NE(thread, std::this_thread::get_id());
}

TEST_F(InputDeviceTest, NothingIsDeliveredBeforeListeningOrWithoutAReceiver) {
    device->OpenPort(0);
    surface->Send(NoteOn(1, 127)); // open, not started
    device->StartListening();
    surface->Send(NoteOn(2, 127)); // no receiver attached
    device->AttachReceiver(&receiver);
    surface->Send(NoteOn(3, 127));
    EXPECT_EQ(receiver.words, std::vector<DWORD>{NoteOn(3, 127)});
    EXPECT_EQ(BusCounters().dropped, 1u);
}

TEST_F(InputDeviceTest, StatesFollowOpenStartStopClose) {
    EXPECT_FALSE(device->IsPortOpen());
    device->StopListening();  // nothing to stop
    device->StartListening(); // nothing to start while closed
    EXPECT_FALSE(device->IsListening());
    OpenAndListen();
    EXPECT_TRUE(device->IsListening());
    device->StopListening();
    EXPECT_TRUE(device->IsPortOpen());
    EXPECT_FALSE(device->IsListening());
    surface->Send(NoteOn(1, 127));
    EXPECT_TRUE(receiver.words.empty());
    device->ClosePort();
    EXPECT_FALSE(device->IsPortOpen());
    device->ClosePort();
}

TEST_F(InputDeviceTest, ReopenOfAListeningDeviceStopsAndClosesFirst) {
    StandinBusAddPort(STANDIN_BUS_INPUT, "Other");
    OpenAndListen();
    device->OpenPort(1);
    EXPECT_TRUE(device->IsPortOpen());
    EXPECT_FALSE(device->IsListening());
    EXPECT_EQ(BusCounters().openInputs, 1u);
}

TEST_F(InputDeviceTest, OpenFailureLeavesTheDeviceClosedEvenWhenItWasOpen) {
    OpenAndListen();
    StandinBusFailNext(STANDIN_BUS_OPEN_INPUT, MMSYSERR_ALLOCATED);
    try {
        device->OpenPort(0);
        FAIL() << "no exception";
    } catch (const midi::CMIDIInException& error) {
        EXPECT_STREQ(error.what(), "The specified device is already in use. Wait until it is "
                                   "free, and then try again.");
    }
    EXPECT_FALSE(device->IsPortOpen());
}

TEST_F(InputDeviceTest, FailingStartLeavesItOpenWithNoWorker) {
    device->AttachReceiver(&receiver);
    device->OpenPort(0);
    StandinBusFailNext(STANDIN_BUS_START_INPUT, MMSYSERR_NOMEM);
    EXPECT_THROW(device->StartListening(), midi::CMIDIInException);
    EXPECT_TRUE(device->IsPortOpen());
    EXPECT_FALSE(device->IsListening());
    device->StartListening(); // a second try works
    EXPECT_TRUE(device->IsListening());
}

TEST_F(InputDeviceTest, DestroyingAListeningDeviceStopsAndClosesIt) {
    OpenAndListen();
    device.reset();
    EXPECT_EQ(BusCounters().openInputs, 0u);
}

TEST_F(InputDeviceTest, ACloseFailureInTheDestructorIsReportedNotRaised) {
    OpenAndListen();
    StandinBusFailNext(STANDIN_BUS_CLOSE_INPUT, MMSYSERR_INVALHANDLE);
    device->StopListening();
    EXPECT_THROW(device->ClosePort(), midi::CMIDIInException);
    EXPECT_TRUE(device->IsPortOpen());
    StandinBusFailNext(STANDIN_BUS_CLOSE_INPUT, MMSYSERR_ERROR);
    EXPECT_NO_THROW(device.reset());         // reported on the debugger output
    EXPECT_EQ(BusCounters().openInputs, 1u); // the platform kept the port
    // When the platform closes the port at last, its callback reaches what the device left
    // to it, and no receiver.
    StandinBusReset();
    EXPECT_TRUE(receiver.words.empty());
}

// A receiver that stays in its first message until it is let go, and notes whether the
// device's close had returned by then.
class HeldReceiver : public midi::CMIDIReceiver {
public:
    void OnLongMsg(const BYTE*, DWORD, DWORD) override {}
    void OnShortMsg(DWORD, DWORD) override {
        std::unique_lock<std::mutex> hold(lock);
        inside = true;
        changed.notify_all();
        changed.wait_for(hold, std::chrono::seconds(10), [this] { return letGo; });
        closeReturnedMeanwhile = closeReturned;
    }
    void OnLongMsgError(const BYTE*, DWORD, DWORD) override {}
    void OnShortMsgError(DWORD, DWORD) override {}

    std::mutex lock;
    std::condition_variable changed;
    bool inside = false;
    bool letGo = false;
    bool closeReturned = false;
    bool closeReturnedMeanwhile = false;
};

// The platform does not promise that closing a port waits for a callback in progress; the
// device waits for its own. Real time: the close is given 100 ms to return too early.
TEST_F(InputDeviceTest, CloseWaitsForACallbackInProgress) {
    HeldReceiver held;
    device->AttachReceiver(&held);
    device->OpenPort(0);
    device->StartListening();
    surface->Inject(NoteOn(60, 127));
    std::unique_lock<std::mutex> hold(held.lock);
    ASSERT_TRUE(held.changed.wait_for(hold, std::chrono::seconds(10), [&] { return held.inside; }));
    hold.unlock();
    std::thread closer([&] {
        device->ClosePort();
        std::lock_guard<std::mutex> guard(held.lock);
        held.closeReturned = true;
        held.changed.notify_all();
    });
    hold.lock();
    EXPECT_FALSE(held.changed.wait_for(hold, std::chrono::milliseconds(100),
                                       [&] { return held.closeReturned; }));
    held.letGo = true;
    held.changed.notify_all();
    hold.unlock();
    closer.join();
    EXPECT_FALSE(held.closeReturnedMeanwhile);
    EXPECT_FALSE(device->IsPortOpen());
}

TEST(InputExceptionTest, TextsAreThePlatformsCutTo127) {
    StandinBusReset();
    const std::string longText(200, 'i');
    StandinBusSetErrorText(MMSYSERR_BADDEVICEID, longText.c_str());
    EXPECT_EQ(std::string(midi::CMIDIInException(MMSYSERR_BADDEVICEID).what()),
              longText.substr(0, 127));
    StandinBusSetErrorText(MMSYSERR_BADDEVICEID, nullptr);
    EXPECT_STREQ(midi::CMIDIInEventFailure().what(),
                 "Unable to create a signalling event for CMIDIInDevice object.");
}

} // namespace
