// The plug-in with Hosts that behave as real ones do: one that holds its own lock while it
// notifies and takes it inside every call, one that runs other threads' calls on its own
// thread only while it pumps. Floods of surface input while the Host's thread notifies and
// ticks, and closes with input in flight: nothing hangs (a watchdog ends a deadlocked run),
// every press reaches the Host exactly once, the surface ends showing the Host's last state,
// and after a close the surface is dark and nothing more comes.
//
// KORVANE_HOST_FLOOD_PRESSES and KORVANE_HOST_CLOSE_CYCLES scale the runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "controller/korvane.h"
#include "controls/key_assignments.h"
#include "controls/led.h"
#include "controls/midi_map.h"
#include "host/host_interface.h"
#include "midi/midi_exceptions.h"
#include "platform/standin/far_side.h"
#include "platform/standin/midi_bus.h"
#include "support/case_name.h"
#include "support/controller_fixture.h"
#include "support/surface_messages.h"
#include "support/watchdog.h"

namespace {

constexpr long kDefaultPresses = 300;
constexpr long kDefaultCloseCycles = 25;
// Where the user moves the fader.
constexpr int kLevelPosition = 681;
// The notifications a Host sends while the user works, the level among them.
const int32_t kNotifiedCodes[] = {
    HostParam::Record,       HostParam::TrackState16, HostParam::Solo, HostParam::CurrentTrack,
    HostParam::TrackState20, HostParam::Level,        HostParam::Pan,  HostParam::Name};
const std::string kBlankLine(16, ' ');

long Scale(const char* variable, long fallback) {
    const char* text = std::getenv(variable);
    const long value = text != nullptr ? std::strtol(text, nullptr, 10) : 0;
    return value > 0 ? value : fallback;
}

// One block of what a user does: Stop and F1 clicked (each press must reach the Host once),
// with a touched encoder turned, a touched fader moved, Shift and a mode button in between.
std::vector<DWORD> UserBlock(long block) {
    const auto on = [](uint8_t note) { return NoteOn(note, kPressedVelocity); };
    const auto off = [](uint8_t note) { return NoteOn(note, kReleasedVelocity); };
    std::vector<DWORD> words = {on(Note::Stop), off(Note::Stop), on(Note::F1), off(Note::F1)};
    switch (block % 4) {
    case 0:
        words.insert(words.end(), {on(Note::Encoder1Touch),
                                   ControlChange(ControlNumber::Encoder1Turn, kTurnForward),
                                   off(Note::Encoder1Touch)});
        break;
    case 1:
        words.insert(words.end(),
                     {on(Note::FaderTouch), FaderWord(kLevelPosition), off(Note::FaderTouch)});
        break;
    case 2:
        words.insert(words.end(), {on(Note::Shift), off(Note::Shift)});
        break;
    default:
        words.insert(words.end(), {on(Note::Mode2), off(Note::Mode2), on(Note::PlayMode)});
        break;
    }
    return words;
}

class HostThreadsTest : public ControllerFixture,
                        public testing::WithParamInterface<NamedHostKind> {
protected:
    void SetUp() override {
        ControllerFixture::SetUp();
        host.RecordReads(false);
        host.BecomeKind(GetParam().kind);
    }

    // One turn of the Host's thread: it notifies every code (under its lock, if it has one),
    // then its message loop runs the timer and, for a Host that serves other threads' calls,
    // those calls.
    void HostRound(long round) {
        host.RunNotifying([round] {
            for (int32_t code : kNotifiedCodes)
                UpdateController(code, static_cast<int32_t>(round % 3),
                                 static_cast<int32_t>(round % 2), 0);
        });
        StandinAdvanceClock(kRefreshPeriodMs);
        PumpMessages();
    }

    // Keeps the Host's thread turning until the bus has delivered everything.
    void RunHostUntilIdle(const std::atomic<bool>& feederDone, long& rounds) {
        while (!feederDone.load() || StandinBusWaitIdle(0) == 0)
            HostRound(rounds++);
    }

    size_t CommandEvents(const std::vector<int32_t>& commands, int32_t event) const {
        const std::vector<HostCall> sent = HostCommands();
        return static_cast<size_t>(std::count_if(sent.begin(), sent.end(), [&](const HostCall& c) {
            return c.value == event &&
                   std::find(commands.begin(), commands.end(), c.id) != commands.end();
        }));
    }
};

TEST_P(HostThreadsTest, AFloodOfInputWhileTheHostNotifiesNeverHangsAndLosesNoPress) {
    const long presses = Scale("KORVANE_HOST_FLOOD_PRESSES", kDefaultPresses);
    Watchdog watchdog("the input flood against the Host's thread");
    std::atomic<bool> feederDone{false};
    std::thread feeder([&] {
        for (long block = 0; block < presses; ++block)
            for (DWORD word : UserBlock(block))
                surface->Inject(word);
        feederDone = true;
    });
    long rounds = 0;
    RunHostUntilIdle(feederDone, rounds);
    feeder.join();

    const std::vector<HostCall> sets = HostSets();
    EXPECT_EQ(std::count(sets.begin(), sets.end(), SetCall(HostParam::Stop, 1)), presses);
    // F1 sends its own command, or Shift-F1's while Shift is latched: down and up, once each.
    const std::vector<int32_t> f1 = {CommandIndex("Mixer panel toggle"),
                                     CommandIndex("Insert: Audio Track")};
    EXPECT_EQ(CommandEvents(f1, kCommandKeyDown), static_cast<size_t>(presses));
    EXPECT_EQ(CommandEvents(f1, kCommandKeyUp), static_cast<size_t>(presses));

    // The Host's last word is on the surface after the next slow refresh.
    host.RunNotifying([] {
        UpdateController(HostParam::CurrentTrack, 7, 0, 0);
        UpdateController(HostParam::Record, 1, 0, 0);
        UpdateController(HostParam::TrackState16, 7, 1, 0);
        UpdateController(HostParam::Solo, 7, 1, 0);
        UpdateController(HostParam::TrackState20, 7, 0, 0);
    });
    SlowRefresh(); // the track states light only for the track the Host made current
    EXPECT_EQ(surface->LastNoteValue(Note::Record), kLedLit);
    EXPECT_EQ(surface->LastNoteValue(Note::TrackState16), kLedLit);
    EXPECT_EQ(surface->LastNoteValue(Note::Solo), kLedLit);
    EXPECT_NE(surface->LastNoteValue(Note::TrackState20), kLedLit);
    std::printf("host flood (%s): %ld presses of Stop and of F1, %lu Host rounds, %zu Host "
                "sets\n",
                GetParam().name, presses, static_cast<unsigned long>(rounds), sets.size());
}

TEST_P(HostThreadsTest, ClosesWithInputInFlightLeaveTheSurfaceDarkAndTheHostAlone) {
    const long cycles = Scale("KORVANE_HOST_CLOSE_CYCLES", kDefaultCloseCycles);
    Watchdog watchdog("the closes with input in flight");
    for (long cycle = 0; cycle < cycles; ++cycle) {
        ClearRecords();
        std::atomic<bool> feederDone{false};
        const DWORD deliveredBefore = BusCounters().delivered;
        std::thread feeder([&] {
            // Input that lights LEDs (Shift, playMode, a mode button, the fader function),
            // some of it certain to arrive while the controller closes.
            for (long block = 0; block < 60; ++block)
                for (uint8_t note :
                     {Note::Shift, Note::PlayMode, Note::Mode2, Note::FaderFunction, Note::Stop})
                    surface->Inject(NoteOn(note, block % 2 ? kReleasedVelocity : kPressedVelocity));
            feederDone = true;
        });
        while (BusCounters().delivered - deliveredBefore < 20 && !feederDone.load())
            HostRound(cycle);
        CloseController();
        const size_t callsAtClose = host.Calls().size();
        const size_t sentAtClose = surface->Received().size();
        feeder.join();
        VirtualSurface::WaitIdle();

        EXPECT_EQ(host.Calls().size(), callsAtClose)
            << "a Host call after the close, cycle " << cycle;
        EXPECT_EQ(surface->Received().size(), sentAtClose) << "a message after the close";
        for (uint8_t note : kLedNotes)
            EXPECT_EQ(surface->LastNoteValue(note), kLedDark)
                << "LED " << int{note} << ", cycle " << cycle;
        EXPECT_EQ(surface->LastLine(SysEx::kLine1Position), kBlankLine);
        EXPECT_EQ(surface->LastLine(SysEx::kLine2Position), kBlankLine);

        HostCallbackTable table = host.Table();
        ASSERT_EQ(OpenController(&table), 1);
    }
    const StandinBusCounters counters = BusCounters();
    std::printf("host closes (%s): %ld closes with input in flight, every LED dark and both lines "
                "blank after each, no Host call after any; %lu messages delivered, %lu dropped "
                "by a closed port, misuse %lu\n",
                GetParam().name, cycles, static_cast<unsigned long>(counters.delivered),
                static_cast<unsigned long>(counters.dropped),
                static_cast<unsigned long>(counters.misuse));
}

INSTANTIATE_TEST_SUITE_P(Hosts, HostThreadsTest, testing::ValuesIn(kRealHostKinds), CaseName());

// ---- A Host call that a gesture is inside ------------------------------------------------

// Holds the Host's SetParameter for one action until the test lets it go (or 10 s pass), so
// that surface input keeps the controller busy meanwhile.
class HeldAction {
public:
    HeldAction(RecordingHost& host, int32_t action) {
        host.OnSet([this, action](int32_t id, int32_t, int32_t) {
            if (id != action)
                return;
            std::unique_lock<std::mutex> hold(lock);
            inside = true;
            changed.notify_all();
            changed.wait_for(hold, std::chrono::seconds(10), [this] { return letGo; });
        });
    }
    bool WaitUntilInside() {
        std::unique_lock<std::mutex> hold(lock);
        return changed.wait_for(hold, std::chrono::seconds(10), [this] { return inside; });
    }
    void LetGo() {
        std::lock_guard<std::mutex> hold(lock);
        letGo = true;
        changed.notify_all();
    }

private:
    std::mutex lock;
    std::condition_variable changed;
    bool inside = false;
    bool letGo = false;
};

using HostCallInProgressTest = ControllerFixture;

TEST_F(HostCallInProgressTest, NotificationsThatFindInputBusyAreHandledInOrderAtTheNextTick) {
    HeldAction held(host, HostParam::Stop);
    surface->Inject(NoteOn(Note::Stop, kPressedVelocity));
    ASSERT_TRUE(held.WaitUntilInside());
    // Each returns at once; TrackState16 for track 4 counts only after the track change.
    UpdateController(HostParam::Record, 1, 0, 0);
    UpdateController(HostParam::CurrentTrack, 4, 0, 0);
    UpdateController(HostParam::TrackState16, 4, 1, 0);
    held.LetGo();
    VirtualSurface::WaitIdle();
    EXPECT_EQ(surface->LastNoteValue(Note::Record), -1);
    EXPECT_EQ(surface->LastNoteValue(Note::TrackState16), -1);

    Ticks(1);
    EXPECT_EQ(surface->LastNoteValue(Note::Record), kLedLit);
    EXPECT_EQ(surface->LastNoteValue(Note::TrackState16), kLedLit);
}

TEST_F(HostCallInProgressTest, TooManyToKeepAreReadBackFromTheHost) {
    HeldAction held(host, HostParam::Stop);
    surface->Inject(NoteOn(Note::Stop, kPressedVelocity));
    ASSERT_TRUE(held.WaitUntilInside());
    host.SetInt(HostParam::TrackState16, 5, 1);
    host.SetInt(HostParam::Solo, 9, 1); // some track is soloed, not the current one
    UpdateController(HostParam::Record, 1, 0, 0);
    UpdateController(HostParam::CurrentTrack, 5, 0, 0);
    for (int32_t track = 100; track < 400; ++track)
        UpdateController(HostParam::TrackState20, track, 1, 0);
    held.LetGo();
    VirtualSurface::WaitIdle();

    Ticks(1);
    EXPECT_EQ(surface->LastLine(SysEx::kLine2Position).substr(0, 5), "Trk06");
    EXPECT_EQ(surface->LastNoteValue(Note::Record), kLedLit);
    EXPECT_EQ(surface->LastNoteValue(Note::TrackState16), kLedLit); // read back
    EXPECT_EQ(surface->LastNoteValue(Note::AnySolo), kLedLit);
    ExpectSurfaceInStep(5);
}

TEST_F(HostCallInProgressTest, ANotificationFromInsideAGestureWaitsForTheHostsThread) {
    // A Host that reports the new current track from inside the call that asked for it, on
    // the MIDI thread: the display may not be prepared there, so the Host's thread does it.
    host.OnSet([](int32_t id, int32_t, int32_t track) {
        if (id == HostParam::CurrentTrack)
            UpdateController(HostParam::CurrentTrack, track, 0, 0);
    });
    Click(Note::TrackRight);
    EXPECT_EQ(surface->LastLine(SysEx::kLine2Position), "");
    Ticks(1);
    EXPECT_EQ(surface->LastLine(SysEx::kLine2Position).rfind("Track 2", 0), 0u);
    // The bus counts any winmm call made where the platform forbids it; the teardown checks.
}

TEST_F(HostCallInProgressTest, TheCloseServesTheCallAGestureWaitsForOnTheHostsThread) {
    host.BecomeKind(HostKind::OwnThread);
    surface->Inject(NoteOn(Note::Stop, kPressedVelocity));
    // The gesture's call waits for this thread, which does not pump: only the close serves it.
    ASSERT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 10000, QS_SENDMESSAGE), WAIT_OBJECT_0);
    CloseController();
    EXPECT_EQ(theController, nullptr);
    const std::vector<HostCall> sets = HostSets();
    EXPECT_NE(std::find(sets.begin(), sets.end(), SetCall(HostParam::Stop, 1)), sets.end());
    EXPECT_EQ(debug.Text().find("left open"), std::string::npos);
}

