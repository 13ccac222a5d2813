// The LED algorithm: steady and blinking LEDs, forced updates that resend rather than invert,
// buttons without an LED, the mode selector's lighting, blinking across a tick-count wrap.
#include <gtest/gtest.h>

#include <vector>

#include "bound_output.h"
#include "controls/encoder_mode_selector.h"
#include "controls/led.h"
#include "controls/midi_map.h"
#include "controls/state_button.h"
#include "support/case_name.h"
#include "support/surface_messages.h"

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
    StateButton record(Note::Record, true);
    record.SetState(true);
    record.SetState(true);
    record.UpdateLed(false);
    EXPECT_EQ(Sent(), std::vector<DWORD>{NoteOn(Note::Record, kLedLit)});
    record.SetState(false);
    record.SetState(false);
    EXPECT_EQ(Sent(), std::vector<DWORD>{NoteOn(Note::Record, kLedDark)});
}

TEST_F(LedTest, AForcedUpdateResendsALitSteadyLedLit) {
    StateButton solo(Note::Solo, true);
    solo.SetState(true);
    Sent();
    solo.UpdateLed(true);
    solo.UpdateLed(false);
    EXPECT_EQ(Sent(), std::vector<DWORD>{NoteOn(Note::Solo, kLedLit)});
}

TEST_F(LedTest, ToggleSendsForcedEveryTime) {
    StateButton playMode(Note::PlayMode, true);
    playMode.Toggle();
    playMode.UpdateLed(true); // what the playMode action does after its toggle
    playMode.Toggle();
    EXPECT_EQ(Sent(),
              (std::vector<DWORD>{NoteOn(Note::PlayMode, kLedLit), NoteOn(Note::PlayMode, kLedLit),
                                  NoteOn(Note::PlayMode, kLedDark)}));
}

TEST_F(LedTest, AButtonWithoutLedNeverSends) {
    StateButton play(Note::Play, false);
    play.SetState(true);
    play.Toggle();
    play.UpdateLed(true);
    play.LedOff();
    EXPECT_TRUE(Sent().empty());
}

TEST_F(LedTest, BlinkingFlipsAtTheFirstUpdateAfterEachInterval) {
    StateButton shift(Note::Shift, true);
    shift.SetBlink(true);
    shift.SetState(true); // more than 400 ms since the stamp at 0: flips at once
    EXPECT_EQ(Sent(), std::vector<DWORD>{NoteOn(Note::Shift, kLedLit)});
    StandinAdvanceClock(360);
    shift.UpdateLed(false);
    shift.UpdateLed(true); // forced, still within the interval: blinking keeps its timing
    EXPECT_TRUE(Sent().empty());
    StandinAdvanceClock(41);
    shift.UpdateLed(false);
    EXPECT_EQ(Sent(), std::vector<DWORD>{NoteOn(Note::Shift, kLedDark)});
    StandinAdvanceClock(401);
    shift.UpdateLed(false);
    EXPECT_EQ(Sent(), std::vector<DWORD>{NoteOn(Note::Shift, kLedLit)});
}

TEST_F(LedTest, SwitchingOffABlinkingLedSendsOnlyWhenItIsLit) {
    StateButton shift(Note::Shift, true);
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
    AnySoloLED anySolo(Note::AnySolo);
    anySolo.state = true;
    anySolo.UpdateLed(false);
    EXPECT_EQ(Sent(), std::vector<DWORD>{NoteOn(Note::AnySolo, kLedLit)});
    for (uint8_t expected : {kLedDark, kLedLit, kLedDark}) {
        StandinAdvanceClock(401); // crosses zero on the first step
        anySolo.UpdateLed(false);
        EXPECT_EQ(Sent(), std::vector<DWORD>{NoteOn(Note::AnySolo, expected)});
    }
}

TEST_F(LedTest, AnySoloHasNoButtonAndAlwaysUpdates) {
    AnySoloLED anySolo(Note::AnySolo);
    const uint8_t press[] = {Status::NoteOn, Note::AnySolo, kPressedVelocity};
    EXPECT_FALSE(anySolo.Match(press, 3));
    anySolo.LedOff();
    EXPECT_EQ(Sent(), std::vector<DWORD>{NoteOn(Note::AnySolo, kLedDark)});
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
                         ::testing::Values(ModeCase{"Track", 0, {NoteOn(Note::Mode0, kLedLit)}},
                                           ModeCase{"Eq", 4, {NoteOn(Note::Mode2, kLedLit)}},
                                           ModeCase{"EqBand", 5, {NoteOn(Note::Mode2, kLedLit)}}),
                         CaseName());

TEST_F(LedTest, EqBandModeBlinksTheEqButtonAndEqModeHoldsItSteady) {
    EncoderModeSelector selector;
    selector.mode = 5;
    selector.Refresh(false);
    EXPECT_TRUE(selector.modeButtons[2].blink);
    StandinAdvanceClock(401);
    selector.Refresh(false);
    EXPECT_EQ(Sent(),
              (std::vector<DWORD>{NoteOn(Note::Mode2, kLedLit), NoteOn(Note::Mode2, kLedDark)}));
    selector.mode = 4;
    selector.Refresh(false);
    StandinAdvanceClock(401);
    selector.Refresh(false);
    EXPECT_EQ(Sent(), std::vector<DWORD>{NoteOn(Note::Mode2, kLedLit)});
    EXPECT_FALSE(selector.modeButtons[0].GetState());
}

} // namespace
