// The surface coming and going while the controller is open: plugged in after the open,
// unplugged and plugged in again (at the same or other port indices, one port at a time), the
// refusals that mean the surface is gone and the ones that do not, input during all of it, and
// the close at any point of it.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "controls/led.h"
#include "controls/midi_map.h"
#include "host/host_interface.h"
#include "platform/standin/far_side.h"
#include "platform/standin/midi_bus.h"
#include "support/controller_fixture.h"

namespace {

constexpr char kMissing[] = "Couldn't find Osterlink Midi port\n";
constexpr char kGone[] = "Korvane: the surface is gone; its ports are closed\n";
constexpr char kAttached[] = "Korvane: attached to the surface: ";
// Timer periods that make sure one look for the ports (every 2 s) has come.
constexpr int kTicksPerLook = 2000 / kRefreshPeriodMs + 2;
// Slow refreshes that show the greeting and hold it; the next one shows the pages.
constexpr int kGreetingRefreshes = 42;
constexpr char kTrackName[] = "Vocals";

class ReattachTest : public ControllerFixture {
protected:
    // Lines of the debugger output that begin with `text`.
    size_t Said(const std::string& text) const {
        const std::vector<std::string> writes = debug.Writes();
        return static_cast<size_t>(
            std::count_if(writes.begin(), writes.end(),
                          [&text](const std::string& write) { return write.rfind(text, 0) == 0; }));
    }
    void PassLook(int looks = 1) { Ticks(looks * kTicksPerLook); }
    void PassGreeting() {
        for (int refresh = 0; refresh < kGreetingRefreshes; ++refresh)
            SlowRefresh();
    }
    static StandinBusCounters Counters() {
        VirtualSurface::WaitIdle();
        return BusCounters();
    }
    bool Received(DWORD word) const {
        const std::vector<DWORD> words = SentShort();
        return std::find(words.begin(), words.end(), word) != words.end();
    }
    bool ReceivedInit() const {
        const auto messages = SentLong();
        return !messages.empty() && messages.front() == InitMessage();
    }
    // Stop, clicked on the surface, reached the Host exactly once.
    void ExpectStopReachesTheHost() {
        host.ClearCalls();
        Click(Note::Stop);
        EXPECT_EQ(HostSets(), std::vector<HostCall>{SetCall(HostParam::Stop, 1)});
    }
};

class AbsentAtOpenTest : public ReattachTest {
protected:
    void SetUp() override {
        openOnSetUp = false;
        ReattachTest::SetUp();
        surface->Unplug();
        HostCallbackTable table = host.Table();
        ASSERT_EQ(OpenController(&table), 1);
    }
};

TEST_F(AbsentAtOpenTest, ASurfacePluggedInLaterIsAttachedAndShowsTheHostsState) {
    EXPECT_EQ(debug.Text(), kMissing);
    PassLook(3);
    EXPECT_EQ(debug.Text(), kMissing) << "said once for the whole absence";
    EXPECT_EQ(Counters().openInputs + Counters().openOutputs, 0u);
    EXPECT_TRUE(surface->Received().empty());

    host.SetName(0, kTrackName);
    UpdateController(HostParam::Record, 1, 0, 0);
    surface->Plug();
    PassLook();
    EXPECT_EQ(Said(kAttached), 1u);
    EXPECT_EQ(Counters().openInputs, 1u);
    EXPECT_EQ(Counters().openOutputs, 1u);
    EXPECT_TRUE(ReceivedInit());
    EXPECT_TRUE(Received(NoteOn(Note::Record, kLedLit)));
    EXPECT_TRUE(Received(NoteOn(Note::Mode0, kLedLit))) << "every lit LED, as after a new track";
    EXPECT_EQ(surface->LastLine(SysEx::kLine1Position), "   Welcome to   ");

    // The key assignments are found at the first attach: F1 sends its command.
    host.ClearCalls();
    Click(Note::F1);
    ASSERT_FALSE(HostCommands().empty());
    EXPECT_EQ(HostCommands().front().id, CommandIndex("Mixer panel toggle"));
    ExpectStopReachesTheHost();
    PassGreeting();
    EXPECT_EQ(surface->LastLine(SysEx::kLine1Position).substr(0, 6), kTrackName);
}

TEST_F(AbsentAtOpenTest, OnePortAloneIsNotTheSurface) {
    surface->Plug(false, true); // the output only
    PassLook(2);
    EXPECT_EQ(Said(kAttached), 0u);
    EXPECT_EQ(debug.Text(), kMissing);
    EXPECT_EQ(Counters().openOutputs, 0u);
    surface->Plug(true, false);
    PassLook();
    EXPECT_EQ(Said(kAttached), 1u);
    ExpectStopReachesTheHost();
}

TEST_F(AbsentAtOpenTest, TheCloseWhileAbsentLeavesNothingOpenOrRunning) {
    PassLook();
    CloseController();
    EXPECT_EQ(theController, nullptr);
    surface->Plug();
    PassLook(2);
    EXPECT_TRUE(surface->Received().empty());
    EXPECT_EQ(Counters().openInputs + Counters().openOutputs, 0u);
}

using UnplugReplugTest = ReattachTest;

TEST_F(UnplugReplugTest, TwiceInOneSessionEachAbsenceSaidOnceAndTheStateShownAgain) {
    host.SetName(0, kTrackName);
    host.SetName(1, "Bass");
    UpdateController(HostParam::Record, 1, 0, 0);
    for (int cycle = 0; cycle < 2; ++cycle) {
        SCOPED_TRACE(cycle);
        ClearRecords();
        surface->Unplug();
        PassLook(3);
        EXPECT_EQ(Said(kGone), 1u);
        EXPECT_EQ(Said(kMissing), 1u);
        EXPECT_EQ(Counters().openInputs + Counters().openOutputs, 0u);

        // What the Host does meanwhile is shown once the surface is back.
        UpdateController(HostParam::CurrentTrack, 1 - cycle, 0, 0);
        surface->Plug();
        PassLook();
        EXPECT_EQ(Said(kAttached), 1u);
        EXPECT_TRUE(ReceivedInit());
        EXPECT_EQ(surface->LastNoteValue(Note::Record), kLedLit);
        ExpectStopReachesTheHost();
        PassGreeting();
        EXPECT_EQ(surface->LastLine(SysEx::kLine1Position).substr(0, 6),
                  cycle == 0 ? "Bass  " : kTrackName);
    }
}

TEST_F(UnplugReplugTest, ASurfaceBackAtOtherIndicesIsFoundThere) {
    surface->Unplug();
    PassLook();
    StandinBusAddPort(STANDIN_BUS_INPUT, "Other synth");
    StandinBusAddPort(STANDIN_BUS_OUTPUT, "Other synth");
    surface->Plug();
    PassLook();
    EXPECT_EQ(Said("Korvane: attached to the surface: output port 1, input port 1\n"), 1u);
    ExpectStopReachesTheHost();
    ClearRecords();
    Click(Note::PlayMode);
    EXPECT_TRUE(Received(NoteOn(Note::PlayMode, kLedLit)));
}

TEST_F(UnplugReplugTest, InputDuringTheUnplugReachesTheHostAtMostOnceAndNothingHalfOpen) {
    constexpr int kPresses = 400;
    for (int press = 0; press < kPresses; ++press) {
        surface->Inject(NoteOn(Note::Stop, kPressedVelocity));
        surface->Inject(NoteOn(Note::Stop, kReleasedVelocity));
        if (press == kPresses / 2) {
            surface->Unplug();
            Ticks(1);
        }
    }
    PassLook();
    const std::vector<HostCall> sets = HostSets();
    EXPECT_LE(std::count(sets.begin(), sets.end(), SetCall(HostParam::Stop, 1)), kPresses);
    EXPECT_EQ(Said(kGone), 1u);
    surface->Plug();
    PassLook();
    ExpectStopReachesTheHost();
}

TEST_F(UnplugReplugTest, TheCloseRightAfterTheUnplugCompletes) {
    surface->Unplug();
    UpdateController(HostParam::Record, 1, 0, 0); // meets the gone port
    CloseController();
    EXPECT_EQ(theController, nullptr);
    const StandinBusCounters counters = Counters();
    EXPECT_EQ(counters.openInputs + counters.openOutputs, 0u);
    EXPECT_EQ(counters.preparedHeaders, 0u);
}

// ---- What the refusals of a port mean ------------------------------------------------------

using RefusalTest = ReattachTest;

TEST_F(RefusalTest, ABusyPortIsNoUnplug) {
    StandinBusFailNext(STANDIN_BUS_SEND_SHORT, MIDIERR_NOTREADY);
    UpdateController(HostParam::Record, 1, 0, 0);
    PassLook(2);
    EXPECT_EQ(Said(kGone), 0u);
    EXPECT_FALSE(ReceivedInit());
    EXPECT_EQ(surface->LastNoteValue(Note::Record), kLedLit); // sent again by the refresh
}

// A port that says its device is gone is closed, even when the platform still lists it; it
// is found at the next look and the surface starts afresh.
TEST_F(RefusalTest, ADeviceGoneRefusalDetachesAndTheListedSurfaceIsAttachedAgain) {
    StandinBusFailNext(STANDIN_BUS_SEND_SHORT, MMSYSERR_NODRIVER);
    UpdateController(HostParam::Record, 1, 0, 0);
    Ticks(1);
    EXPECT_EQ(Said(kGone), 1u);
    PassLook();
    EXPECT_EQ(Said(kAttached), 1u);
    EXPECT_EQ(Said(kMissing), 0u);
    EXPECT_TRUE(ReceivedInit());
    EXPECT_EQ(surface->LastNoteValue(Note::Record), kLedLit);
    ExpectStopReachesTheHost();
}

} // namespace
