// Host notifications and the timer's refresh: which LEDs follow which notification, the slow
// refresh's beat on the test clock, and the track page's hold.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "controls/led.h"
#include "controls/midi_map.h"
#include "host/host_api.h"
#include "platform/standin/far_side.h"
#include "support/controller_fixture.h"
#include "support/surface_messages.h"

namespace {

using RefreshTest = ControllerFixture;

// Whether a tick ran the slow refresh: it is the one that reads the current track's level.
bool RanSlowRefresh(const RecordingHost& host) {
    const auto calls = host.CallsOf(HostCall::Get);
    return std::any_of(calls.begin(), calls.end(),
                       [](const HostCall& call) { return call.id == HostParam::Level; });
}

std::vector<int> SlowTicks(ControllerFixture& fixture, RecordingHost& host, int ticks) {
    std::vector<int> slow;
    for (int tick = 1; tick <= ticks; ++tick) {
        host.ClearCalls();
        fixture.Ticks(1);
        if (RanSlowRefresh(host))
            slow.push_back(tick);
    }
    return slow;
}

TEST_F(RefreshTest, SlowStepsRunOnEveryThirdTick) {
    EXPECT_EQ(SlowTicks(*this, host, 9), (std::vector<int>{3, 6, 9}));
}

class FromConstructionTest : public ControllerFixture {
protected:
    void SetUp() override {
        openOnSetUp = false;
        ControllerFixture::SetUp();
    }
};

// The beat counts from the controller's construction: its first slow refresh comes on the
// first tick more than 300 ms later.
TEST_F(FromConstructionTest, SlowStepsRunOnTicksThreeSixAndNine) {
    HostCallbackTable table = host.Table();
    ASSERT_EQ(OpenController(&table), 1);
    EXPECT_EQ(SlowTicks(*this, host, 9), (std::vector<int>{3, 6, 9}));
}

class WrapTest : public ControllerFixture {
protected:
    void SetUp() override {
        openOnSetUp = false;
        ControllerFixture::SetUp();
        // The open pumps the display past its greeting: 126 ticks. Start so that the clock is
        // a little before the wrap when it is done.
        StandinUseTestClock(0u - 126u * kRefreshPeriodMs - 600u);
        PumpMessages();
        Open();
    }
};

TEST_F(WrapTest, TheBeatKeepsAcrossTheTickCountWrap) {
    const DWORD before = GetTickCount();
    EXPECT_EQ(SlowTicks(*this, host, 12), (std::vector<int>{3, 6, 9, 12}));
    EXPECT_LT(GetTickCount(), before); // the clock wrapped during the ticks
}

TEST_F(RefreshTest, RecordNotificationSwitchesTheRecordLed) {
    UpdateController(HostParam::Record, 1, 0, 0);
    UpdateController(HostParam::Record, 0, 0, 0);
    UpdateController(HostParam::Record, -5, 0, 0);
    EXPECT_EQ(SentShort(),
              (std::vector<DWORD>{NoteOn(Note::Record, kLedLit), NoteOn(Note::Record, kLedDark),
                                  NoteOn(Note::Record, kLedLit)}));
}

TEST_F(RefreshTest, TrackStatesFollowOnlyTheCurrentTrack) {
    UpdateController(HostParam::CurrentTrack, 3, 0, 0);
    ClearRecords();
    UpdateController(HostParam::TrackState16, 4, 1, 0);
    UpdateController(HostParam::TrackState20, 4, 1, 0);
    UpdateController(HostParam::Solo, 4, 1, 0);
    EXPECT_TRUE(SentShort().empty());
    UpdateController(HostParam::TrackState16, 3, 1, 0);
    UpdateController(HostParam::Solo, 3, 1, 0);
    UpdateController(HostParam::TrackState20, 3, 1, 0);
    EXPECT_EQ(SentShort(),
              (std::vector<DWORD>{NoteOn(Note::TrackState16, kLedLit), NoteOn(Note::Solo, kLedLit),
                                  NoteOn(Note::TrackState20, kLedLit)}));
}

TEST_F(RefreshTest, ASoloOnAnyTrackRecomputesAnySoloWhoseLedFollowsOnTheRefresh) {
    host.SetInt(HostParam::Solo, 50, 1);
    UpdateController(HostParam::Solo, 50, 1, 0);
    EXPECT_TRUE(SentShort().empty()) << "track 50 is not the current track";
    SlowRefresh();
    EXPECT_EQ(SentShort(), std::vector<DWORD>{NoteOn(Note::AnySolo, kLedLit)});
    ClearRecords();
    host.SetInt(HostParam::Solo, 50, 0);
    UpdateController(HostParam::Solo, 50, 0, 0);
    SlowRefresh();
    EXPECT_EQ(SentShort(), std::vector<DWORD>{NoteOn(Note::AnySolo, kLedDark)});
}

TEST_F(RefreshTest, ANewCurrentTrackResendsLedsAndFaderTheSameTrackDoesNot) {
    UpdateController(HostParam::Record, 1, 0, 0);
    ClearRecords();
    UpdateController(HostParam::CurrentTrack, 0, 0, 0); // the current track again
    EXPECT_TRUE(SentShort().empty());
    UpdateController(HostParam::CurrentTrack, 5, 0, 0);
    const auto sent = SentShort();
    EXPECT_NE(std::find(sent.begin(), sent.end(), NoteOn(Note::Record, kLedLit)), sent.end());
    EXPECT_NE(std::find_if(
                  sent.begin(), sent.end(),
                  [](DWORD word) { return (word & 0xFF) == (Status::PitchBend | Channel::Fader); }),
              sent.end());
    EXPECT_EQ(surface->LastLine(SysEx::kLine2Position).substr(0, 5), "Trk06");
}

TEST_F(RefreshTest, LevelNotificationsWaitForTheSlowRefresh) {
    host.SetDouble(HostParam::Level, 0, -6.0);
    UpdateController(HostParam::Level, 0, 0, 0);
    EXPECT_TRUE(SentShort().empty());
    SlowRefresh();
    EXPECT_EQ(SentShort(), std::vector<DWORD>{FaderWord(657)}); // -6 dB
}

// Slow refreshes, up to 20, after which the display still shows the full track page.
int RefreshesShowingTheTrackPage(ControllerFixture& fixture) {
    int refreshes = 0;
    while (refreshes < 20) {
        fixture.SlowRefresh();
        if (fixture.surface->LastLine(SysEx::kLine2Position).rfind("Track ", 0) != 0)
            break;
        ++refreshes;
    }
    return refreshes;
}

// A track step holds the track page for eight slow periods, the one it came in counting as
// the first; a new step starts the hold again.
TEST_F(RefreshTest, TheTrackPageIsHeldForEightSlowPeriodsAfterAStep) {
    Click(Note::TrackRight);
    EXPECT_EQ(RefreshesShowingTheTrackPage(*this), 7);
    Click(Note::TrackRight);
    SlowRefresh();
    SlowRefresh();
    Click(Note::TrackRight);
    EXPECT_EQ(RefreshesShowingTheTrackPage(*this), 7);
}

TEST_F(RefreshTest, TheHoldStaysWhileTheTrackEncoderIsTouchedInTrackMode) {
    Click(Note::TrackRight);
    Press(Note::Encoder1Touch);
    for (int period = 0; period < 10; ++period)
        SlowRefresh();
    Release(Note::Encoder1Touch);
    EXPECT_EQ(RefreshesShowingTheTrackPage(*this), 7);
}

// The flip (the fader edits the pan in track mode) follows the fader-function button's latch
// on the slow refresh; so does whether the button is held, which makes a fader touch reach
// the Host.
TEST_F(RefreshTest, FlipFollowsTheFaderFunctionButtonOnTheSlowRefresh) {
    Click(Note::FaderFunction);
    Press(Note::FaderTouch);
    Bend(Channel::Fader, 900);
    Release(Note::FaderTouch);
    ASSERT_EQ(HostSets().size(), 1u);
    EXPECT_EQ(HostSets().back().id, HostParam::Level);
    SlowRefresh();
    ClearRecords();
    Press(Note::FaderTouch);
    Bend(Channel::Fader, 900);
    Release(Note::FaderTouch);
    ASSERT_EQ(HostSets().size(), 1u);
    EXPECT_EQ(HostSets().back().id, HostParam::Pan);

    Press(Note::FaderFunction);
    SlowRefresh();
    ClearRecords();
    Press(Note::FaderTouch);
    EXPECT_EQ(HostSets(), std::vector<HostCall>{SetCall(HostParam::Touch, 1, 0)});
}

} // namespace
