// The display pages: the whole 16-column lines shown for each page state, composed against a
// recording Host, and Host values far outside their ranges staying inside the scratch lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "display/page_composer.h"
#include "display/scratch_line.h"
#include "display/text_display.h"
#include "host/host_bridge.h"
#include "support/case_name.h"
#include "support/recording_host.h"

namespace {

constexpr int32_t kTrack = 3; // shown as track 4
constexpr int32_t kLowBand = EqBand::Low;

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
        table = host.Table();
        BindHostCallbacks(&table);
        host.SetName(kTrack, "Bass");
        host.SetInt(HostParam::Pan, kTrack, -37);
        host.SetDouble(HostParam::Level, kTrack, -6.0);
        host.SetDouble(HostParam::EqFrequency + kLowBand, kTrack, 250.0);
        host.SetDouble(HostParam::EqGain + kLowBand, kTrack, -3.0);
        host.SetDouble(HostParam::EqQ + kLowBand, kTrack, 0.7);
        state.track = kTrack;
        state.eqBand = kLowBand;
    }

    // Composes the page and returns the lines as the display shows them (NULs as blanks).
    Lines Page() const {
        char line1[kScratchLineSize];
        char line2[kScratchLineSize];
        BlankScratchLine(line1);
        BlankScratchLine(line2);
        ComposePage(state, line1, line2);
        return {Shown(line1), Shown(line2)};
    }

    void SetMode(int mode) { state.mode = mode; }
    void LatchShift() { state.shiftLatched = true; }
    void Touch(int encoder) { state.touched[encoder] = true; }
    void PressEncoder1() { state.encoder1Pressed = true; }
    void TouchFader() { state.faderTouched = true; }
    void Flip(int flipEncoder = kEncoder1) {
        state.flip = true;
        state.flipEncoder = flipEncoder;
    }
    void HoldTrackPage() { state.trackPageHeld = true; }

    RecordingHost host;
    HostCallbackTable table{};
    PageState state;

