// The output device against the bus: states, failures, pending long messages and their
// release, never while the platform still holds a buffer.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "device_test.h"
#include "midi/midi_out_device.h"
#include "support/debug_capture.h"
#include "support/virtual_surface.h"

namespace {

const std::vector<uint8_t> kLine = DisplayLineMessage(SysEx::kLine1Position, "Level");
const DWORD kLed = NoteOn(Note::Record, kPressedVelocity);

class OutputDeviceTest : public DeviceTest<midi::CMIDIOutDevice> {
protected:
    // Sends `message` as one long message.
    void SendLong(const std::vector<uint8_t>& message) {
        device->SendLong(message.data(), static_cast<DWORD>(message.size()));
    }
};

TEST_F(OutputDeviceTest, SendsOnAClosedDeviceDoNothing) {
    device->SendShort(kLed);
    SendLong(kLine);
    device->ClosePort();
    EXPECT_FALSE(device->IsPortOpen());
    EXPECT_EQ(BusCounters().shortSent + BusCounters().longSent, 0u);
}

TEST_F(OutputDeviceTest, OpenFailureRaisesThePlatformTextAndLeavesItClosed) {
    device->OpenPort(0);
    ASSERT_TRUE(device->IsPortOpen());
    try {
        device->OpenPort(7); // no such port
        FAIL() << "no exception";
    } catch (const midi::CMIDIOutException& error) {
        EXPECT_STREQ(error.what(),
                     "A device ID has been used that is out of range for your system.");
    }
    EXPECT_FALSE(device->IsPortOpen());
    EXPECT_EQ(BusCounters().openOutputs, 0u); // the old port was closed first
    device->SendShort(kLed);
    EXPECT_EQ(BusCounters().shortSent, 0u);
}

// Only the refusals that mean the device is gone say so; a reopened port starts afresh.
TEST_F(OutputDeviceTest, RefusalsTellWhetherTheDeviceIsGone) {
    const struct {
        StandinBusOperation operation;
        MMRESULT result;
        bool gone;
    } cases[] = {
        {STANDIN_BUS_SEND_SHORT, MIDIERR_NOTREADY, false},
        {STANDIN_BUS_SEND_LONG, MMSYSERR_NOMEM, false},
        {STANDIN_BUS_PREPARE_OUTPUT, MMSYSERR_INVALPARAM, false},
        {STANDIN_BUS_SEND_SHORT, MMSYSERR_NODRIVER, true},
        {STANDIN_BUS_SEND_LONG, MIDIERR_NODEVICE, true},
        {STANDIN_BUS_PREPARE_OUTPUT, MMSYSERR_BADDEVICEID, true},
        {STANDIN_BUS_SEND_SHORT, MMSYSERR_INVALHANDLE, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.result);
        device->OpenPort(0);
        StandinBusFailNext(c.operation, c.result);
        try {
            if (c.operation == STANDIN_BUS_SEND_SHORT)
                device->SendShort(kLed);
            else
                SendLong(kLine);
            FAIL() << "no exception";
        } catch (const midi::CMIDIOutException& refusal) {
            EXPECT_EQ(refusal.DeviceGone(), c.gone);
        }
        EXPECT_EQ(device->DeviceGone(), c.gone);
    }
    device->OpenPort(0);
    EXPECT_FALSE(device->DeviceGone());
}

TEST_F(OutputDeviceTest, ReopenReleasesPendingAndClosesTheOldPort) {
    StandinBusAddPort(STANDIN_BUS_OUTPUT, "Second");
    device->OpenPort(0);
    StandinBusHoldCompletions(1);
    SendLong(kLine);
    EXPECT_EQ(device->PendingCount(), 1u);
    StandinBusHoldCompletions(0);
    StandinBusReleaseCompletions(-1);
    device->OpenPort(1);
    EXPECT_EQ(device->PendingCount(), 0u);
    EXPECT_EQ(BusCounters().openOutputs, 1u);
}

TEST_F(OutputDeviceTest, FailingSendsRaiseAndLeaveNothingPending) {
    device->OpenPort(0);
    StandinBusFailNext(STANDIN_BUS_SEND_SHORT, MMSYSERR_NOTENABLED);
    EXPECT_THROW(device->SendShort(kLed), midi::CMIDIOutException);
    StandinBusFailNext(STANDIN_BUS_PREPARE_OUTPUT, MMSYSERR_NOMEM);
    EXPECT_THROW(SendLong(kLine), midi::CMIDIOutException);
    StandinBusFailNext(STANDIN_BUS_SEND_LONG, MIDIERR_NOTREADY);
    EXPECT_THROW(SendLong(kLine), midi::CMIDIOutException);
    EXPECT_EQ(device->PendingCount(), 0u);
    EXPECT_EQ(BusCounters().preparedHeaders, 0u);
    EXPECT_TRUE(device->IsPortOpen());
}

TEST_F(OutputDeviceTest, TheRecordKeepsTheBytesAfterTheSenderDropsThem) {
    device->OpenPort(0);
    StandinBusSetCompletionDelay(30);
    {
        std::vector<BYTE> bytes = kLine;
        device->SendLong(bytes.data(), static_cast<DWORD>(bytes.size()));
        std::fill(bytes.begin(), bytes.end(), 0xEE); // the sender reuses its memory
    }
    VirtualSurface::WaitIdle();
    EXPECT_EQ(surface->LongMessages().at(0), kLine);
}

// The worker runs on its own; this waits (in real time, bounded) until it has caught up.
static bool PendingSettlesAt(midi::CMIDIOutDevice& device, size_t expected) {
    for (int attempt = 0; attempt < 200000; ++attempt) {
        if (device.PendingCount() == expected)
            return true;
        std::this_thread::yield();
    }
    return device.PendingCount() == expected;
}

TEST_F(OutputDeviceTest, EveryCompletionReleasesOneRecordAndNoMore) {
    device->OpenPort(0);
    StandinBusHoldCompletions(1);
    for (int i = 0; i < 3; ++i)
        SendLong(kLine);
    EXPECT_EQ(device->PendingCount(), 3u);
    // Two complete back to back: the worker may wake once for both and must release both,
    // and not the third, which the platform still holds.
    StandinBusReleaseCompletions(2);
    VirtualSurface::WaitIdle();
    EXPECT_TRUE(PendingSettlesAt(*device, 1u));
    StandinBusReleaseCompletions(1);
    VirtualSurface::WaitIdle();
    EXPECT_TRUE(PendingSettlesAt(*device, 0u));
    StandinBusHoldCompletions(0);
}

TEST_F(OutputDeviceTest, CloseWaitsForTheBuffersThePlatformStillHolds) {
    device->OpenPort(0);
    StandinBusSetCompletionDelay(50);
    for (int line = 0; line < 5; ++line)
        SendLong(kLine);
    device->ClosePort();
    EXPECT_EQ(device->PendingCount(), 0u);
    EXPECT_EQ(BusCounters().longCompleted, 5u);
    EXPECT_EQ(BusCounters().outputResets, 0u); // no note-off storm at an ordinary close
}

TEST_F(OutputDeviceTest, CloseResetsAPortThatNeverFinishesAsALastResort) {
    DebugCapture debug;
    device->OpenPort(0);
    StandinBusHoldCompletions(1);
    SendLong(kLine);
    device->ClosePort();
    EXPECT_EQ(device->PendingCount(), 0u);
    EXPECT_EQ(BusCounters().outputResets, 1u);
    EXPECT_NE(debug.Text().find("resetting the port"), std::string::npos);
    StandinBusHoldCompletions(0);
}

// Two threads may send at once. The queue keeps the order in which the platform accepted the
// buffers, so releasing one completion at a time never frees a buffer the platform still holds.
TEST_F(OutputDeviceTest, TwoSendersNeverHaveABufferReleasedThatThePlatformHolds) {
    constexpr int kRuns = 40;
    constexpr int kPerSender = 8;
    const std::vector<uint8_t> other = DisplayLineMessage(SysEx::kLine2Position, "Pan");
    device->OpenPort(0);
    for (int run = 0; run < kRuns; ++run) {
        StandinBusHoldCompletions(1);
        std::thread second([&] {
            for (int i = 0; i < kPerSender; ++i)
                SendLong(other);
        });
        for (int i = 0; i < kPerSender; ++i)
            SendLong(kLine);
        second.join();
        for (int released = 0; released < 2 * kPerSender; ++released) {
            StandinBusReleaseCompletions(1);
            VirtualSurface::WaitIdle();
            ASSERT_EQ(BusCounters().misuse, 0u) << "run " << run << ", release " << released;
        }
        ASSERT_TRUE(PendingSettlesAt(*device, 0u));
        StandinBusHoldCompletions(0);
    }
}

// The last resort fails too: the port keeps the buffers it never finished, and the memory it
// may still write is never freed; its callback still finds what it reaches.
TEST_F(OutputDeviceTest, APortThatNeverFinishesKeepsItsBuffersAndIsLeftOpen) {
    DebugCapture debug;
    device->OpenPort(0);
    StandinBusHoldCompletions(1);
    SendLong(kLine);
    StandinBusFailNext(STANDIN_BUS_RESET_OUTPUT, MMSYSERR_NOTSUPPORTED);
    device->ClosePort(); // gives the port 2 s of real time
    EXPECT_NE(debug.Text().find("the port never finished some buffers"), std::string::npos);
    EXPECT_EQ(BusCounters().misuse, 0u); // nothing unprepared or closed under the platform
    EXPECT_EQ(BusCounters().openOutputs, 1u);
    device.reset();
    StandinBusReleaseCompletions(-1); // the platform finishes after all
    VirtualSurface::WaitIdle();
    StandinBusReset(); // and closes the port, with its notice to the callback
}

TEST_F(OutputDeviceTest, APortThatWillNotCloseKeepsWhatItsCallbackReaches) {
    DebugCapture debug;
    device->OpenPort(0);
    StandinBusFailNext(STANDIN_BUS_CLOSE_OUTPUT, MMSYSERR_ERROR);
    device.reset();
    EXPECT_NE(debug.Text().find("closing a MIDI output port: Undefined external error."),
              std::string::npos);
    EXPECT_EQ(BusCounters().openOutputs, 1u);
    StandinBusReset(); // the close notice reaches a callback target that is still there
}

TEST_F(OutputDeviceTest, AnUnpluggedPortFailsSendsAndStillCloses) {
    device->OpenPort(0);
    surface->Unplug();
    EXPECT_THROW(device->SendShort(kLed), midi::CMIDIOutException);
    EXPECT_THROW(SendLong(kLine), midi::CMIDIOutException);
    device->ClosePort();
    EXPECT_FALSE(device->IsPortOpen());
}

TEST_F(OutputDeviceTest, CapabilitiesNameThePortOrRaise) {
    MIDIOUTCAPSA caps = {};
    midi::CMIDIOutDevice::QueryCaps(0, caps);
    EXPECT_STREQ(caps.szPname, "Korvane");
    EXPECT_THROW(midi::CMIDIOutDevice::QueryCaps(3, caps), midi::CMIDIOutException);
    StandinBusFailNext(STANDIN_BUS_CAPS_OUTPUT, MMSYSERR_NODRIVER);
    EXPECT_THROW(midi::CMIDIOutDevice::QueryCaps(0, caps), midi::CMIDIOutException);
}

TEST(OutputExceptionTest, PlatformTextIsCutTo127Characters) {
    StandinBusReset();
    const std::string longText(300, 'e');
    StandinBusSetErrorText(MMSYSERR_ERROR, longText.c_str());
    EXPECT_EQ(std::string(midi::CMIDIOutException(MMSYSERR_ERROR).what()), longText.substr(0, 127));
    StandinBusSetErrorText(MMSYSERR_ERROR, nullptr);
    EXPECT_STREQ(midi::CMIDIOutException(MMSYSERR_ERROR).what(), "Undefined external error.");
    // The platform's own text for MMSYSERR_NOMEM is longer than the exception's buffer.
    EXPECT_EQ(std::string(midi::CMIDIOutException(MMSYSERR_NOMEM).what()).size(), 127u);
    EXPECT_STREQ(midi::CMIDIOutException(12345).what(), "Unknown MIDI output error 12345");
}

TEST(OutputExceptionTest, FixedTexts) {
    EXPECT_STREQ(midi::CMIDIOutEventFailure().what(),
                 "Unable to create a signalling event for CMIDIOutDevice object.");
    const midi::CMIDIOutMemFailure failure;
    const std::bad_alloc& asBadAlloc = failure;
    EXPECT_STREQ(asBadAlloc.what(), "Memory allocation within a CMIDIOutDevice object failed.");
}

} // namespace
