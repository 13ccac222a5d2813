// The display pages: with a finger on a control, that control's page takes the whole display;
// with none, each encoder writes its own area until one page claims the whole display.
#include "display/page_composer.h"

#include <cstdio>
#include <cstring>

#include "display/name_abbreviation.h"
#include "display/scratch_line.h"
#include "display/value_format.h"
#include "host/host_bridge.h"

namespace {

// While nothing is touched, each encoder owns an area starting at its column.
constexpr int kEncoderColumns[kEncoderCount] = {0, 6, 12};
// Full pages with a bar put their title or label at the left and the bar from here.
constexpr int kBarColumn = 5;

constexpr char kBandLetters[kEqBandCount] = {'H', 'M', 'L'};
constexpr const char* kBandNames[kEqBandCount] = {"High", "Mid", "Low"};

constexpr char kFaderOffText[] = "Fader Off...";
constexpr char kMarkerTitle[] = "  << marker >>";
constexpr char kMarkerText[] = "Mark";
constexpr int kMarkerColumn = 6;
constexpr char kTrackModeTitle[] = "Track Mode";
constexpr char kTrackModeTracks[] = "Tracks";
constexpr char kTrackModeMaster[] = "Master";
constexpr char kNoTrackText[] = "NoTrack";
constexpr char kBandTitle[] = "EQBnd";
constexpr char kMotorTitle[] = "Motor";
constexpr int kMotorTitleColumn = 11;
constexpr char kMotorOff[] = "Off";
constexpr char kMotorOn[] = " On";
constexpr int kMotorStateColumn = 12;

// Full level and pan pages: the title, then the bar.
constexpr char kLevelTitle[] = "Level";
constexpr char kPanTitle[] = " Pan ";
// Areas that show the level or pan without a bar.
constexpr char kLevelLabel[] = "Lvl";
constexpr char kPanLabel[] = "Pan";
constexpr int kPanColumn = 12;

// Track names as the Host gives them (15 characters and a terminator), and the widths they
// are fitted to on the full track page and in encoder 1's area.
constexpr int16_t kNameBufferSize = 16;
constexpr int kFullNameWidth = 16;
constexpr int kAreaNameWidth = 10;

// The track's name fitted to `width` columns, in a buffer that holds the widest fit (a
// 15-character name padded to 16) and nothing after its terminator.
void ReadFittedName(int32_t track, char (&name)[kScratchLineSize], int width) {
    std::memset(name, 0, sizeof name);
    GetTrackName(track, name, kNameBufferSize);
    AbbreviateName(name, width);
}

bool IsBand(int32_t band) {
    return band >= 0 && band < kEqBandCount;
}

char BandLetter(int32_t band) {
    return IsBand(band) ? kBandLetters[band] : '?';
}

const char* BandName(int32_t band) {
    return IsBand(band) ? kBandNames[band] : "?";
}

// Tracks are shown counted from 1; the sum is taken wide so that no index overflows.
long long DisplayedTrackNumber(int32_t track) {
    return static_cast<long long>(track) + 1;
}

// One composition: the state it reads and the two lines it writes. Each page returns true
// when it took the whole display.
class Composer {
public:
    Composer(const PageState& pageState, char* firstLine, char* secondLine)
        : state(pageState), line1(firstLine), line2(secondLine) {}

    void Compose() {
        if (state.faderTouched)
            FaderPage();
        else if (state.touched[kEncoder1])
            Encoder1Page();
        else if (state.touched[kEncoder2])
            Encoder2Page();
        else if (state.touched[kEncoder3])
            Encoder3Page();
        else
            static_cast<void>(Encoder1Page() || Encoder2Page() || Encoder3Page());
    }

private:
    bool FaderPage() {
        if (state.faderOff)
            WriteScratchText(line1, 0, kFaderOffText);
        else if (state.mode == kTrackMode && state.flip)
            ShowPan(true);
        else
            ShowLevel(true, kEncoderColumns[kEncoder3]);
        return true;
    }

    bool Encoder1Page() {
        const bool full = state.touched[kEncoder1];
        if (state.IsTrackMode() || state.trackPageHeld)
            return TrackPage(full || state.trackPageHeld);
        if (state.mode == kEqMode)
            return EqPage(full, kEncoder1);
        if (state.mode == kEqBandMode)
            return BandPage(full, kEncoder1);
        return false;
    }

    bool Encoder2Page() {
        const bool full = state.touched[kEncoder2];
        if (state.shiftLatched)
            return false;
        switch (state.mode) {
        case kTrackMode:
            if (full)
                WriteScratchText(line1, 0, kMarkerTitle);
            WriteScratchText(line2, kMarkerColumn, kMarkerText);
            return full;
        case kEqMode:
            return EqPage(full, kEncoder2);
        case kEqBandMode:
            return BandPage(full, kEncoder2);
        default:
            return false;
        }
    }

    bool Encoder3Page() {
        const bool full = state.touched[kEncoder3];
        if (state.shiftLatched)
            return MotorPage(full);
        switch (state.mode) {
        case kTrackMode:
            if (state.flip)
                ShowLevel(full, kEncoderColumns[kEncoder3]);
            else
                ShowPan(full);
            return full;
        case kEqMode:
            return EqPage(full, kEncoder3);
        case kEqBandMode:
            return BandPage(full, kEncoder3);
        default:
            return false;
        }
    }

