// The bridge against a recording Host: scan orders and early stops, clamps, scalings, guards.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "host/host_bridge.h"
#include "support/case_name.h"
#include "support/recording_host.h"

namespace {

class BridgeTest : public ::testing::Test {
protected:
    void SetUp() override {
        const HostCallbackTable table = host.Table();
        BindHostCallbacks(&table);
    }
    std::vector<HostCall> Sets() const { return host.CallsOf(HostCall::Set); }
    std::vector<HostCall> Gets() const { return host.CallsOf(HostCall::Get); }

    RecordingHost host;
};

TEST_F(BridgeTest, ActionsSetTheirIdentifierWithTrackZero) {
    TriggerAction(HostParam::Stop);
    HoldAction(HostParam::Rewind, true);
    HoldAction(HostParam::Rewind, false);
    ScrollBy(-7);
    EXPECT_EQ(Sets(), (std::vector<HostCall>{SetCall(2, 1), SetCall(0, 1), SetCall(0, 0),
                                             SetCall(12, -7)}));
}

struct StepCase {
    const char* name;
    int16_t current;
    bool next;
    int32_t selected;
};

class TrackStepTest : public BridgeTest, public ::testing::WithParamInterface<StepCase> {};

TEST_P(TrackStepTest, ClampsAtZeroAndTwoHundred) {
    const StepCase& step = GetParam();
    if (step.next)
        SelectNextTrack(step.current);
    else
        SelectPreviousTrack(step.current);
    EXPECT_EQ(Sets(), (std::vector<HostCall>{SetCall(HostParam::CurrentTrack, 0, step.selected)}));
}

INSTANTIATE_TEST_SUITE_P(Steps, TrackStepTest,
                         ::testing::Values(StepCase{"BackFromTheFirst", 0, false, 0},
                                           StepCase{"Back", 5, false, 4},
                                           StepCase{"BackFromNoTrack", 9999, false, 9998},
                                           StepCase{"Next", 5, true, 6},
                                           StepCase{"NextToTheLimit", 199, true, 200},
                                           StepCase{"NextAtTheLimit", 200, true, 200},
                                           StepCase{"NextFromNoTrack", 9999, true, 200}),
                         CaseName());

TEST_F(BridgeTest, ClearTrackStateOnAllTogglesEveryTrackThatReadsOneAscending) {
    host.SetInt(HostParam::TrackState16, 3, 1);
    host.SetInt(HostParam::TrackState16, 150, 1);
    host.SetInt(HostParam::TrackState16, 7, 2); // only exactly 1 counts as on
    ClearTrackStateOnAll(HostParam::TrackState16);
    EXPECT_EQ(Sets(), (std::vector<HostCall>{SetCall(16, 1, 3), SetCall(16, 1, 150)}));
    const auto reads = Gets();
    ASSERT_EQ(reads.size(), 200u);
    EXPECT_EQ(reads.front(), GetCall(16, 0));
    EXPECT_EQ(reads.back(), GetCall(16, 199));
}

TEST_F(BridgeTest, ClearLastSoloTogglesTheHighestSoloedTrackOnly) {
    host.SetInt(HostParam::Solo, 3, 1);
    host.SetInt(HostParam::Solo, 7, 1);
    ClearLastSolo();
    EXPECT_EQ(Sets(), (std::vector<HostCall>{SetCall(17, 1, 7)}));
    EXPECT_EQ(Gets().front(), GetCall(17, 199));
    EXPECT_EQ(Gets().back(), GetCall(17, 7));

    host.SetInt(HostParam::Solo, 7, 0);
    host.ClearCalls();
    ClearLastSolo();
    EXPECT_EQ(Sets(), (std::vector<HostCall>{SetCall(17, 1, 3)}));
}

TEST_F(BridgeTest, AnyTrackSoloedStopsAtTheFirstSoloedTrack) {
    EXPECT_FALSE(AnyTrackSoloed());
    EXPECT_EQ(Gets().size(), 200u);
    host.SetInt(HostParam::Solo, 4, 1);
    host.ClearCalls();
    EXPECT_TRUE(AnyTrackSoloed());
    EXPECT_EQ(Gets().size(), 5u);
}

struct LevelCase {
    const char* name;
    double db;
    int32_t sent;
};

class SetLevelTest : public BridgeTest, public ::testing::WithParamInterface<LevelCase> {};

TEST_P(SetLevelTest, SendsHundredthsTruncatedTowardZero) {
    SetTrackLevel(4, GetParam().db);
    EXPECT_EQ(Sets(), (std::vector<HostCall>{SetCall(HostParam::Level, GetParam().sent, 4)}));
}

INSTANTIATE_TEST_SUITE_P(
    Levels, SetLevelTest,
    ::testing::Values(LevelCase{"BelowAHundredthIsZero", -0.009, 0},
                      LevelCase{"Negative", -12.345, -1234}, LevelCase{"Top", 15.0, 1500},
                      LevelCase{"Bottom", -300.0, -30000}, LevelCase{"PositiveTruncated", 0.019, 1},
                      // Beyond the 16-bit value slot the level is clamped, never converted
                      // out of range.
                      LevelCase{"HugeClamped", 1e300, 32767},
                      LevelCase{"HugeNegativeClamped", -1e300, -32768},
                      LevelCase{"InfiniteClamped", std::numeric_limits<double>::infinity(), 32767}),
    CaseName());

TEST_F(BridgeTest, SetLevelWithNotANumberSendsNothing) {
    SetTrackLevel(4, std::nan(""));
    EXPECT_TRUE(Sets().empty());
}

TEST_F(BridgeTest, PanIsReadAsTheLowSixteenBitsAndSetRelatively) {
    host.SetInt(HostParam::Pan, 2, 0x12340000 | 0xFFDB); // low 16 bits: -37
    EXPECT_EQ(GetTrackPan(2), -37);

    host.SetInt(HostParam::Pan, 1, 35);
    SetTrackPan(1, 0);
    NudgeTrackPan(1, 3, true);
    NudgeTrackPan(1, -3, false);
    EXPECT_EQ(Sets(),
              (std::vector<HostCall>{SetCall(23, -35, 1), SetCall(23, 3, 1), SetCall(23, -30, 1)}));
}

TEST_F(BridgeTest, SetPanDifferenceIsClampedToTheValueSlot) {
    host.SetInt(HostParam::Pan, 1, std::numeric_limits<int32_t>::min());
    SetTrackPan(1, 100);
    EXPECT_EQ(Sets(), (std::vector<HostCall>{SetCall(23, 32767, 1)}));
}

TEST_F(BridgeTest, EqValuesUseTheirBaseIdentifierPlusBand) {
    host.SetDouble(HostParam::EqFrequency + 1, 6, 2500.0);
    EXPECT_EQ(GetEqValue(EqKind::Frequency, 6, 1), 2500.0);
    NudgeEqValue(EqKind::Gain, 6, 2, -3);
    NudgeEqValue(EqKind::Q, 6, 0, 10);
    EXPECT_EQ(Sets(), (std::vector<HostCall>{SetCall(26, -3, 6), SetCall(30, 10, 6)}));
}

TEST_F(BridgeTest, EqBandOutsideZeroToTwoCallsNothing) {
    host.SetDouble(HostParam::EqGain + 3, 6, 9.0); // that would be identifier 27
    EXPECT_EQ(GetEqValue(EqKind::Gain, 6, 3), 0.0);
    EXPECT_EQ(GetEqValue(EqKind::Q, 6, -1), 0.0);
    NudgeEqValue(EqKind::Frequency, 6, 3, 1);
    EXPECT_TRUE(host.Calls().empty());
}

TEST_F(BridgeTest, GetTrackNameCopiesAtMostSizeLessOneAndFillsWithNuls) {
    host.SetName(5, "A thirty character track name!");
    char name[20];
    std::memset(name, '#', sizeof name);
    GetTrackName(5, name, 16);
    EXPECT_EQ(std::string(name), "A thirty charac");
    EXPECT_EQ(name[15], '\0');
    EXPECT_EQ(name[16], '#');

    host.SetName(6, "Bass");
    std::memset(name, '#', sizeof name);
    GetTrackName(6, name, 16);
    EXPECT_EQ(std::string(name), "Bass");
    for (int i = 4; i < 16; ++i)
        EXPECT_EQ(name[i], '\0') << i;
}

TEST_F(BridgeTest, GetTrackNameStaysInBoundsWhenTheHostWritesNoTerminator) {
    host.SetRawName(5, std::string(100, 'x'));
    char name[16];
    GetTrackName(5, name, 16);
    EXPECT_EQ(std::string(name), std::string(15, 'x'));
    GetTrackName(5, nullptr, 16); // no destination: no call
    EXPECT_EQ(Gets().size(), 1u);
}

TEST_F(BridgeTest, LastNamedTrackScansFromTwoHundredDown) {
    EXPECT_EQ(LastNamedTrack(), -1);
    EXPECT_EQ(Gets().size(), 201u);
    EXPECT_EQ(Gets().front(), GetCall(46, 200));
    host.SetName(200, "Master");
    EXPECT_EQ(LastNamedTrack(), 200);
    host.SetName(200, "");
    host.SetName(11, "Keys");
    EXPECT_EQ(LastNamedTrack(), 11);
}

TEST_F(BridgeTest, CommandsAreSentAsKeyDownAndUpAndNeverForMinusOne) {
    PressCommand(kNoCommand, true);
    TapCommand(kNoCommand);
    EXPECT_TRUE(host.Calls().empty());
    PressCommand(8, true);
    PressCommand(8, false);
    TapCommand(3);
    EXPECT_EQ(
        host.CallsOf(HostCall::Command),
        (std::vector<HostCall>{CommandCall(8, kCommandKeyDown), CommandCall(8, kCommandKeyUp),
                               CommandCall(3, kCommandKeyDown), CommandCall(3, kCommandKeyUp)}));
}

TEST_F(BridgeTest, TrackTouchAndTrackStateTogglesNameTheTrack) {
    SetTrackTouch(9, true);
    SetTrackTouch(9, false);
    ToggleTrackState(HostParam::TrackState20, 9);
    EXPECT_EQ(Sets(),
              (std::vector<HostCall>{SetCall(22, 1, 9), SetCall(22, 0, 9), SetCall(20, 1, 9)}));
}

} // namespace
