// The LED algorithm: steady and blinking LEDs, forced updates that resend rather than invert,
// buttons without an LED, the mode selector's lighting, blinking across a tick-count wrap.
#include <gtest/gtest.h>

#include <vector>

#include "bound_output.h"
#include "controls/encoder_mode_selector.h"
#include "controls/state_button.h"
#include "support/case_name.h"

namespace {

class LedTest : public ::testing::Test {
protected:
    void SetUp() override { StandinUseTestClock(1000000); }
    void TearDown() override { StandinUseRealClock(); }
    std::vector<DWORD> Sent() {
        VirtualSurface::WaitIdle();
        std::vector<DWORD> sent = output.Sent();
        output.Clear();
        return sent;
    }
    BoundOutput output;
};

TEST_F(LedTest, SetStateLightsASteadyLedAtOnceAndOnlyOnce) {
    StateButton record(95, true);
    record.SetState(true);
    record.SetState(true);
    record.UpdateLed(false);
    EXPECT_EQ(Sent(), std::vector<DWORD>{NoteOn(95, 127)});
    record.SetState(false);
    record.SetState(false);
    EXPECT_EQ(Sent(), std::vector<DWORD>{NoteOn(95, 0)});
}

TEST_F(LedTest, AForcedUpdateResendsALitSteadyLedLit) {
    StateButton solo(8, true);
    solo.SetState(true);
    Sent();
    solo.UpdateLed(true);
    solo.UpdateLed(false);
    EXPECT_EQ(Sent(), std::vector<DWORD>{NoteOn(8, 127)});
}

TEST_F(LedTest, ToggleSendsForcedEveryTime) {
    StateButton playMode(86, true);
    playMode.Toggle();
    playMode.UpdateLed(true); // what the playMode action does after its toggle
    playMode.Toggle();
    EXPECT_EQ(Sent(), (std::vector<DWORD>{NoteOn(86, 127), NoteOn(86, 127), NoteOn(86, 0)}));
}

TEST_F(LedTest, AButtonWithoutLedNeverSends) {
    StateButton play(94, false);
    play.SetState(true);
    play.Toggle();
    play.UpdateLed(true);
    play.LedOff();
    EXPECT_TRUE(Sent().empty());
}

TEST_F(LedTest, BlinkingFlipsAtTheFirstUpdateAfterEachInterval) {
    StateButton shift(70, true);
    shift.SetBlink(true);
    shift.SetState(true); // more than 400 ms since the stamp at 0: flips at once
    EXPECT_EQ(Sent(), std::vector<DWORD>{NoteOn(70, 127)});
    StandinAdvanceClock(360);
    shift.UpdateLed(false);
    shift.UpdateLed(true); // forced, still within the interval: blinking keeps its timing
    EXPECT_TRUE(Sent().empty());
    StandinAdvanceClock(41);
    shift.UpdateLed(false);
    EXPECT_EQ(Sent(), std::vector<DWORD>{NoteOn(70, 0)});
    StandinAdvanceClock(401);
    shift.UpdateLed(false);
    EXPECT_EQ(Sent(), std::vector<DWORD>{NoteOn(70, 127)});
}

TEST_F(LedTest, SwitchingOffABlinkingLedSendsOnlyWhenItIsLit) {
    StateButton shift(70, true);
    shift.SetBlink(true);
    shift.SetState(true);
    StandinAdvanceClock(401);
    shift.UpdateLed(false); // now dark
    Sent();
    shift.SetState(false);
    EXPECT_TRUE(Sent().empty());
}

TEST_F(LedTest, BlinkingGoesOnAcrossTheTickCountWrap) {
    StandinUseTestClock(0xFFFFFF00u);
    AnySoloLED anySolo(115);
    anySolo.state = true;
    anySolo.UpdateLed(false);
    EXPECT_EQ(Sent(), std::vector<DWORD>{NoteOn(115, 127)});
    for (DWORD expected : {0u, 127u, 0u}) {
        StandinAdvanceClock(401); // crosses zero on the first step
        anySolo.UpdateLed(false);
        EXPECT_EQ(Sent(), std::vector<DWORD>{NoteOn(115, static_cast<uint8_t>(expected))});
    }
}

TEST_F(LedTest, AnySoloHasNoButtonAndAlwaysUpdates) {
    AnySoloLED anySolo(115);
    const uint8_t press[] = {0x90, 115, 127};
    EXPECT_FALSE(anySolo.Match(press, 3));
    anySolo.LedOff();
    EXPECT_EQ(Sent(), std::vector<DWORD>{NoteOn(115, 0)});
}

struct ModeCase {
    const char* name;
    int mode;
    std::vector<DWORD> lit; // in the selector's refresh order
};

class ModeSelectorTest : public LedTest, public ::testing::WithParamInterface<ModeCase> {};

TEST_P(ModeSelectorTest, LightsTheButtonOfTheMode) {
    EncoderModeSelector selector;
    selector.mode = GetParam().mode;
    selector.Refresh(false);
    EXPECT_EQ(Sent(), GetParam().lit);
}

INSTANTIATE_TEST_SUITE_P(Modes, ModeSelectorTest,
                         ::testing::Values(ModeCase{"Track", 0, {NoteOn(42, 127)}},
                                           ModeCase{"Eq", 4, {NoteOn(44, 127)}},
                                           ModeCase{"EqBand", 5, {NoteOn(44, 127)}}),
                         CaseName());

TEST_F(LedTest, EqBandModeBlinksTheEqButtonAndEqModeHoldsItSteady) {
    EncoderModeSelector selector;
    selector.mode = 5;
    selector.Refresh(false);
    EXPECT_TRUE(selector.modeButtons[2].blink);
    StandinAdvanceClock(401);
    selector.Refresh(false);
    EXPECT_EQ(Sent(), (std::vector<DWORD>{NoteOn(44, 127), NoteOn(44, 0)}));
    selector.mode = 4;
    selector.Refresh(false);
    StandinAdvanceClock(401);
    selector.Refresh(false);
    EXPECT_EQ(Sent(), std::vector<DWORD>{NoteOn(44, 127)});
    EXPECT_FALSE(selector.modeButtons[0].GetState());
}

} // namespace
