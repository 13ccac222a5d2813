// The touch strip through the controller's input and its refresh timer: slides, marker taps,
// edge auto-scroll and zoom with the second touch.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controller/korvane.h"
#include "controls/midi_map.h"
#include "host/host_interface.h"
#include "platform/standin/far_side.h"
#include "support/case_name.h"
#include "support/controller_fixture.h"
#include "support/part_context.h"

namespace {

constexpr uint8_t kStripChannel = Channel::Strip;
constexpr uint8_t kTouchNote = Note::StripTouch;
constexpr uint8_t kSecondTouchNote = Note::StripSecondTouch;
constexpr int32_t kScroll = HostParam::Scroll;
constexpr int32_t kMarkerNext = HostParam::MarkerNext;
constexpr int32_t kMarkerPrevious = HostParam::MarkerPrevious;

class TouchStripTest : public ControllerFixture {
protected:
    // A position given as the raw second data byte, which is all the strip looks at.
    void Position(int msb) { Bend(kStripChannel, msb << 3); }
    void Touch() { Press(kTouchNote); }
    void Lift() { Release(kTouchNote); }

    // A primary touch resting at `msb` for `holdMs`.
    void TapAt(int msb, DWORD holdMs) {
        Touch();
        Position(msb);
        Advance(holdMs);
        Lift();
    }

    // Runs the controller's timer entry once, at the clock as it is now.
    void TickNow() { theController->OnRefreshTimer(); }

