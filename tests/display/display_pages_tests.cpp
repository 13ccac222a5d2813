// The fader and the encoders through the controller's input: touch, move and echo, the laws,
// the motor fader and its hold, the touch focus between sensors, every encoder gesture in
// every mode, the touch reports, and Host values that no fader position stands for.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "controls/midi_map.h"
#include "display/display_pages.h"
#include "support/case_name.h"
#include "support/controller_fixture.h"
#include "support/part_context.h"
#include "support/surface_messages.h"

namespace {

constexpr int32_t kTrack = 3;
constexpr double kTrackLevel = -6.0; // fader position 657, one coarse step below 0 dB
constexpr int32_t kTrackPan = 35;
constexpr double kInf = std::numeric_limits<double>::infinity();

constexpr uint8_t kFaderTouch = Note::FaderTouch;
constexpr uint8_t kTouch[] = {Note::Encoder1Touch, Note::Encoder2Touch, Note::Encoder3Touch};
constexpr uint8_t kPress[] = {Note::Encoder1Press, Note::Encoder2Press, Note::Encoder3Press};
constexpr uint8_t kTurn[] = {ControlNumber::Encoder1Turn, ControlNumber::Encoder2Turn,
                             ControlNumber::Encoder3Turn};
constexpr uint8_t kFaderBend = Status::PitchBend | Channel::Fader;

// Controller values of a relative encoder: forward the steps themselves, back the steps
// counted on from a turn one step back.
constexpr uint8_t Forward(int steps) {
    return static_cast<uint8_t>(steps);
}
constexpr uint8_t Back(int steps) {
    return static_cast<uint8_t>(kTurnBack - 1 + steps);
}

// The fader and encoders on their own, for what only their dispatch tells: which messages they
// take, and which sensor holds the touch focus.
class StandalonePages {
public:
    StandalonePages() : pages(context) {}

    bool Dispatch(uint8_t status, uint8_t data1, uint8_t data2) {
        const uint8_t bytes[] = {status, data1, data2};
        return pages.Dispatch(bytes, sizeof bytes);
    }
    bool Touch(uint8_t sensor, bool on) {
        return Dispatch(Status::NoteOn, sensor, on ? kPressedVelocity : kReleasedVelocity);
    }
    bool Touched(uint8_t sensor) const {
        const PageState page = pages.Page();
        if (sensor == kFaderTouch)
            return page.faderTouched;
        return page.touched[sensor - kTouch[0]];
    }

    PartContext context;
    DisplayPages pages;
};

class DisplayPagesTest : public ControllerFixture {
protected:
    void SetUp() override {
        ControllerFixture::SetUp();
        host.SetDouble(HostParam::Level, kTrack, kTrackLevel);
        host.SetInt(HostParam::Pan, kTrack, kTrackPan);
        UpdateController(HostParam::CurrentTrack, kTrack, 0, 0);
        ClearRecords();
    }

    // faderFunction latched, and picked up as flip by the slow refresh.
    void LatchFlip() {
        Click(Note::FaderFunction);
        SlowRefresh();
    }
    // faderFunction held down, as the slow refresh samples it.
    void HoldFlip() {
        Press(Note::FaderFunction);
        SlowRefresh();
    }
    void SelectMode(int mode) {
        // From track mode: Mode2 selects EQ mode, and EQ band mode when pressed again.
        if (mode != kTrackMode)
            Click(Note::Mode2);
        if (mode == kEqBandMode)
            Click(Note::Mode2);
    }
    void MoveFader(int position) { Bend(Channel::Fader, position); }