    bool TrackPage(bool full) {
        if (full) {
            BlankLines();
            if (state.encoder1Pressed) {
                WriteScratchText(line1, 0, kTrackModeTitle);
                WriteScratchText(line2, 0,
                                 state.IsTrackMode() ? kTrackModeTracks : kTrackModeMaster);
            } else if (state.track == kNoTrack) {
                WriteScratchText(line1, 0, kNoTrackText);
            } else {
                char name[kScratchLineSize];
                ReadFittedName(state.track, name, kFullNameWidth);
                WriteScratchText(line1, 0, name);
                std::snprintf(line2, ScratchRoom(0), "Track %lld",
                              DisplayedTrackNumber(state.track));
            }
            return true;
        }
        if (state.track == kNoTrack) {
            WriteScratchText(line1, 0, kNoTrackText);
            return false;
        }
        char name[kScratchLineSize];
        ReadFittedName(state.track, name, kAreaNameWidth);
        name[kAreaNameWidth] = '\0'; // the area holds at most this many characters
        WriteScratchText(line1, 0, name);
        std::snprintf(line2, ScratchRoom(0), "Trk%02lld", DisplayedTrackNumber(state.track));
        return false;
    }

    bool EqPage(bool full, int encoder) {
        if (full)
            BlankLines();
        const int column = kEncoderColumns[encoder];
        if (state.flip && state.flipEncoder == encoder) {
            ShowLevel(full, column);
            return full;
        }
        static constexpr EqKind kKinds[kEncoderCount] = {EqKind::Frequency, EqKind::Gain,
                                                         EqKind::Q};
        const double value = GetEqValue(kKinds[encoder], state.track, state.eqBand);
        char* text = line2 + column;
        const size_t textRoom = ScratchRoom(column);
        // A full page puts its label at the left, followed by the bar.
        const int labelColumn = full ? 0 : column;
        char* label = line1 + labelColumn;
        const size_t labelRoom = ScratchRoom(labelColumn);
        const char letter = BandLetter(state.eqBand);
        // The bar shows the number that the text shows (kHz when the text is in kHz).
        double barValue = value;
        switch (kKinds[encoder]) {
        case EqKind::Frequency:
            barValue = FormatFrequency(text, textRoom, value, state.touched[kEncoder1]);
            std::snprintf(label, labelRoom, "Freq%c", letter);
            break;
        case EqKind::Gain:
            FormatGain(text, textRoom, value, state.touched[kEncoder2]);
            std::snprintf(label, labelRoom, "Gain%c", letter);
            break;
        case EqKind::Q:
            FormatQ(text, textRoom, value);
            std::snprintf(label, labelRoom, " Q%c ", letter);
            break;
        }
        if (full)
            DrawLevelBar(line1 + kBarColumn, ScratchRoom(kBarColumn), barValue);
        return full;
    }

    bool BandPage(bool full, int encoder) {
        if (full)
            BlankLines();
        if (encoder == kEncoder1) {
            WriteScratchText(line1, 0, kBandTitle);
            WriteScratchText(line2, 0, BandName(state.eqBand));
        }
        return full;
    }

    bool MotorPage(bool full) {
        if (full)
            BlankLines();
        WriteScratchText(line1, kMotorTitleColumn, kMotorTitle);
        WriteScratchText(line2, kMotorStateColumn, state.faderOff ? kMotorOff : kMotorOn);
        return true;
    }

    // The current track's level: the whole page with its bar, or the area at `column`.
    void ShowLevel(bool full, int column) {
        const double level = GetTrackLevel(state.track);
        if (full) {
            StartFullPage(kLevelTitle);
            DrawLevelBar(line1 + kBarColumn, ScratchRoom(kBarColumn), level);
        } else {
            WriteScratchText(line1, column, kLevelLabel);
        }
        // The level text starts one column left of its label, so that a sign stands in front
        // of it. The leftmost area has no column to its left: there the text starts at 0.
        const int textColumn = column > 0 ? column - 1 : 0;
        FormatLevel(line2 + textColumn, ScratchRoom(textColumn), level);
    }

    // The current track's pan: the whole page with its bar, or encoder 3's area.
    void ShowPan(bool full) {
        const int16_t pan = GetTrackPan(state.track);
        if (full) {
            StartFullPage(kPanTitle);
            DrawPanBar(line1 + kBarColumn, ScratchRoom(kBarColumn), pan);
        } else {
            WriteScratchText(line1, kPanColumn, kPanLabel);
        }
        FormatPan(line2 + kPanColumn, ScratchRoom(kPanColumn), pan);
    }

    // A full page with a bar: both lines blank and the title before the bar.
    void StartFullPage(const char* title) {
        BlankLines();
        WriteScratchLetters(line1, 0, title);
    }

    void BlankLines() {
        BlankScratchLine(line1);
        BlankScratchLine(line2);
    }

    const PageState& state;
    char* const line1;
    char* const line2;
};

} // namespace

void ComposePage(const PageState& state, char* line1, char* line2) {
    Composer(state, line1, line2).Compose();
}