    std::vector<int32_t> Scrolls() const { return ValuesOf(kScroll); }
    // The marker steps the Host was asked for, as the action ids.
    std::vector<int32_t> MarkerSteps() const {
        std::vector<int32_t> steps;
        for (const HostCall& call : HostSets())
            if (call.id == kMarkerNext || call.id == kMarkerPrevious)
                steps.push_back(call.id);
        return steps;
    }
    int32_t ScrollTotal() const {
        int32_t total = 0;
        for (int32_t steps : Scrolls())
            total += steps;
        return total;
    }
    static std::vector<HostCall> Tapped(int32_t command) {
        return {CommandCall(command, kCommandKeyDown), CommandCall(command, kCommandKeyUp)};
    }

private:
    std::vector<int32_t> ValuesOf(int32_t id) const {
        std::vector<int32_t> values;
        for (const HostCall& call : HostSets())
            if (call.id == id)
                values.push_back(call.value);
        return values;
    }
};

// ---- Sliding with the primary touch ---------------------------------------------------------

TEST_F(TouchStripTest, SlideScrollsByTheStepsTravelledAndTheReleaseTapsNothing) {
    Touch();
    Position(100); // step 50: only the starting point
    EXPECT_TRUE(Scrolls().empty());
    Position(96);
    Position(90); // step 45
    EXPECT_EQ(Scrolls(), (std::vector<int32_t>{-2, -3}));
    Lift();
    EXPECT_TRUE(MarkerSteps().empty());
    EXPECT_TRUE(HostCommands().empty());
}

TEST_F(TouchStripTest, SlideUpScrollsForwardAndEachTouchStartsAfresh) {
    TapAt(20, 900);
    host.ClearCalls();
    Touch();
    Position(40); // a new starting point, whatever the last touch left
    Position(50);
    EXPECT_EQ(ScrollTotal(), 5);
}

TEST_F(TouchStripTest, PrimaryTouchScrollsEvenWhileTheSecondIsDown) {
    Touch();
    Press(kSecondTouchNote);
    Position(100);
    Position(90);
    EXPECT_EQ(ScrollTotal(), -5);
    EXPECT_TRUE(HostCommands().empty());
}

// ---- Taps at the ends -----------------------------------------------------------------------

struct TapCase {
    const char* name;
    int msb;
    DWORD holdMs;
    std::vector<int32_t> steps;
};

class TouchStripTapTest : public TouchStripTest, public ::testing::WithParamInterface<TapCase> {};

TEST_P(TouchStripTapTest, StepsToAMarkerOnlyForAShortTouchAtAnEnd) {
    TapAt(GetParam().msb, GetParam().holdMs);
    EXPECT_EQ(MarkerSteps(), GetParam().steps);
}

INSTANTIATE_TEST_SUITE_P(Ends, TouchStripTapTest,
                         ::testing::Values(TapCase{"LowEnd", 4, 100, {kMarkerPrevious}},
                                           TapCase{"OnLowThreshold", 8, 100, {kMarkerPrevious}},
                                           TapCase{"HighEnd", 120, 100, {kMarkerNext}},
                                           TapCase{"OnHighThreshold", 116, 100, {kMarkerNext}},
                                           TapCase{"JustInsideLow", 9, 100, {}},
                                           TapCase{"JustInsideHigh", 115, 100, {}},
                                           TapCase{"Middle", 60, 100, {}},
                                           TapCase{"LongestTap", 4, 799, {kMarkerPrevious}},
                                           TapCase{"TooLong", 4, 800, {}},
                                           TapCase{"HeldAtHighEnd", 120, 900, {}}),
                         CaseName());

TEST_F(TouchStripTest, FingerThatMovedTapsNothingEvenAtAnEnd) {
    Touch();
    Position(10);
    Position(4);
    Lift();
    EXPECT_TRUE(MarkerSteps().empty());
}

TEST_F(TouchStripTest, TouchWithoutAnyPositionTapsNothing) {
    // The last gesture ended at the low end; a touch without a position of its own must not
    // take that one for its own.
    TapAt(4, 900);
    Advance(500);
    host.ClearCalls();
    Touch();
    Advance(100);
    Lift();
    EXPECT_TRUE(MarkerSteps().empty());
}

struct RetouchCase {
    const char* name;
    DWORD gapMs;
    bool tapsAgain;
};

class TouchStripRetouchTest : public TouchStripTest,
                              public ::testing::WithParamInterface<RetouchCase> {};

TEST_P(TouchStripRetouchTest, TouchSoonAfterAReleaseIsNoNewTap) {
    TapAt(4, 100);
    ASSERT_EQ(MarkerSteps(), std::vector<int32_t>{kMarkerPrevious});
    host.ClearCalls();
    Advance(GetParam().gapMs);
    TapAt(4, 100);
    EXPECT_EQ(MarkerSteps().size(), GetParam().tapsAgain ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(Guard, TouchStripRetouchTest,
                         ::testing::Values(RetouchCase{"Within", 30, false},
                                           RetouchCase{"Exactly", 50, false},
                                           RetouchCase{"After", 51, true}),
                         CaseName());

TEST_F(TouchStripTest, RepeatedReleaseTapsOnlyOnce) {
    TapAt(4, 100);
    Advance(10);
    Lift();
    EXPECT_EQ(MarkerSteps(), std::vector<int32_t>{kMarkerPrevious});
}

// ---- Edge auto-scroll -----------------------------------------------------------------------

struct EdgeCase {
    const char* name;
    int edgeMsb;
    int32_t perTick;
};

class TouchStripEdgeTest : public TouchStripTest, public ::testing::WithParamInterface<EdgeCase> {
protected:
    // Slides from the middle to the edge; returns with nothing recorded.
    void SlideToEdge() {
        Touch();
        Position(60);
        Position(GetParam().edgeMsb);
        host.ClearCalls();
    }
};

TEST_P(TouchStripEdgeTest, RestingAtAnEdgeScrollsOnEveryTickUntilRelease) {
    SlideToEdge();
    Ticks(1); // 120 ms after the last middle position
    EXPECT_TRUE(Scrolls().empty());
    Ticks(3);
    const int32_t step = GetParam().perTick;
    EXPECT_EQ(Scrolls(), (std::vector<int32_t>{step, step, step}));
    host.ClearCalls();
    Lift();
    Ticks(3);
    EXPECT_TRUE(Scrolls().empty());
}

TEST_P(TouchStripEdgeTest, ScrollingStartsTwoHundredMillisecondsAfterTheMiddle) {
    SlideToEdge();
    // The clock moves without the timer, so each tick runs exactly where the test wants it.
    StandinAdvanceClock(199);
    TickNow();
    EXPECT_TRUE(Scrolls().empty());
    StandinAdvanceClock(1);
    TickNow();
    EXPECT_EQ(Scrolls(), std::vector<int32_t>{GetParam().perTick});
}

TEST_P(TouchStripEdgeTest, ReturningToTheMiddleStopsTheScroll) {
    SlideToEdge();
    Ticks(3);
    ASSERT_FALSE(Scrolls().empty());
    Position(60);
    host.ClearCalls();
    Ticks(1);
    EXPECT_TRUE(Scrolls().empty());
}

INSTANTIATE_TEST_SUITE_P(Edges, TouchStripEdgeTest,
                         ::testing::Values(EdgeCase{"High", 120, 20},
                                           EdgeCase{"HighThreshold", 116, 20},
                                           EdgeCase{"Low", 4, -20},
                                           EdgeCase{"LowThreshold", 8, -20}),
                         CaseName());

struct LandingCase {
    const char* name;
    int firstMsb;
    int32_t perTick; // 0: never scrolls
};

class TouchStripLandingTest : public TouchStripTest,
                              public ::testing::WithParamInterface<LandingCase> {};

TEST_P(TouchStripLandingTest, FingerLandingExactlyOnAThresholdNeverScrollsThere) {
    // No position between the edges for long: a finger at an edge scrolls on the first tick.
    Touch();
    Position(GetParam().firstMsb);
    Ticks(3);
    const int32_t step = GetParam().perTick;
    EXPECT_EQ(Scrolls(), step == 0 ? std::vector<int32_t>{} : std::vector<int32_t>(3, step));
}

INSTANTIATE_TEST_SUITE_P(Thresholds, TouchStripLandingTest,
                         ::testing::Values(LandingCase{"OnLow", 8, 0},
                                           LandingCase{"OnHigh", 116, 0},
                                           LandingCase{"BelowLow", 7, -20},
                                           LandingCase{"AboveHigh", 117, 20}),
                         CaseName());

TEST_F(TouchStripTest, LandingOnTheThresholdKeepsThatEdgeStillForTheWholeTouch) {
    Touch();
    Position(8);
    Position(2); // further out, same edge
    host.ClearCalls();
    Ticks(3);
    EXPECT_TRUE(Scrolls().empty());
}

TEST_F(TouchStripTest, NewTouchDoesNotScrollFromWhereTheLastOneEnded) {
    TapAt(4, 900);
    Advance(500);
    host.ClearCalls();
    Touch(); // its position has not arrived yet
    Ticks(3);
    EXPECT_TRUE(Scrolls().empty());
    Position(4);
    Ticks(1);
    EXPECT_EQ(Scrolls(), std::vector<int32_t>{-20});
}

TEST_F(TouchStripTest, TimesAreComparedAcrossTheWrapOfTheTickCount) {
    // Put the clock 100 ms before the wrap, without running the timer over that stretch.
    StandinAdvanceClock(0xFFFFFFFFu - kStartTime - 99u);
    Touch();
    Position(60);
    Position(120);
    host.ClearCalls();
    StandinAdvanceClock(250); // now past the wrap
    TickNow();
    EXPECT_EQ(Scrolls(), std::vector<int32_t>{20});

    Lift();
    StandinAdvanceClock(100);
    Touch();
    Position(4);
    StandinAdvanceClock(100);
    Lift();
    EXPECT_EQ(MarkerSteps(), std::vector<int32_t>{kMarkerPrevious});
}

// ---- Zoom with the second touch -------------------------------------------------------------

struct ZoomCase {
    const char* name;
    bool shifted;
    int toMsb;           // from 100 (step 50)
    const char* command; // null: no zoom
};

class TouchStripZoomTest : public TouchStripTest, public ::testing::WithParamInterface<ZoomCase> {};

TEST_P(TouchStripZoomTest, SecondTouchZoomsOncePerThreeSteps) {
    if (GetParam().shifted)
        Click(Note::Shift);
    Press(kSecondTouchNote);
    Position(100);
    Position(GetParam().toMsb);
    Release(kSecondTouchNote);
    const char* command = GetParam().command;
    EXPECT_EQ(HostCommands(),
              command == nullptr ? std::vector<HostCall>{} : Tapped(CommandIndex(command)));
    EXPECT_TRUE(Scrolls().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Travel, TouchStripZoomTest,
    ::testing::Values(ZoomCase{"TwoStepsIn", false, 104, nullptr},
                      ZoomCase{"TwoStepsOut", false, 96, nullptr},
                      ZoomCase{"ThreeStepsIn", false, 106, "Zoom In Horizontally"},
                      ZoomCase{"ThreeStepsOut", false, 94, "Zoom Out Horizontally"},
                      ZoomCase{"FarIn", false, 127, "Zoom In Horizontally"},
                      ZoomCase{"ShiftIn", true, 106, "Zoom In Vertically"},
                      ZoomCase{"ShiftOut", true, 94, "Zoom Out Vertically"}),
    CaseName());

TEST_F(TouchStripTest, SlowZoomTravelAddsUpFromTheLastZoom) {
    Press(kSecondTouchNote);
    Position(100); // step 50
    Position(104); // 52: too short, the starting point stays
    Position(106); // 53: three steps, one zoom
    Position(110); // 55
    Position(112); // 56: three steps from the last zoom
    const int32_t zoomIn = CommandIndex("Zoom In Horizontally");
    std::vector<HostCall> expected = Tapped(zoomIn);
    const std::vector<HostCall> second = Tapped(zoomIn);
    expected.insert(expected.end(), second.begin(), second.end());
    EXPECT_EQ(HostCommands(), expected);
}

// A Host whose command list lacks "Zoom In Horizontally" (renamed in place, so that the
// count matches the table that the fixture hands over). Being the newest Host, it answers.
class TouchStripWithoutZoomInTest : public TouchStripTest {
protected:
    TouchStripWithoutZoomInTest() { openOnSetUp = false; }
    void SetUp() override {
        TouchStripTest::SetUp();
        for (const std::string& name : StandardCommandNames())
            partialHost.AddCommand(name == "Zoom In Horizontally" ? "Zoom In Wider" : name);
        Open();
        partialHost.ClearCalls();
    }

    RecordingHost partialHost;
};

TEST_F(TouchStripWithoutZoomInTest, MissingZoomCommandSendsNothing) {
    Press(kSecondTouchNote);
    Position(100);
    Position(106);
    EXPECT_TRUE(partialHost.CallsOf(HostCall::Command).empty());
    Position(100); // the other direction is still there
    EXPECT_EQ(partialHost.CallsOf(HostCall::Command),
              Tapped(CommandIndex("Zoom Out Horizontally")));
}

// ---- What the strip consumes ----------------------------------------------------------------

// A position without a finger on the strip is only remembered: nothing reaches the Host or
// the surface, and the next touch starts from its own first position.
TEST_F(TouchStripTest, PositionWithoutATouchChangesOnlyThePosition) {
    Bend(kStripChannel, 1000);
    EXPECT_TRUE(host.Calls().empty());
    EXPECT_TRUE(SentShort().empty());
    Touch();
    Position(60);
    EXPECT_TRUE(Scrolls().empty());
    Position(64);
    EXPECT_EQ(Scrolls(), std::vector<int32_t>{2});
}

constexpr uint8_t kStripBend = Status::PitchBend | Channel::Strip;
constexpr uint8_t kFaderBend = Status::PitchBend | Channel::Fader;
// A note-off: the surface's sensors never send one.
constexpr uint8_t kNoteOffStatus = 0x80;

struct ConsumeCase {
    const char* name;
    uint8_t status;
    uint8_t data1;
    bool consumed;
};

class TouchStripConsumeTest : public TouchStripTest,
                              public ::testing::WithParamInterface<ConsumeCase> {};

TEST_P(TouchStripConsumeTest, ClaimsOnlyItsOwnMessages) {
    PartContext context;
    TouchStrip strip(context, kStripChannel, kTouchNote, kSecondTouchNote);
    const uint8_t bytes[] = {GetParam().status, GetParam().data1, 64};
    EXPECT_EQ(strip.Dispatch(bytes, sizeof bytes), GetParam().consumed);
}

INSTANTIATE_TEST_SUITE_P(
    Messages, TouchStripConsumeTest,
    ::testing::Values(ConsumeCase{"StripPosition", kStripBend, 0, true},
                      ConsumeCase{"FaderPosition", kFaderBend, 0, false},
                      ConsumeCase{"BendOnChannel9", kStripBend - 1, 0, false},
                      ConsumeCase{"BendOnChannel11", kStripBend + 1, 0, false},
                      ConsumeCase{"Touch", Status::NoteOn, kTouchNote, true},
                      ConsumeCase{"SecondTouch", Status::NoteOn, kSecondTouchNote, true},
                      ConsumeCase{"TouchOnChannel2", Status::NoteOn + 1, kTouchNote, false},
                      ConsumeCase{"TouchAsNoteOff", kNoteOffStatus, kTouchNote, false},
                      ConsumeCase{"EncoderTouch", Status::NoteOn, Note::Encoder1Touch, false}),
    CaseName());

TEST_F(TouchStripTest, BendOnAnotherChannelDoesNotMoveTheStrip) {
    Touch();
    Position(100);
    Bend(kStripChannel + 1, 90 << 3);
    Bend(Channel::Fader, 90 << 3);
    EXPECT_TRUE(Scrolls().empty());
    Position(102); // one step on from 100, not from 90
    EXPECT_EQ(Scrolls(), std::vector<int32_t>{1});
}

} // namespace