// A Host call that never returns would hang the close for good: after 2 s of real time the
// close gives up on that gesture and returns, and the controller it could not destroy is left
// to the process (here the test destroys it once the call has returned).
TEST_F(HostCallInProgressTest, ACloseThatAGestureNeverLetsFinishReturnsAfterTwoSeconds) {
    HeldAction held(host, HostParam::Stop);
    surface->Inject(NoteOn(Note::Stop, kPressedVelocity));
    ASSERT_TRUE(held.WaitUntilInside());
    Korvane* stuck = theController;
    const auto started = std::chrono::steady_clock::now();
    CloseController();
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
    EXPECT_EQ(theController, nullptr);
    EXPECT_NE(debug.Text().find("did not finish within 2 s; the controller is left open"),
              std::string::npos);
    held.LetGo();
    VirtualSurface::WaitIdle();
    delete stuck;
}

// ---- Feedback that the port refuses ------------------------------------------------------

using RefusedFeedbackTest = ControllerFixture;

TEST_F(RefusedFeedbackTest, GesturesStillReachTheHostAndTheLedsCatchUp) {
    Click(Note::Mode2);
    Click(Note::Mode2); // EQ band mode: a blinking mode LED, refreshed by every button message
    ClearRecords();
    StandinBusFailAlways(STANDIN_BUS_SEND_SHORT, MIDIERR_NOTREADY); // a busy port
    Click(Note::Play);
    Click(Note::Stop);
    Click(Note::Rewind);
    Click(Note::Shift); // latched, its LED refused
    Click(Note::F2);
    StandinBusFailAlways(STANDIN_BUS_SEND_SHORT, MMSYSERR_NOERROR);

    const std::vector<HostCall> expectedSets = {
        SetCall(HostParam::Play, 1), SetCall(HostParam::Stop, 1), SetCall(HostParam::Rewind, 1),
        SetCall(HostParam::Rewind, 0)};
    EXPECT_EQ(HostSets(), expectedSets);
    const int32_t shiftF2 = CommandIndex("Insert: MIDI Track");
    const std::vector<HostCall> expectedCommands = {CommandCall(shiftF2, kCommandKeyDown),
                                                    CommandCall(shiftF2, kCommandKeyUp)};
    EXPECT_EQ(HostCommands(), expectedCommands);

    SlowRefresh();
    SlowRefresh();
    ExpectSurfaceInStep(0);
    // One line for the whole burst of refusals.
    EXPECT_EQ(debug.Text(), std::string("Korvane: feedback to the surface failed: ") +
                                midi::CMIDIOutException(MIDIERR_NOTREADY).what() + "\n");
}

} // namespace
