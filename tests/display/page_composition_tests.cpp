// The display pages: the whole 16-column lines shown in each state, composed through the
// controller's RefreshDisplay against a recording Host, and Host values far outside their
// ranges staying inside the scratch lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "controller/korvane.h"
#include "controls/led.h"
#include "display/scratch_line.h"
#include "platform/standin/far_side.h"
#include "support/case_name.h"
#include "support/recording_host.h"

namespace {

constexpr int32_t kTrack = 3; // shown as track 4
constexpr int32_t kLowBand = 2;

const std::string kBlank(16, ' ');

// Bar glyphs as the surface draws them.
std::string Full(size_t cells) {
    return std::string(cells, '\x1F');
}
std::string Empty(size_t cells) {
    return std::string(cells, '-');
}
std::string Glyph(char code) {
    return std::string(1, code);
}

// The level bar of -6 dB, the gain bar of -3 dB, the Q bar of 0.7, the frequency bar of any
// frequency from 14 Hz on, and the pan bar of -37 (cells 1 to 10).
const std::string kLevelBarMinus6 = Full(5) + Empty(5);
const std::string kGainBarMinus3 = Full(5) + Glyph(5) + Empty(4);
const std::string kQBar = Full(6) + Glyph(4) + Empty(3);
const std::string kFrequencyBar = Full(10);
const std::string kPanBarMinus37 = Empty(3) + Glyph(8) + Full(1) + Glyph(0x7F) + Empty(4);

struct Lines {
    std::string line1;
    std::string line2;
};

class PagesTest : public ::testing::Test {
public:
    void SetUp() override {
        StandinUseTestClock(1000);
        table = host.Table();
        controller = std::make_unique<Korvane>(&table);
        host.SetName(kTrack, "Bass");
        host.SetInt(HostParam::Pan, kTrack, -37);
        host.SetDouble(HostParam::Level, kTrack, -6.0);
        host.SetDouble(HostParam::EqFrequency + kLowBand, kTrack, 250.0);
        host.SetDouble(HostParam::EqGain + kLowBand, kTrack, -3.0);
        host.SetDouble(HostParam::EqQ + kLowBand, kTrack, 0.7);
        controller->pages.eqBand = kLowBand;
        controller->SetCurrentTrack(kTrack);
    }
    void TearDown() override {
        controller.reset();
        StandinUseRealClock();
    }

    // Composes the page and returns the lines as the display buffer holds them.
    Lines Page() {
        controller->RefreshDisplay();
        return {std::string(controller->display.line1, 16),
                std::string(controller->display.line2, 16)};
    }

    DisplayPages& pages() { return controller->pages; }
    void SetMode(int mode) { controller->buttons.encoderModes.mode = mode; }
    void LatchShift() { controller->buttons.shift.state = true; }
    void Touch(int encoder) { pages().encoders[encoder].touch.value = kPressed; }
    void Press(int encoder) { pages().encoders[encoder].press.value = kPressed; }
    void TouchFader() { pages().faderTouch.value = kPressed; }
    void Flip(int flipEncoder = 0) {
        pages().flip = true;
        pages().flipEncoder = flipEncoder;
    }

