// The virtual bus keeps the platform's rules and offers what the tests of the module need:
// inside a MIDI callback only the two sends are allowed, a port can refuse for good, and input
// can be delivered on the injecting thread.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "support/case_name.h"
#include "support/virtual_surface.h"

namespace {

const BYTE kSysEx[] = {0xF0, 0x7D, 0x01, 0xF7};

struct Ports {
    HMIDIIN in = nullptr;
    HMIDIOUT out = nullptr;
};

// What the input callback does with the message it gets.
std::function<void(const Ports&)> onInput;
Ports openPorts;
std::atomic<std::thread::id> inputThread;

void CALLBACK InputCallback(HMIDIIN, UINT message, DWORD_PTR, DWORD_PTR, DWORD_PTR) {
    if (message != MIM_DATA)
        return;
    inputThread.store(std::this_thread::get_id());
    if (onInput)
        onInput(openPorts);
}

// What the counters said when the output callback was told a buffer was done.
DWORD completedWhenToldDone = 0;

void CALLBACK OutputCallback(HMIDIOUT, UINT message, DWORD_PTR, DWORD_PTR, DWORD_PTR) {
    if (message == MOM_DONE)
        completedWhenToldDone = BusCounters().longCompleted;
}

class BusRules : public testing::Test {
protected:
    void SetUp() override {
        StandinBusReset();
        surface = std::make_unique<VirtualSurface>();
        ASSERT_EQ(midiInOpen(&openPorts.in, 0, reinterpret_cast<DWORD_PTR>(&InputCallback), 0,
                             CALLBACK_FUNCTION),
                  MMSYSERR_NOERROR);
        ASSERT_EQ(midiOutOpen(&openPorts.out, 0, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
        ASSERT_EQ(midiInStart(openPorts.in), MMSYSERR_NOERROR);
    }
    void TearDown() override {
        onInput = nullptr;
        VirtualSurface::WaitIdle();
        midiInReset(openPorts.in);
        midiInClose(openPorts.in);
        midiOutClose(openPorts.out);
        StandinBusDeliverOnCaller(0);
        surface.reset();
        StandinBusReset();
    }

    std::unique_ptr<VirtualSurface> surface;
};

struct CallInCallback {
    std::string name;
    bool allowed;
    void (*call)(const Ports& ports);
};

void PrintTo(const CallInCallback& call, std::ostream* out) {
    *out << call.name;
}

const CallInCallback kCallsInCallback[] = {
    {"midiOutShortMsg", true, [](const Ports& p) { midiOutShortMsg(p.out, 0x7F3C90); }},
    {"midiOutLongMsg", true,
     [](const Ports& p) {
         // Prepared outside the callback, as the platform requires; sent from inside.
         static MIDIHDR header;
         midiOutLongMsg(p.out, &header, sizeof header);
     }},
    {"midiOutGetErrorTextA", false,
     [](const Ports&) {
         char text[128];
         midiOutGetErrorTextA(MMSYSERR_ERROR, text, sizeof text);
     }},
    {"midiInGetErrorTextA", false,
     [](const Ports&) {
         char text[128];
         midiInGetErrorTextA(MMSYSERR_ERROR, text, sizeof text);
     }},
    {"midiOutGetNumDevs", false, [](const Ports&) { midiOutGetNumDevs(); }},
    {"midiInGetDevCapsA", false,
     [](const Ports&) {
         MIDIINCAPSA caps;
         midiInGetDevCapsA(0, &caps, sizeof caps);
     }},
    {"midiInStop", false, [](const Ports& p) { midiInStop(p.in); }},
    {"midiOutPrepareHeader", false,
     [](const Ports& p) {
         static MIDIHDR header = {};
         header.lpData = reinterpret_cast<LPSTR>(const_cast<BYTE*>(kSysEx));
         header.dwBufferLength = sizeof kSysEx;
         midiOutPrepareHeader(p.out, &header, sizeof header);
     }},
};

class CallsInsideACallback : public BusRules, public testing::WithParamInterface<CallInCallback> {};

TEST_P(CallsInsideACallback, AreMisuseUnlessThePlatformAllowsThem) {
    const CallInCallback& tried = GetParam();
    onInput = [&tried](const Ports& ports) { tried.call(ports); };
    surface->Send(NoteOn(60, 127));
    char misuse[160] = {};
    StandinBusLastMisuse(misuse, sizeof misuse);
    if (tried.allowed) {
        EXPECT_EQ(BusCounters().misuse, 0u) << misuse;
    } else {
        EXPECT_GE(BusCounters().misuse, 1u);
        EXPECT_EQ(std::string(misuse), tried.name + " inside a MIDI callback");
    }
}

INSTANTIATE_TEST_SUITE_P(Calls, CallsInsideACallback, testing::ValuesIn(kCallsInCallback),
                         CaseName());

TEST_F(BusRules, APortThatRefusesForGoodRefusesUntilToldOtherwise) {
    StandinBusFailAlways(STANDIN_BUS_SEND_SHORT, MIDIERR_NOTREADY);
    for (int attempt = 0; attempt < 3; ++attempt)
        EXPECT_EQ(midiOutShortMsg(openPorts.out, 0x7F3C90),
                  static_cast<MMRESULT>(MIDIERR_NOTREADY));
    StandinBusFailAlways(STANDIN_BUS_SEND_SHORT, MMSYSERR_NOERROR);
    EXPECT_EQ(midiOutShortMsg(openPorts.out, 0x7F3C90), static_cast<MMRESULT>(MMSYSERR_NOERROR));
}

// A sender that waits until its buffers are done and then reads the counters finds them all.
TEST_F(BusRules, ABufferIsCountedCompletedByTheTimeItsSenderIsTold) {
    ASSERT_EQ(midiOutClose(openPorts.out), MMSYSERR_NOERROR);
    ASSERT_EQ(midiOutOpen(&openPorts.out, 0, reinterpret_cast<DWORD_PTR>(&OutputCallback), 0,
                          CALLBACK_FUNCTION),
              MMSYSERR_NOERROR);
    MIDIHDR header = {};
    header.lpData = reinterpret_cast<LPSTR>(const_cast<BYTE*>(kSysEx));
    header.dwBufferLength = sizeof kSysEx;
    ASSERT_EQ(midiOutPrepareHeader(openPorts.out, &header, sizeof header), MMSYSERR_NOERROR);
    ASSERT_EQ(midiOutLongMsg(openPorts.out, &header, sizeof header), MMSYSERR_NOERROR);
    VirtualSurface::WaitIdle();
    EXPECT_EQ(completedWhenToldDone, 1u);
    EXPECT_EQ(midiOutUnprepareHeader(openPorts.out, &header, sizeof header), MMSYSERR_NOERROR);
}

TEST_F(BusRules, OnTheCallersThreadInputAndCompletionsComeAtOnce) {
    StandinBusDeliverOnCaller(1);
    StandinBusInject(surface->inputPort, NoteOn(60, 127));
    EXPECT_EQ(inputThread.load(), std::this_thread::get_id());
    EXPECT_EQ(BusCounters().delivered, 1u);

    MIDIHDR header = {};
    header.lpData = reinterpret_cast<LPSTR>(const_cast<BYTE*>(kSysEx));
    header.dwBufferLength = sizeof kSysEx;
    ASSERT_EQ(midiOutPrepareHeader(openPorts.out, &header, sizeof header), MMSYSERR_NOERROR);
    StandinBusSetCompletionDelay(10000); // no delay on the caller's thread
    ASSERT_EQ(midiOutLongMsg(openPorts.out, &header, sizeof header), MMSYSERR_NOERROR);
    EXPECT_NE(header.dwFlags & MHDR_DONE, 0u);
    EXPECT_EQ(midiOutUnprepareHeader(openPorts.out, &header, sizeof header), MMSYSERR_NOERROR);

    // A message injected from inside a callback comes right after that callback returns.
    int calls = 0;
    bool nestedDelivered = false;
    const int port = surface->inputPort;
    onInput = [&](const Ports&) {
        if (calls++ == 0) {
            StandinBusInject(port, NoteOn(61, 127));
            nestedDelivered = calls > 1; // not yet: this callback is still running
        }
    };
    StandinBusInject(port, NoteOn(60, 127));
    EXPECT_FALSE(nestedDelivered);
    EXPECT_EQ(calls, 2);
}

} // namespace