private:
    static std::string Shown(const char* line) {
        std::string shown(line, kDisplayColumns);
        std::replace(shown.begin(), shown.end(), '\0', ' ');
        return shown;
    }
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
             t.state.faderOff = true;
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
             t.Flip(kEncoder2);
         },
         "FreqL Lvl    QL ", "250Hz-6     0.7 "},
        {"EqModeFlipOnEncoder3",
         [](PagesTest& t) {
             t.SetMode(kEqMode);
             t.Flip(kEncoder3);
         },
         "FreqL GainL Lvl ", "250Hz -3.0d-6   "},
        // The leftmost area has no column left of its own: the level text starts at 0.
        {"EqModeFlipOnEncoder1",
         [](PagesTest& t) {
             t.SetMode(kEqMode);
             t.Flip(kEncoder1);
         },
         "Lvl   GainL  QL ", "-6    -3.0dB0.7 "},
        {"EqModeHighBand",
         [](PagesTest& t) {
             t.SetMode(kEqMode);
             t.state.eqBand = EqBand::High;
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
             t.state.eqBand = EqBand::Mid;
         },
         "EQBnd           ", "Mid             "},
        {"LongNameFittedToTenColumns",
         [](PagesTest& t) { t.host.SetName(kTrack, "Acoustic Guitar"); }, "AcoustcGtr  Pan ",
         "Trk04 Mark  L37 "},
        {"TrackHoldAfterStepInEqMode",
         [](PagesTest& t) {
             t.SetMode(kEqMode);
             t.HoldTrackPage();
         },
         "Bass            ", "Track 4         "},
        {"TrackHoldAfterStepInBandMode",
         [](PagesTest& t) {
             t.SetMode(kEqBandMode);
             t.HoldTrackPage();
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
             t.state.track = kNoTrack;
             t.LatchShift();
         },
         "NoTrack    Motor", "             On "},
        {"TrackHoldAfterStepWithNoTrack",
         [](PagesTest& t) {
             t.state.track = kNoTrack;
             t.HoldTrackPage();
         },
         "NoTrack         ", kBlank},
        {"TrackHoldAfterStepKeepsTheFullName",
         [](PagesTest& t) {
             t.host.SetName(kTrack, "Acoustic Guitar");
             t.HoldTrackPage();
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
             t.state.faderOff = true;
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
        {"Encoder1", [](PagesTest& t) { t.Touch(kEncoder1); }, "Bass            ",
         "Track 4         "},
        {"Encoder1Pressed",
         [](PagesTest& t) {
             t.Touch(kEncoder1);
             t.PressEncoder1();
         },
         "Track Mode      ", "Tracks          "},
        {"Encoder1PressedDuringTrackHoldInEqMode",
         [](PagesTest& t) {
             t.SetMode(kEqMode);
             t.HoldTrackPage();
             t.Touch(kEncoder1);
             t.PressEncoder1();
         },
         "Track Mode      ", "Master          "},
        {"Encoder1ShiftLatchedInEqMode",
         [](PagesTest& t) {
             t.SetMode(kEqMode);
             t.LatchShift();
             t.Touch(kEncoder1);
         },
         "Bass            ", "Track 4         "},
        {"Encoder1PressedShiftLatchedInEqMode",
         [](PagesTest& t) {
             t.SetMode(kEqMode);
             t.LatchShift();
             t.Touch(kEncoder1);
             t.PressEncoder1();
         },
         "Track Mode      ", "Tracks          "},
        // Encoder 1's own area is the leftmost: its level text starts at column 0.
        {"Encoder1InEqModeFlippedOntoIt",
         [](PagesTest& t) {
             t.SetMode(kEqMode);
             t.Flip(kEncoder1);
             t.Touch(kEncoder1);
         },
         "Level" + kLevelBarMinus6 + " ", "-6              "},
        {"Encoder2InEqModeFlippedOntoIt",
         [](PagesTest& t) {
             t.SetMode(kEqMode);
             t.Flip(kEncoder2);
             t.Touch(kEncoder2);
         },
         "Level" + kLevelBarMinus6 + " ", "     -6         "},
        {"Encoder1InEqModeIsPrecise",
         [](PagesTest& t) {
             t.SetMode(kEqMode);
             t.Touch(kEncoder1);
         },
         "FreqL" + kFrequencyBar + " ", "250.00Hz        "},
        {"Encoder1InBandMode",
         [](PagesTest& t) {
             t.SetMode(kEqBandMode);
             t.Touch(kEncoder1);
         },
         "EQBnd           ", "Low             "},
        {"Encoder2", [](PagesTest& t) { t.Touch(kEncoder2); }, "  << marker >>  ",
         "      Mark      "},
        {"Encoder2ShiftLatched",
         [](PagesTest& t) {
             t.LatchShift();
             t.Touch(kEncoder2);
         },
         kBlank, kBlank},
        {"Encoder2InEqModeIsPrecise",
         [](PagesTest& t) {
             t.SetMode(kEqMode);
             t.host.SetDouble(HostParam::EqGain + kLowBand, kTrack, 12.4);
             t.Touch(kEncoder2);
         },
         "GainL" + Full(9) + Glyph(6) + " ", "      12.4dB    "},
        {"Encoder2InEqMode",
         [](PagesTest& t) {
             t.SetMode(kEqMode);
             t.Touch(kEncoder2);
         },
         "GainL" + kGainBarMinus3 + " ", "      -3.0dB    "},
        {"Encoder2InBandMode",
         [](PagesTest& t) {
             t.SetMode(kEqBandMode);
             t.Touch(kEncoder2);
         },
         kBlank, kBlank},
        {"Encoder3ShiftLatched",
         [](PagesTest& t) {
             t.LatchShift();
             t.Touch(kEncoder3);
         },
         "           Motor", "             On "},
        {"Encoder3ShiftLatchedFaderOff",
         [](PagesTest& t) {
             t.LatchShift();
             t.state.faderOff = true;
             t.Touch(kEncoder3);
         },
         "           Motor", "            Off "},
        {"FaderPositiveLevel",
         [](PagesTest& t) {
             t.host.SetDouble(HostParam::Level, kTrack, 3.0);
             t.TouchFader();
         },
         "Level" + Full(7) + Empty(3) + " ", "           +3.0 "},
        {"Encoder3", [](PagesTest& t) { t.Touch(kEncoder3); }, " Pan  " + kPanBarMinus37,
         "            L37 "},
        {"Encoder3Flipped",
         [](PagesTest& t) {
             t.Flip();
             t.Touch(kEncoder3);
         },
         "Level" + kLevelBarMinus6 + " ", "           -6   "},
        {"Encoder3InEqMode",
         [](PagesTest& t) {
             t.SetMode(kEqMode);
             t.Touch(kEncoder3);
         },
         " QL  " + kQBar + " ", "            0.7 "},
        {"Encoder3InBandMode",
         [](PagesTest& t) {
             t.SetMode(kEqBandMode);
             t.Touch(kEncoder3);
         },
         kBlank, kBlank},
        // The fader's page wins over a touched encoder's.
        {"FaderBeforeEncoders",
         [](PagesTest& t) {
             t.Touch(kEncoder2);
             t.TouchFader();
         },
         "Level" + kLevelBarMinus6 + " ", "           -6   "},
    };
}

INSTANTIATE_TEST_SUITE_P(Idle, PageTableTest, ::testing::ValuesIn(IdlePages()), CaseName());
INSTANTIATE_TEST_SUITE_P(Touched, PageTableTest, ::testing::ValuesIn(TouchedPages()), CaseName());

TEST_F(PagesTest, NoTrackAsksTheHostForNoName) {
    state.track = kNoTrack;
    host.ClearCalls();
    const Lines idle = Page();
    EXPECT_EQ(idle.line1, "NoTrack     Pan ");
    EXPECT_EQ(idle.line2, "      Mark   0  ");
    Touch(kEncoder1);
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

TEST_F(PagesTest, NameOfOnlyHighBytesShowsBlanks) {
    host.SetName(kTrack, "\xC4\xD6\xDC");
    EXPECT_EQ(Page().line1, "            Pan ");
    Touch(kEncoder1);
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
        [this] { Flip(kEncoder1); },
        [this] { Flip(kEncoder2); },
        [this] { Flip(kEncoder3); },
        [this] { Touch(kEncoder1); },
        [this] { Touch(kEncoder2); },
        [this] { Touch(kEncoder3); },
        [this] { TouchFader(); },
        [this] { state.flip = false; },
        [this] { SetMode(kTrackMode); },
        [this] { Touch(kEncoder3); },
    };
    // Each state adds to the previous ones, so the pages are visited in many combinations.
    for (size_t step = 0; step < states.size(); ++step) {
        states[step]();
        GuardedLines lines;
        ComposePage(state, lines.line1(), lines.line2());
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
    ComposePage(state, lines.line1(), lines.line2());
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