    RecordingHost host;
    HostCallbackTable table{};
    std::unique_ptr<Korvane> controller;
};

struct PageCase {
    const char* name;
    std::function<void(PagesTest&)> arrange;
    std::string line1;
    std::string line2;
};

class PageTableTest : public PagesTest, public ::testing::WithParamInterface<PageCase> {};

TEST_P(PageTableTest, ShowsBothWholeLines) {
    GetParam().arrange(*this);
    const Lines shown = Page();
    EXPECT_EQ(shown.line1, GetParam().line1);
    EXPECT_EQ(shown.line2, GetParam().line2);
}

std::vector<PageCase> IdlePages() {
    return {
        {"TrackMode", [](PagesTest&) {}, "Bass        Pan ", "Trk04 Mark  L37 "},
        {"TrackModeFlipped", [](PagesTest& t) { t.Flip(); }, "Bass        Lvl ",
         "Trk04 Mark -6   "},
        {"ShiftLatched", [](PagesTest& t) { t.LatchShift(); }, "Bass       Motor",
         "Trk04        On "},
        {"ShiftLatchedInEqModeFaderOff",
         [](PagesTest& t) {
             t.SetMode(kEqMode);
             t.LatchShift();
             t.pages().faderOff = true;
         },
         "Bass       Motor", "Trk04       Off "},
        {"EqMode", [](PagesTest& t) { t.SetMode(kEqMode); }, "FreqL GainL  QL ",
         "250Hz -3.0dB0.7 "},
        {"EqModeGainMinus12LosesItsLastLetterToQ",
         [](PagesTest& t) {
             t.SetMode(kEqMode);
             t.host.SetDouble(HostParam::EqGain + kLowBand, kTrack, -12.0);
         },
         "FreqL GainL  QL ", "250Hz -12.0d0.7 "},
        {"EqModeFlipOnEncoder2",
         [](PagesTest& t) {
             t.SetMode(kEqMode);
             t.Flip(1);
         },
         "FreqL Lvl    QL ", "250Hz-6     0.7 "},
        {"EqModeFlipOnEncoder3",
         [](PagesTest& t) {
             t.SetMode(kEqMode);
             t.Flip(2);
         },
         "FreqL GainL Lvl ", "250Hz -3.0d-6   "},
        // The leftmost area has no column left of its own: the level text starts at 0.
        {"EqModeFlipOnEncoder1",
         [](PagesTest& t) {
             t.SetMode(kEqMode);
             t.Flip(0);
         },
         "Lvl   GainL  QL ", "-6    -3.0dB0.7 "},
        {"EqModeHighBand",
         [](PagesTest& t) {
             t.SetMode(kEqMode);
             t.pages().eqBand = 0;
             t.host.SetDouble(HostParam::EqFrequency, kTrack, 12000.0);
             t.host.SetDouble(HostParam::EqGain, kTrack, 12.0);
             t.host.SetDouble(HostParam::EqQ, kTrack, 10.0);
         },
         "FreqH GainH  QH ", "12kHz 12dB  10.0"},
        {"EqBandMode", [](PagesTest& t) { t.SetMode(kEqBandMode); }, "EQBnd           ",
         "Low             "},
        {"EqBandModeMidBand",
         [](PagesTest& t) {
             t.SetMode(kEqBandMode);
             t.pages().eqBand = 1;
         },
         "EQBnd           ", "Mid             "},
        {"LongNameFittedToTenColumns",
         [](PagesTest& t) { t.host.SetName(kTrack, "Acoustic Guitar"); }, "AcoustcGtr  Pan ",
         "Trk04 Mark  L37 "},
        {"TrackHoldAfterStepInEqMode",
         [](PagesTest& t) {
             t.SetMode(kEqMode);
             t.controller->StepTrack(1);
         },
         "Bass            ", "Track 4         "},
        {"TrackHoldAfterStepInBandMode",
         [](PagesTest& t) {
             t.SetMode(kEqBandMode);
             t.controller->StepTrack(-1);
         },
         "Bass            ", "Track 4         "},
        {"TrackModeFlippedPositiveLevel",
         [](PagesTest& t) {
             t.Flip();
             t.host.SetDouble(HostParam::Level, kTrack, 3.0);
         },
         "Bass        Lvl ", "Trk04 Mark +3.0 "},
        {"TrackModeHardLeft", [](PagesTest& t) { t.host.SetInt(HostParam::Pan, kTrack, -100); },
         "Bass        Pan ", "Trk04 Mark  LFT "},
        {"NoTrackShiftLatched",
         [](PagesTest& t) {
             t.controller->SetCurrentTrack(kNoTrack);
             t.LatchShift();
         },
         "NoTrack    Motor", "             On "},
        {"TrackHoldAfterStepWithNoTrack",
         [](PagesTest& t) {
             t.controller->SetCurrentTrack(kNoTrack);
             t.controller->StepTrack(1);
         },
         "NoTrack         ", kBlank},
        {"TrackHoldAfterStepKeepsTheFullName",
         [](PagesTest& t) {
             t.host.SetName(kTrack, "Acoustic Guitar");
             t.controller->StepTrack(1);
         },
         "Acoustic Guitar ", "Track 4         "},
    };
}

std::vector<PageCase> TouchedPages() {
    return {
        {"Fader", [](PagesTest& t) { t.TouchFader(); }, "Level" + kLevelBarMinus6 + " ",
         "           -6   "},
        {"FaderOff",
         [](PagesTest& t) {
             t.TouchFader();
             t.pages().faderOff = true;
         },
         "Fader Off...    ", kBlank},
        {"FaderFlipped",
         [](PagesTest& t) {
             t.TouchFader();
             t.Flip();
         },
         " Pan  " + kPanBarMinus37, "            L37 "},
        {"FaderFlippedInEqModeShowsTheLevel",
         [](PagesTest& t) {
             t.SetMode(kEqMode);
             t.TouchFader();
             t.Flip();
         },
         "Level" + kLevelBarMinus6 + " ", "           -6   "},
        {"Encoder1", [](PagesTest& t) { t.Touch(0); }, "Bass            ", "Track 4         "},
        {"Encoder1Pressed",
         [](PagesTest& t) {
             t.Touch(0);
             t.Press(0);
         },
         "Track Mode      ", "Tracks          "},
        {"Encoder1PressedDuringTrackHoldInEqMode",
         [](PagesTest& t) {
             t.SetMode(kEqMode);
             t.controller->StepTrack(1);
             t.Touch(0);
             t.Press(0);
         },
         "Track Mode      ", "Master          "},
        {"Encoder1ShiftLatchedInEqMode",
         [](PagesTest& t) {
             t.SetMode(kEqMode);
             t.LatchShift();
             t.Touch(0);
         },
         "Bass            ", "Track 4         "},
        {"Encoder1PressedShiftLatchedInEqMode",
         [](PagesTest& t) {
             t.SetMode(kEqMode);
             t.LatchShift();
             t.Touch(0);
             t.Press(0);
         },
         "Track Mode      ", "Tracks          "},
        // Encoder 1's own area is the leftmost: its level text starts at column 0.
        {"Encoder1InEqModeFlippedOntoIt",
         [](PagesTest& t) {
             t.SetMode(kEqMode);
             t.Flip(0);
             t.Touch(0);
         },
         "Level" + kLevelBarMinus6 + " ", "-6              "},
        {"Encoder2InEqModeFlippedOntoIt",
         [](PagesTest& t) {
             t.SetMode(kEqMode);
             t.Flip(1);
             t.Touch(1);
         },
         "Level" + kLevelBarMinus6 + " ", "     -6         "},
        {"Encoder1InEqModeIsPrecise",
         [](PagesTest& t) {
             t.SetMode(kEqMode);
             t.Touch(0);
         },
         "FreqL" + kFrequencyBar + " ", "250.00Hz        "},
        {"Encoder1InBandMode",
         [](PagesTest& t) {
             t.SetMode(kEqBandMode);
             t.Touch(0);
         },
         "EQBnd           ", "Low             "},
        {"Encoder2", [](PagesTest& t) { t.Touch(1); }, "  << marker >>  ", "      Mark      "},
        {"Encoder2ShiftLatched",
         [](PagesTest& t) {
             t.LatchShift();
             t.Touch(1);
         },
         kBlank, kBlank},
        {"Encoder2InEqModeIsPrecise",
         [](PagesTest& t) {
             t.SetMode(kEqMode);
             t.host.SetDouble(HostParam::EqGain + kLowBand, kTrack, 12.4);
             t.Touch(1);
         },
         "GainL" + Full(9) + Glyph(6) + " ", "      12.4dB    "},
        {"Encoder2InEqMode",
         [](PagesTest& t) {
             t.SetMode(kEqMode);
             t.Touch(1);
         },
         "GainL" + kGainBarMinus3 + " ", "      -3.0dB    "},
        {"Encoder2InBandMode",
         [](PagesTest& t) {
             t.SetMode(kEqBandMode);
             t.Touch(1);
         },
         kBlank, kBlank},
        {"Encoder3ShiftLatched",
         [](PagesTest& t) {
             t.LatchShift();
             t.Touch(2);
         },
         "           Motor", "             On "},
        {"Encoder3ShiftLatchedFaderOff",
         [](PagesTest& t) {
             t.LatchShift();
             t.pages().faderOff = true;
             t.Touch(2);
         },
         "           Motor", "            Off "},
        {"FaderPositiveLevel",
         [](PagesTest& t) {
             t.host.SetDouble(HostParam::Level, kTrack, 3.0);
             t.TouchFader();
         },
         "Level" + Full(7) + Empty(3) + " ", "           +3.0 "},
        {"Encoder3", [](PagesTest& t) { t.Touch(2); }, " Pan  " + kPanBarMinus37,
         "            L37 "},
        {"Encoder3Flipped",
         [](PagesTest& t) {
             t.Flip();
             t.Touch(2);
         },
         "Level" + kLevelBarMinus6 + " ", "           -6   "},
        {"Encoder3InEqMode",
         [](PagesTest& t) {
             t.SetMode(kEqMode);
             t.Touch(2);
         },
         " QL  " + kQBar + " ", "            0.7 "},
        {"Encoder3InBandMode",
         [](PagesTest& t) {
             t.SetMode(kEqBandMode);
             t.Touch(2);
         },
         kBlank, kBlank},
        // The fader's page wins over a touched encoder's.
        {"FaderBeforeEncoders",
         [](PagesTest& t) {
             t.Touch(1);
             t.TouchFader();
         },
         "Level" + kLevelBarMinus6 + " ", "           -6   "},
    };
}

INSTANTIATE_TEST_SUITE_P(Idle, PageTableTest, ::testing::ValuesIn(IdlePages()), CaseName());
INSTANTIATE_TEST_SUITE_P(Touched, PageTableTest, ::testing::ValuesIn(TouchedPages()), CaseName());

TEST_F(PagesTest, NoTrackAsksTheHostForNoName) {
    controller->SetCurrentTrack(kNoTrack);
    host.ClearCalls();
    const Lines idle = Page();
    EXPECT_EQ(idle.line1, "NoTrack     Pan ");
    EXPECT_EQ(idle.line2, "      Mark   0  ");
    Touch(0);
    const Lines full = Page();
    EXPECT_EQ(full.line1, "NoTrack         ");
    EXPECT_EQ(full.line2, kBlank);
    for (const HostCall& call : host.CallsOf(HostCall::Get))
        EXPECT_NE(call.id, HostParam::Name) << call.ToString();
    // The pan is still read, for track 9999.
    const std::vector<HostCall> calls = host.Calls();
    EXPECT_NE(calls.end(),
              std::find(calls.begin(), calls.end(), GetCall(HostParam::Pan, kNoTrack)));
}

TEST_F(PagesTest, TrackHoldEndsAfterEightSlowRefreshes) {
    SetMode(kEqMode);
    controller->StepTrack(1);
    for (int period = 0; period < 7; ++period)
        controller->ExpireTrackInfo();
    EXPECT_EQ(Page().line2, "Track 4         ");
    controller->ExpireTrackInfo();
    EXPECT_EQ(Page().line1, "FreqL GainL  QL ");
}

TEST_F(PagesTest, NameOfOnlyHighBytesShowsBlanks) {
    host.SetName(kTrack, "\xC4\xD6\xDC");
    EXPECT_EQ(Page().line1, "            Pan ");
    Touch(0);
    EXPECT_EQ(Page().line1, kBlank);
}

// Two scratch lines with guard bytes after each, filled with a pattern that no page writes.
struct GuardedLines {
    static constexpr size_t kGuard = 16;
    static constexpr char kPattern = '\x5A';
    char bytes[2 * (kScratchLineSize + kGuard)];

