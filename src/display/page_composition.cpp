// The display pages: which page the two lines show in each state, and what each page writes
// at which column. Composition reads the page state and the Host's values; it changes
// nothing and sends nothing.
#include <cstdio>
#include <cstring>

#include "controller/korvane.h"
#include "display/display_pages.h"
#include "display/name_abbreviation.h"
#include "display/scratch_line.h"
#include "display/value_format.h"

namespace {

// While nothing is touched, each encoder owns an area starting at its column.
constexpr int kEncoderColumns[kEncoderCount] = {0, 6, 12};
// Full pages with a bar put their label here and the bar right after it.
constexpr int kBarColumn = 5;

constexpr char kBandLetters[] = {'H', 'M', 'L'};
constexpr const char* kBandNames[] = {"High", "Mid", "Low"};
constexpr int kBandCount = 3;

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
    return band >= 0 && band < kBandCount;
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

void BlankLines(char* line1, char* line2) {
    BlankScratchLine(line1);
    BlankScratchLine(line2);
}

} // namespace

bool DisplayPages::Compose(char* line1, char* line2) {
    if (FaderTouched())
        return FaderPage(line1, line2);
    if (IsTouched(0))
        return Encoder1Page(line1, line2);
    if (IsTouched(1))
        return Encoder2Page(line1, line2);
    if (IsTouched(2))
        return Encoder3Page(line1, line2);
    // Nothing touched: each encoder fills its own area until one page takes the whole display.
    return Encoder1Page(line1, line2) || Encoder2Page(line1, line2) || Encoder3Page(line1, line2);
}

bool DisplayPages::FaderPage(char* line1, char* line2) {
    if (faderOff)
        WriteScratchText(line1, 0, kFaderOffText);
    else if (PanOnFader())
        controller.ShowPan(line1, line2, true);
    else
        controller.ShowLevel(line1, line2, true, kEncoderColumns[2]);
    return true;
}

bool DisplayPages::Encoder1Page(char* line1, char* line2) {
    const bool full = IsTouched(0);
    const bool holdingTrackInfo = controller.trackInfoHold > 0;
    if (controller.IsTrackMode() || holdingTrackInfo)
        return TrackPage(line1, line2, full || holdingTrackInfo);
    if (Mode() == kEqMode)
        return EqPage(line1, line2, full, 0);
    if (Mode() == kEqBandMode)
        return BandPage(line1, line2, full, 0);
    return false;
}

bool DisplayPages::Encoder2Page(char* line1, char* line2) {
    const bool full = IsTouched(1);
    if (ShiftLatched())
        return false;
    switch (Mode()) {
    case kTrackMode:
        if (full)
            WriteScratchText(line1, 0, kMarkerTitle);
        WriteScratchText(line2, kMarkerColumn, kMarkerText);
        return full;
    case kEqMode:
        return EqPage(line1, line2, full, 1);
    case kEqBandMode:
        return BandPage(line1, line2, full, 1);
    default:
        return false;
    }
}

bool DisplayPages::Encoder3Page(char* line1, char* line2) {
    const bool full = IsTouched(2);
    if (ShiftLatched())
        return MotorPage(line1, line2, full);
    switch (Mode()) {
    case kTrackMode:
        if (flip)
            controller.ShowLevel(line1, line2, full, kEncoderColumns[2]);
        else
            controller.ShowPan(line1, line2, full);
        return full;
    case kEqMode:
        return EqPage(line1, line2, full, 2);
    case kEqBandMode:
        return BandPage(line1, line2, full, 2);
    default:
        return false;
    }
}

bool DisplayPages::TrackPage(char* line1, char* line2, bool full) {
    if (full) {
        BlankLines(line1, line2);
        if (IsPressed(0)) {
            WriteScratchText(line1, 0, kTrackModeTitle);
            WriteScratchText(line2, 0,
                             controller.IsTrackMode() ? kTrackModeTracks : kTrackModeMaster);
        } else if (track == kNoTrack) {
            WriteScratchText(line1, 0, kNoTrackText);
        } else {
            char name[kScratchLineSize];
            ReadFittedName(track, name, kFullNameWidth);
            WriteScratchText(line1, 0, name);
            std::snprintf(line2, ScratchRoom(0), "Track %lld", DisplayedTrackNumber(track));
        }
        return true;
    }
    if (track == kNoTrack) {
        WriteScratchText(line1, 0, kNoTrackText);
        return false;
    }
    char name[kScratchLineSize];
    ReadFittedName(track, name, kAreaNameWidth);
    name[kAreaNameWidth] = '\0'; // the area holds at most this many characters
    WriteScratchText(line1, 0, name);
    std::snprintf(line2, ScratchRoom(0), "Trk%02lld", DisplayedTrackNumber(track));
    return false;
}

bool DisplayPages::EqPage(char* line1, char* line2, bool full, int encoder) {
    if (full)
        BlankLines(line1, line2);
    const int column = kEncoderColumns[encoder];
    if (flip && flipEncoder == encoder) {
        controller.ShowLevel(line1, line2, full, column);
        return full;
    }
    static constexpr EqKind kKinds[kEncoderCount] = {EqKind::Frequency, EqKind::Gain, EqKind::Q};
    const double value = GetEqValue(kKinds[encoder], track, eqBand);
    char* text = line2 + column;
    const size_t textRoom = ScratchRoom(column);
    // A full page puts its label at the left, followed by the bar.
    const int labelColumn = full ? 0 : column;
    char* label = line1 + labelColumn;
    const size_t labelRoom = ScratchRoom(labelColumn);
    const char letter = BandLetter(eqBand);
    // The bar shows the number that the text shows (kHz when the text is in kHz).
    double barValue = value;
    switch (kKinds[encoder]) {
    case EqKind::Frequency:
        barValue = FormatFrequency(text, textRoom, value, IsTouched(0));
        std::snprintf(label, labelRoom, "Freq%c", letter);
        break;
    case EqKind::Gain:
        FormatGain(text, textRoom, value, IsTouched(1));
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

bool DisplayPages::BandPage(char* line1, char* line2, bool full, int encoder) {
    if (full)
        BlankLines(line1, line2);
    if (encoder == 0) {
        WriteScratchText(line1, 0, kBandTitle);
        WriteScratchText(line2, 0, BandName(eqBand));
    }
    return full;
}

bool DisplayPages::MotorPage(char* line1, char* line2, bool full) {
    if (full)
        BlankLines(line1, line2);
    WriteScratchText(line1, kMotorTitleColumn, kMotorTitle);
    WriteScratchText(line2, kMotorStateColumn, faderOff ? kMotorOff : kMotorOn);
    return true;
}
