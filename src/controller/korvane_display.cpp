// The controller's side of the display: composing both lines from scratch and flushing them,
// and the level and pan fields that several pages share. They read currentTrack.
#include "controller/korvane.h"

#include "display/scratch_line.h"
#include "display/value_format.h"

namespace {

// Full level and pan pages: the title, then the bar.
constexpr char kLevelTitle[] = "Level";
constexpr char kPanTitle[] = " Pan ";
constexpr int kBarColumn = 5;
// Areas that show the value without a bar.
constexpr char kLevelLabel[] = "Lvl";
constexpr char kPanLabel[] = "Pan";
constexpr int kPanColumn = 12;

// Starts a full page: both lines blank and the title at the start of line 1, before its bar.
void StartFullPage(char* line1, char* line2, const char* title) {
    BlankScratchLine(line1);
    BlankScratchLine(line2);
    WriteScratchLetters(line1, 0, title);
}

} // namespace

void Korvane::RefreshDisplay() {
    char line1[kScratchLineSize];
    char line2[kScratchLineSize];
    BlankScratchLine(line1);
    BlankScratchLine(line2);
    pages.Compose(line1, line2);
    display.SetLine(1, line1);
    display.SetLine(2, line2);
    display.Flush(false);
}

void Korvane::ShowLevel(char* line1, char* line2, bool full, int column) {
    const double level = GetTrackLevel(currentTrack);
    if (full) {
        StartFullPage(line1, line2, kLevelTitle);
        DrawLevelBar(line1 + kBarColumn, ScratchRoom(kBarColumn), level);
    } else {
        WriteScratchText(line1, column, kLevelLabel);
    }
    // The level text starts one column left of its label, so that a sign stands in front of
    // it. The leftmost area has no column to its left: there the text starts at column 0.
    const int textColumn = column > 0 ? column - 1 : 0;
    FormatLevel(line2 + textColumn, ScratchRoom(textColumn), level);
}

void Korvane::ShowPan(char* line1, char* line2, bool full) {
    const int16_t pan = GetTrackPan(currentTrack);
    if (full) {
        StartFullPage(line1, line2, kPanTitle);
        DrawPanBar(line1 + kBarColumn, ScratchRoom(kBarColumn), pan);
    } else {
        WriteScratchText(line1, kPanColumn, kPanLabel);
    }
    FormatPan(line2 + kPanColumn, ScratchRoom(kPanColumn), pan);
}