    GuardedLines() {
        std::memset(bytes, kPattern, sizeof bytes);
        BlankScratchLine(line1());
        BlankScratchLine(line2());
    }
    char* line1() { return bytes; }
    char* line2() { return bytes + kScratchLineSize + kGuard; }
    bool GuardsIntact() const {
        for (size_t line = 0; line < 2; ++line) {
            const char* guard = bytes + line * (kScratchLineSize + kGuard) + kScratchLineSize;
            for (size_t i = 0; i < kGuard; ++i)
                if (guard[i] != kPattern)
                    return false;
        }
        return true;
    }
};

struct HostileValues {
    const char* name;
    double level;
    int32_t pan;
    double number; // frequency, gain and Q alike
};

class HostileValueTest : public PagesTest, public ::testing::WithParamInterface<HostileValues> {
protected:
    void GiveHostileValues() {
        const HostileValues& values = GetParam();
        host.SetDouble(HostParam::Level, kTrack, values.level);
        host.SetInt(HostParam::Pan, kTrack, values.pan);
        for (int32_t id : {HostParam::EqFrequency, HostParam::EqGain, HostParam::EqQ})
            host.SetDouble(id + kLowBand, kTrack, values.number);
    }
};

TEST_P(HostileValueTest, TextsStayInsideTheScratchLines) {
    GiveHostileValues();
    const std::vector<std::function<void()>> states = {
        [] {},
        [this] { Flip(); },
        [this] { SetMode(kEqMode); },
        [this] { Flip(0); },
        [this] { Flip(1); },
        [this] { Flip(2); },
        [this] { Touch(0); },
        [this] { Touch(1); },
        [this] { Touch(2); },
        [this] { TouchFader(); },
        [this] { pages().flip = false; },
        [this] { SetMode(kTrackMode); },
        [this] { Touch(2); },
    };
    // Each state adds to the previous ones, so the pages are visited in many combinations.
    for (size_t step = 0; step < states.size(); ++step) {
        states[step]();
        GuardedLines lines;
        controller->pages.Compose(lines.line1(), lines.line2());
        EXPECT_TRUE(lines.GuardsIntact()) << "state " << step;
        const Lines shown = Page();
        EXPECT_EQ(shown.line1.size(), 16u);
    }
}

TEST_P(HostileValueTest, IdleEqLabelsKeepTheirColumns) {
    GiveHostileValues();
    SetMode(kEqMode);
    const Lines shown = Page();
    EXPECT_EQ(shown.line1, "FreqL GainL  QL ");
    // Each value starts at its own column, whatever the one before it printed.
    EXPECT_NE(shown.line2[6], ' ');
    EXPECT_NE(shown.line2[12], ' ');
    GuardedLines lines;
    controller->pages.Compose(lines.line1(), lines.line2());
    EXPECT_TRUE(lines.GuardsIntact());
}

INSTANTIATE_TEST_SUITE_P(
    Values, HostileValueTest,
    ::testing::Values(HostileValues{"Huge", 1e300, -32768, 1e300},
                      HostileValues{"HugeNegative", -1e300, 32767, -1e300},
                      HostileValues{"NotANumber", std::numeric_limits<double>::quiet_NaN(), -32768,
                                    std::numeric_limits<double>::quiet_NaN()},
                      HostileValues{"Infinite", std::numeric_limits<double>::infinity(), 0x12345678,
                                    -std::numeric_limits<double>::infinity()}),
    CaseName());

} // namespace
