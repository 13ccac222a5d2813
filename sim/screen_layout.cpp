#include "screen_layout.h"

#include <algorithm>

namespace sim {

namespace {

// The surface's panel is drawn at a fixed size; the others take what is left in their column.
constexpr int kSurfaceWidth = 62;
constexpr int kSurfaceHeight = 19;
constexpr int kHostHeight = 24;
constexpr int kDebuggerHeight = 9;
// Smaller than this a panel shows too little to be worth its frame.
constexpr int kSmallestHeight = 4;
constexpr int kNarrowestRight = 40;

std::string SizeText(int columns, int lines) {
    return std::to_string(columns) + " x " + std::to_string(lines);
}

// Below the surface: the Host calls, then the plug-in's debugger output when there is room.
void PlaceLeftColumn(ScreenLayout& layout, int top, int bottom) {
    const int room = bottom - top;
    if (room < kSmallestHeight)
        return;
    const int debugger = room >= kSmallestHeight + kDebuggerHeight ? kDebuggerHeight
                         : room >= 2 * kSmallestHeight             ? kSmallestHeight
                                                                   : 0;
    layout.places.push_back({Panel::Calls, top, 0, room - debugger, kSurfaceWidth});
    if (debugger > 0)
        layout.places.push_back({Panel::Debugger, bottom - debugger, 0, debugger, kSurfaceWidth});
}

// Beside the surface: the Host's project, then the MIDI monitor when there is room.
void PlaceRightColumn(ScreenLayout& layout, int top, int bottom, int width) {
    if (width < kNarrowestRight)
        return;
    const int host = std::min(kHostHeight, bottom - top);
    layout.places.push_back({Panel::Host, top, kSurfaceWidth, host, width});
    if (bottom - top - host >= kSmallestHeight)
        layout.places.push_back(
            {Panel::Monitor, top + host, kSurfaceWidth, bottom - top - host, width});
}

} // namespace

const PanelPlace* ScreenLayout::Find(Panel panel) const {
    for (const PanelPlace& place : places)
        if (place.panel == panel)
            return &place;
    return nullptr;
}

ScreenLayout PlanLayout(int columns, int lines) {
    ScreenLayout layout;
    layout.complete = columns >= kLayoutColumns && lines >= kLayoutLines;
    const int top = kTitleLines;
    const int bottom = lines - kFooterLines;
    const std::string size = SizeText(columns, lines);
    const std::string whole = SizeText(kLayoutColumns, kLayoutLines);
    if (columns < kSurfaceWidth || bottom - top < kSurfaceHeight) {
        layout.shortfall = "this terminal is " + size + ": the surface needs " +
                           SizeText(kSurfaceWidth, kSurfaceHeight + kTitleLines + kFooterLines) +
                           ", every panel " + whole;
        return layout;
    }
    layout.places.push_back({Panel::Surface, top, 0, kSurfaceHeight, kSurfaceWidth});
    PlaceLeftColumn(layout, top + kSurfaceHeight, bottom);
    PlaceRightColumn(layout, top, bottom, columns - kSurfaceWidth);
    if (!layout.complete)
        layout.shortfall = "this terminal is " + size + "; every panel needs " + whole +
                           ", so some are smaller or left out";
    return layout;
}

} // namespace sim