    std::vector<DWORD> FaderSends() const {
        std::vector<DWORD> sends;
        for (DWORD word : SentShort()) {
            if ((word & 0xFF) == kFaderBend)
                sends.push_back(word);
        }
        return sends;
    }
    // A display line as the next slow refresh leaves it.
    std::string ShownLine(uint8_t position) {
        SlowRefresh();
        return surface->LastLine(position);
    }
};

// --- The fader ----------------------------------------------------------------------------

TEST_F(DisplayPagesTest, UntouchedFaderMovesAreNotConsumed) {
    MoveFader(769);
    EXPECT_TRUE(HostSets().empty());
    EXPECT_TRUE(FaderSends().empty());
    StandalonePages standalone;
    EXPECT_FALSE(standalone.Dispatch(kFaderBend, 0x10, 0x60)); // position 769
}

struct LawCase {
    int position;
    HostCall set;
};

TEST_F(DisplayPagesTest, TouchedFaderSetsTheLevelAndEchoesItsPosition) {
    const LawCase cases[] = {
        {769, SetCall(HostParam::Level, 0, kTrack)},
        {1023, SetCall(HostParam::Level, 1500, kTrack)},
        {1022, SetCall(HostParam::Level, 1500, kTrack)},
        {0, SetCall(HostParam::Level, -30000, kTrack)},
        {6, SetCall(HostParam::Level, -18650, kTrack)}, // halfway between positions 2 and 10
        {657, SetCall(HostParam::Level, -600, kTrack)},
    };
    Press(kFaderTouch);
    EXPECT_TRUE(HostSets().empty()); // no touch report without flip held
    for (const LawCase& c : cases) {
        SCOPED_TRACE(c.position);
        ClearRecords();
        MoveFader(c.position);
        EXPECT_EQ(HostSets(), std::vector<HostCall>{c.set});
        EXPECT_EQ(FaderSends(), std::vector<DWORD>{FaderWord(c.position)});
    }
    ClearRecords();
    MoveFader(657); // the same position again is echoed again
    EXPECT_EQ(FaderSends(), std::vector<DWORD>{FaderWord(657)});
}

TEST_F(DisplayPagesTest, WithFlipInTrackModeTheFaderSetsThePan) {
    LatchFlip();
    Press(kFaderTouch);
    const LawCase cases[] = {{504, SetCall(HostParam::Pan, 0 - kTrackPan, kTrack)},
                             {1022, SetCall(HostParam::Pan, 100 - kTrackPan, kTrack)},
                             {0, SetCall(HostParam::Pan, -100 - kTrackPan, kTrack)}};
    for (const LawCase& c : cases) {
        SCOPED_TRACE(c.position);
        ClearRecords();
        MoveFader(c.position);
        EXPECT_EQ(HostSets(), std::vector<HostCall>{c.set});
    }
    Release(kFaderTouch);
    SelectMode(kEqMode); // in the EQ modes the fader keeps the level, flip or not
    Press(kFaderTouch);
    ClearRecords();
    MoveFader(769);
    EXPECT_EQ(HostSets(), std::vector<HostCall>{SetCall(HostParam::Level, 0, kTrack)});
}

TEST_F(DisplayPagesTest, TheMotorHoldsStillWhileTouchedAndFor800MsAfterARelease) {
    Press(kFaderTouch);
    MoveFader(769);
    host.SetDouble(HostParam::Level, kTrack, -12.0); // position 556
    ClearRecords();
    SlowRefresh();
    EXPECT_TRUE(FaderSends().empty()); // never against the hand
    Release(kFaderTouch);
    SlowRefresh();
    SlowRefresh(); // 720 ms after the release
    EXPECT_TRUE(FaderSends().empty());
    SlowRefresh(); // 1080 ms: free again, but -12 dB counts as sent
    EXPECT_TRUE(FaderSends().empty());
    host.SetDouble(HostParam::Level, kTrack, -3.0);
    SlowRefresh();
    EXPECT_EQ(FaderSends(), std::vector<DWORD>{FaderWord(712)});
}

TEST_F(DisplayPagesTest, TheMotorWaitsForATrackStepToSettle) {
    host.SetDouble(HostParam::Level, kTrack + 1, 6.0); // position 885
    Click(Note::TrackRight);
    UpdateController(HostParam::CurrentTrack, kTrack + 1, 0, 0); // a forced update
    EXPECT_TRUE(FaderSends().empty());
    SlowRefresh();
    EXPECT_EQ(FaderSends(), std::vector<DWORD>{FaderWord(885)});
}

struct MotorCase {
    const char* name;
    bool pan; // flip in track mode: the fader shows the pan
    double value;
    int position;
};

class MotorFaderTest : public DisplayPagesTest, public ::testing::WithParamInterface<MotorCase> {};

TEST_P(MotorFaderTest, HostValuesOutsideTheLawsEndAtTheNearerEnd) {
    const MotorCase& c = GetParam();
    if (c.pan) {
        LatchFlip();
        host.SetInt(HostParam::Pan, kTrack, static_cast<int32_t>(c.value));
    } else {
        host.SetDouble(HostParam::Level, kTrack, c.value);
    }
    ClearRecords();
    SlowRefresh();
    EXPECT_EQ(FaderSends(), std::vector<DWORD>{FaderWord(c.position)});
}

// The laws' own ends are checked where the laws are; here the Host's values reach them.
const MotorCase kMotorCases[] = {
    {"PlusInfinity", false, kInf, 1022}, {"MinusInfinity", false, -kInf, 0},
    {"PanCentre", true, 0.0, 504},       {"PanHighest", true, 32767.0, 1022},
    {"PanLowest", true, -32768.0, 0},
};
INSTANTIATE_TEST_SUITE_P(Laws, MotorFaderTest, ::testing::ValuesIn(kMotorCases), CaseName());

TEST_F(DisplayPagesTest, ALevelThatIsNotANumberLeavesTheMotorFaderWhereItIs) {
    SlowRefresh();
    host.SetDouble(HostParam::Level, kTrack, std::nan(""));
    host.SetDouble(HostParam::Level, kTrack + 1, std::nan(""));
    ClearRecords();
    SlowRefresh();
    UpdateController(HostParam::CurrentTrack, kTrack + 1, 0, 0); // forced
    EXPECT_TRUE(FaderSends().empty());
}

// --- Touch focus --------------------------------------------------------------------------

TEST(TouchFocusTest, WhileOneSensorIsTouchedNoOtherTouchIsRecorded) {
    StandalonePages standalone;
    const uint8_t sensors[] = {kFaderTouch, kTouch[0], kTouch[1], kTouch[2]};
    for (uint8_t first : sensors) {
        for (uint8_t second : sensors) {
            if (first == second)
                continue;
            SCOPED_TRACE(std::to_string(first) + " then " + std::to_string(second));
            standalone.Touch(first, true);
            standalone.Touch(second, true);
            EXPECT_TRUE(standalone.Touched(first));
            EXPECT_FALSE(standalone.Touched(second));
            standalone.Touch(second, false);
            standalone.Touch(first, false);
            EXPECT_FALSE(standalone.pages.AnyTouched());
        }
    }
}

TEST_F(DisplayPagesTest, AnIgnoredTouchLeavesTheEncoderUntouchedAfterTheFocusReturns) {
    Press(kTouch[0]);
    Press(kTouch[1]);
    Turn(kTurn[1], Forward(5));
    Release(kTouch[0]);
    Turn(kTurn[1], Forward(1)); // consumed, but encoder 2 is not touched
    EXPECT_TRUE(HostSets().empty());
    Press(kTouch[1]);
    Turn(kTurn[1], Forward(1));
    EXPECT_EQ(HostSets(), std::vector<HostCall>{SetCall(HostParam::MarkerNext, 1)});
}

TEST_F(DisplayPagesTest, FaderMovesWhileAnEncoderIsTouchedChangeNothing) {
    Press(kTouch[2]);
    Press(kFaderTouch);
    MoveFader(769);
    EXPECT_TRUE(HostSets().empty());
    EXPECT_TRUE(FaderSends().empty());
    Click(Note::Play); // the buttons come before the pages and still act
    EXPECT_EQ(HostSets(), std::vector<HostCall>{SetCall(HostParam::Play, 1)});
}

TEST_F(DisplayPagesTest, UntouchedEncodersConsumeTheirGesturesAndDoNothing) {
    StandalonePages standalone;
    for (int mode : {kTrackMode, kEqMode, kEqBandMode}) {
        SelectMode(mode);
        standalone.context.mode = mode;
        for (int encoder = 0; encoder < kEncoderCount; ++encoder) {
            SCOPED_TRACE(std::to_string(mode) + "/" + std::to_string(encoder));
            EXPECT_TRUE(standalone.Dispatch(Status::NoteOn, kPress[encoder], kPressedVelocity));
            EXPECT_TRUE(standalone.Dispatch(Status::ControlChange, kTurn[encoder], Forward(2)));
            Click(kPress[encoder]);
            Turn(kTurn[encoder], Back(2));
        }
        Click(Note::Mode0);
    }
    EXPECT_TRUE(HostSets().empty());
}

// --- Encoder gestures in every mode -------------------------------------------------------

enum class Gesture { Press, Turn };

// What is set up before the gesture: Shift latched, flip latched, the encoder held pressed.
enum Setup { kPlain = 0, kShift = 1, kFlip = 2, kFine = 4 };

struct EncoderCase {
    const char* name;
    int mode;
    int setup; // Setup flags
    int encoder;
    Gesture gesture;
    uint8_t value; // of a turn
    std::vector<HostCall> sets;
};

EncoderCase Turning(const char* name, int mode, int setup, int encoder, uint8_t value,
                    std::vector<HostCall> sets) {
    return {name, mode, setup, encoder, Gesture::Turn, value, std::move(sets)};
}

EncoderCase Pressing(const char* name, int mode, int setup, int encoder,
                     std::vector<HostCall> sets) {
    return {name, mode, setup, encoder, Gesture::Press, 0, std::move(sets)};
}

HostCall StepTo(int32_t track) {
    return SetCall(HostParam::CurrentTrack, 0, track);
}
HostCall Action(int32_t id) {
    return SetCall(id, 1);
}
HostCall Pan(int32_t delta) {
    return SetCall(HostParam::Pan, delta, kTrack);
}
HostCall Level(int32_t hundredths) {
    return SetCall(HostParam::Level, hundredths, kTrack);
}
// The Low band, which EQ mode edits until another is chosen.
HostCall Eq(int32_t base, int32_t steps) {
    return SetCall(base + EqBand::Low, steps, kTrack);
}

class EncoderGestureTest : public DisplayPagesTest,
                           public ::testing::WithParamInterface<EncoderCase> {};

TEST_P(EncoderGestureTest, TouchedEncoderActsOnTheHost) {
    const EncoderCase& c = GetParam();
    if (c.setup & kFlip)
        LatchFlip();
    SelectMode(c.mode);
    if (c.setup & kShift)
        Click(Note::Shift);
    Press(kTouch[c.encoder]);
    if (c.setup & kFine)
        Press(kPress[c.encoder]);
    ClearRecords();
    if (c.gesture == Gesture::Press)
        Press(kPress[c.encoder]);
    else
        Turn(kTurn[c.encoder], c.value);
    EXPECT_EQ(HostSets(), c.sets);
}

const EncoderCase kTurns[] = {
    Turning("TrackForward", kTrackMode, kPlain, 0, Forward(1), {StepTo(kTrack + 1)}),
    Turning("TrackBack", kTrackMode, kPlain, 0, Back(3), {StepTo(kTrack - 1)}),
    Turning("TrackPressedGoesForward", kTrackMode, kFine, 0, Back(3), {StepTo(kTrack + 1)}),
    Turning("ShiftMakesEqModeTrackMode", kEqMode, kShift, 0, Forward(2), {StepTo(kTrack + 1)}),
    Turning("FrequencyCoarse", kEqMode, kPlain, 0, Forward(2), {Eq(HostParam::EqFrequency, 100)}),
    Turning("FrequencyFine", kEqMode, kFine, 0, Back(2), {Eq(HostParam::EqFrequency, -2)}),
    Turning("BandSetsNothing", kEqBandMode, kPlain, 0, Forward(1), {}),
    Turning("MarkerOncePerMessage", kTrackMode, kPlain, 1, Forward(5),
            {Action(HostParam::MarkerNext)}),
    Turning("MarkerBack", kTrackMode, kPlain, 1, Back(1), {Action(HostParam::MarkerPrevious)}),
    Turning("MarkerIgnoresShift", kTrackMode, kShift, 1, Forward(1),
            {Action(HostParam::MarkerNext)}),
    Turning("NoStepNoMarker", kTrackMode, kPlain, 1, 0, {}),
    Turning("GainCoarse", kEqMode, kPlain, 1, Back(1), {Eq(HostParam::EqGain, -3)}),
    Turning("GainFine", kEqMode, kFine, 1, Forward(4), {Eq(HostParam::EqGain, 4)}),
    Turning("GainIgnoresShift", kEqMode, kShift, 1, Forward(1), {Eq(HostParam::EqGain, 3)}),
    Turning("GainIdleInBandMode", kEqBandMode, kPlain, 1, Forward(1), {}),
    Turning("PanCoarse", kTrackMode, kPlain, 2, Forward(2), {Pan(20)}),
    Turning("PanFine", kTrackMode, kFine, 2, Back(3), {Pan(-3)}),
    Turning("LevelCoarseWithFlip", kTrackMode, kFlip, 2, Forward(1), {Level(0)}),
    Turning("LevelFineWithFlip", kTrackMode, kFlip | kFine, 2, Back(2), {Level(-800)}),
    Turning("QCoarse", kEqMode, kPlain, 2, Forward(1), {Eq(HostParam::EqQ, 10)}),
    Turning("QFine", kEqMode, kFine, 2, Back(1), {Eq(HostParam::EqQ, -1)}),
    Turning("QIgnoresFlip", kEqMode, kFlip, 2, Forward(1), {Eq(HostParam::EqQ, 10)}),
    Turning("QIdleInBandMode", kEqBandMode, kPlain, 2, Forward(1), {}),
    Turning("ShiftTurnSetsNothing", kTrackMode, kShift, 2, Forward(1), {}),
};
INSTANTIATE_TEST_SUITE_P(Turns, EncoderGestureTest, ::testing::ValuesIn(kTurns), CaseName());

const EncoderCase kPresses[] = {
    Pressing("TrackIdle", kTrackMode, kPlain, 0, {}),
    Pressing("FrequencyStep", kEqMode, kPlain, 0, {Eq(HostParam::EqFrequency, 50)}),
    Pressing("ShiftMakesEqModeTrackMode", kEqMode, kShift, 0, {}),
    Pressing("Marker", kTrackMode, kPlain, 1, {Action(HostParam::Marker)}),
    Pressing("MarkerIgnoresShift", kTrackMode, kShift, 1, {Action(HostParam::Marker)}),
    Pressing("GainStep", kEqMode, kPlain, 1, {Eq(HostParam::EqGain, 3)}),
    Pressing("GainIdleInBandMode", kEqBandMode, kPlain, 1, {}),
    Pressing("QStep", kEqMode, kPlain, 2, {Eq(HostParam::EqQ, 10)}),
    Pressing("QIdleInBandMode", kEqBandMode, kPlain, 2, {}),
    Pressing("FirstResetPressWaits", kTrackMode, kFlip, 2, {}),
};
INSTANTIATE_TEST_SUITE_P(Presses, EncoderGestureTest, ::testing::ValuesIn(kPresses), CaseName());

struct NudgeCase {
    const char* name;
    double level;
    uint8_t value;
    std::vector<HostCall> sets;
};

class NudgeLevelTest : public DisplayPagesTest, public ::testing::WithParamInterface<NudgeCase> {};

// Encoder 3 with flip in track mode steps the level from the Host's, within -300 and +15 dB.
TEST_P(NudgeLevelTest, TheLevelStaysWithinItsRange) {
    host.SetDouble(HostParam::Level, kTrack, GetParam().level);
    LatchFlip();
    Press(kTouch[2]);
    ClearRecords();
    Turn(kTurn[2], GetParam().value);
    EXPECT_EQ(HostSets(), GetParam().sets);
}

const NudgeCase kNudges[] = {
    {"NearTop", 14.0, Forward(1), {Level(1500)}},
    {"NearBottom", -298.0, Back(1), {Level(-30000)}},
    {"PlusInfinity", kInf, Back(1), {Level(1500)}},
    {"MinusInfinity", -kInf, Forward(1), {Level(-30000)}},
    {"NotANumber", std::nan(""), Forward(1), {}},
};
INSTANTIATE_TEST_SUITE_P(Limits, NudgeLevelTest, ::testing::ValuesIn(kNudges), CaseName());

TEST_F(DisplayPagesTest, EqBandModeWalksTheBandsOnePerMessage) {
    SelectMode(kEqBandMode);
    Press(kTouch[0]);
    struct Step {
        uint8_t value;
        const char* band; // as the band page's second line names it
    };
    // From Low: forward to Mid and High and no further; back to Mid; a step of 0 from Mid
    // goes to Low; back stays on Low; a long turn moves one band only.
    const Step steps[] = {{Forward(1), "Mid"}, {Forward(1), "High"}, {Forward(1), "High"},
                          {Back(1), "Mid"},    {0, "Low"},           {Back(4), "Low"},
                          {Forward(9), "Mid"}};
    for (const Step& step : steps) {
        Turn(kTurn[0], step.value);
        EXPECT_EQ(ShownLine(SysEx::kLine2Position),
                  (step.band + std::string(16, ' ')).substr(0, 16));
    }
    Click(kPress[0]); // a press is a step toward High
    EXPECT_EQ(ShownLine(SysEx::kLine2Position).substr(0, 5), "High ");
    Release(kTouch[0]);
    Click(Note::Mode2); // back to EQ mode, which edits the chosen band
    Press(kTouch[0]);
    Turn(kTurn[0], Forward(1));
    EXPECT_EQ(HostSets(), std::vector<HostCall>{SetCall(HostParam::EqFrequency, 50, kTrack)});
}

TEST_F(DisplayPagesTest, SecondPressOfEncoder3InOneTouchResetsTheLevelWithFlip) {
    LatchFlip();
    host.SetDouble(HostParam::Level, kTrack, -12.0);
    const HostCall reset = SetCall(HostParam::Level, 0, kTrack);
    Press(kTouch[2]);
    ClearRecords();
    Click(kPress[2]);
    Click(kPress[2]);
    Click(kPress[2]); // the third does nothing
    EXPECT_EQ(HostSets(), std::vector<HostCall>{reset});
    Release(kTouch[2]);
    Press(kTouch[2]); // a new touch counts afresh
    ClearRecords();
    Click(kPress[2]);
    Click(kPress[2]);
    EXPECT_EQ(HostSets(), std::vector<HostCall>{reset});
    Release(kTouch[2]);
    Press(kTouch[2]);
    ClearRecords();
    Click(kPress[2]);
    Turn(kTurn[2], Forward(1)); // a turn between counts afresh too
    Click(kPress[2]);
    EXPECT_EQ(HostSets(), std::vector<HostCall>{SetCall(HostParam::Level, -600, kTrack)});
    Click(kPress[2]);
    EXPECT_EQ(HostSets().back(), reset);
}

TEST_F(DisplayPagesTest, SecondPressOfEncoder3WithoutFlipCentresThePan) {
    Press(kTouch[2]);
    Click(kPress[2]);
    Click(kPress[2]);
    EXPECT_EQ(HostSets(), std::vector<HostCall>{SetCall(HostParam::Pan, -kTrackPan, kTrack)});
}

TEST_F(DisplayPagesTest, ShiftWithEncoder3SwitchesTheFaderOffAndOn) {
    Click(Note::Shift);
    Press(kTouch[2]);
    struct Step {
        uint8_t value;
        const char* motor; // as the motor page shows it
    };
    // Any non-zero step toggles, once per message.
    const Step steps[] = {{Forward(3), "Off"}, {0, "Off"}, {Back(1), " On"}, {Forward(1), "Off"}};
    for (const Step& step : steps) {
        Turn(kTurn[2], step.value);
        EXPECT_EQ(ShownLine(SysEx::kLine2Position).substr(12, 3), step.motor);
    }
    Release(kTouch[2]);
    host.SetDouble(HostParam::Level, kTrack, 0.0);
    ClearRecords();
    SlowRefresh();
    EXPECT_TRUE(FaderSends().empty()); // the motor no longer follows the Host
    Press(kFaderTouch);
    MoveFader(500);
    EXPECT_TRUE(HostSets().empty());
    EXPECT_TRUE(FaderSends().empty());
    Release(kFaderTouch);
    Press(kTouch[2]);
    Click(kPress[2]); // a press toggles as a turn does
    EXPECT_EQ(ShownLine(SysEx::kLine2Position).substr(12, 3), " On");
}

// --- Touch reports to the Host ------------------------------------------------------------

TEST_F(DisplayPagesTest, TouchesAreReportedWhileFlipIsLatchedAndHeldInTrackMode) {
    LatchFlip();
    HoldFlip();
    for (uint8_t sensor : {kFaderTouch, kTouch[1], kTouch[2]}) {
        SCOPED_TRACE(static_cast<int>(sensor));
        ClearRecords();
        Press(sensor);
        Release(sensor);
        EXPECT_EQ(HostSets(), (std::vector<HostCall>{SetCall(HostParam::Touch, 1, kTrack),
                                                     SetCall(HostParam::Touch, 0, kTrack)}));
    }
    ClearRecords();
    Click(kTouch[0]); // encoder 1 steps tracks and reports no touch
    EXPECT_TRUE(HostSets().empty());
}

struct ReportCase {
    const char* name;
    bool latch;
    bool hold;
    int mode;
};

class UnreportedTouchTest : public DisplayPagesTest,
                            public ::testing::WithParamInterface<ReportCase> {};

TEST_P(UnreportedTouchTest, NoTouchIsReported) {
    if (GetParam().latch)
        LatchFlip();
    if (GetParam().hold)
        HoldFlip();
    SelectMode(GetParam().mode);
    ClearRecords();
    for (uint8_t sensor : {kFaderTouch, kTouch[1], kTouch[2]})
        Click(sensor);
    EXPECT_TRUE(HostSets().empty());
}

INSTANTIATE_TEST_SUITE_P(Conditions, UnreportedTouchTest,
                         ::testing::Values(ReportCase{"NotHeld", true, false, kTrackMode},
                                           ReportCase{"NotLatched", false, true, kTrackMode},
                                           ReportCase{"EqMode", true, true, kEqMode}),
                         CaseName());

TEST_F(DisplayPagesTest, AReportedTouchEndsOnItsTrackWhenTheConditionsLapsedMeanwhile) {
    LatchFlip();
    HoldFlip();
    Press(kFaderTouch);
    UpdateController(HostParam::CurrentTrack, kTrack + 1, 0, 0);
    Release(Note::FaderFunction); // a fader touch is no encoder touch: flip toggles off
    ASSERT_EQ(ShownLine(SysEx::kLine1Position).substr(0, 5), "Level"); // not the pan
    ClearRecords();
    Release(kFaderTouch);
    EXPECT_EQ(HostSets(), std::vector<HostCall>{SetCall(HostParam::Touch, 0, kTrack)});
}

TEST_F(DisplayPagesTest, NoEncoderAreaShowsTheLevelUntilOneIsChosen) {
    LatchFlip();
    SelectMode(kEqMode);
    EXPECT_EQ(ShownLine(SysEx::kLine1Position).find("Lvl"), std::string::npos);
    HoldFlip();
    Click(kTouch[1]);
    Release(Note::FaderFunction); // the encoder touch keeps the release from toggling
    EXPECT_EQ(ShownLine(SysEx::kLine1Position).find("Lvl"), 6u);
    Click(kTouch[2]); // without faderFunction held the choice stays
    EXPECT_EQ(ShownLine(SysEx::kLine1Position).find("Lvl"), 6u);
}

// --- The input dispatch -------------------------------------------------------------------

TEST_F(DisplayPagesTest, EveryMessageCountsForTheShiftLatchConsumedOrNot) {
    Press(Note::Shift);
    MoveFader(500); // untouched: nobody consumes it
    Release(Note::Shift);
    ClearRecords();
    Click(Note::F1); // Shift did not latch: F1 sends its own command
    ASSERT_FALSE(HostCommands().empty());
    EXPECT_EQ(HostCommands().front().id, CommandIndex("Mixer panel toggle"));
}

TEST_F(DisplayPagesTest, TheStripsPitchBendNeverReachesTheFader) {
    Press(kFaderTouch);
    Bend(Channel::Strip, 769);
    EXPECT_TRUE(HostSets().empty());
    EXPECT_TRUE(FaderSends().empty());
}

TEST_F(DisplayPagesTest, TheMode2ButtonCyclesWhatTheEncodersChange) {
    Press(kTouch[1]); // the mode buttons come before the pages' touch focus
    const std::pair<int, std::vector<HostCall>> steps[] = {
        {kEqMode, {Eq(HostParam::EqGain, 3)}},
        {kEqBandMode, {}},
        {kEqMode, {Eq(HostParam::EqGain, 3)}},
    };
    for (const auto& [mode, sets] : steps) {
        Click(Note::Mode2);
        ClearRecords();
        Turn(kTurn[1], Forward(1));
        EXPECT_EQ(HostSets(), sets) << mode;
    }
    Click(Note::Mode0);
    ClearRecords();
    Turn(kTurn[1], Forward(1));
    EXPECT_EQ(HostSets(), std::vector<HostCall>{SetCall(HostParam::MarkerNext, 1)});
}

TEST(DispatchTest, TheBankLeavesSomeNotesToThePagesWhichDropThem) {
    StandalonePages standalone;
    ButtonBank bank(standalone.context);
    struct Unclaimed {
        uint8_t note;
        uint8_t velocity;
    };
    const Unclaimed messages[] = {
        {Note::Mode1, kPressedVelocity},         {Note::Mode3, kPressedVelocity},
        {Note::Mode4, kPressedVelocity},         {Note::Mode4, kReleasedVelocity},
        {Note::TrackState16, kReleasedVelocity}, {Note::Solo, kReleasedVelocity},
        {Note::TrackState20, kReleasedVelocity}};
    for (const Unclaimed& message : messages) {
        SCOPED_TRACE(static_cast<int>(message.note));
        const uint8_t bytes[] = {Status::NoteOn, message.note, message.velocity};
        EXPECT_FALSE(bank.Dispatch(bytes, sizeof bytes));
        EXPECT_FALSE(standalone.pages.Dispatch(bytes, sizeof bytes));
    }
    EXPECT_EQ(bank.encoderModes.mode, kTrackMode);
}

} // namespace
