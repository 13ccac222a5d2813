// Where the interactive simulator's panels go on a terminal of a given size: every panel from
// 140 x 44 on; on a smaller terminal the panels that fit, most useful first, never
// overlapping one another, the title or the two footer lines, and never past the edge.
#pragma once

#include <string>
#include <vector>

namespace sim {

enum class Panel { Surface, Calls, Debugger, Host, Monitor };

struct PanelPlace {
    Panel panel;
    int y;
    int x;
    int height;
    int width;
};

struct ScreenLayout {
    std::vector<PanelPlace> places; // the panels shown, each inside the body rows
    bool complete = false;          // every panel shown at its full size
    std::string shortfall;          // what a smaller terminal lacks, to say on the title line

    const PanelPlace* Find(Panel panel) const;
};

// The size the whole layout needs.
constexpr int kLayoutColumns = 140;
constexpr int kLayoutLines = 44;
// The title line above the panels and the two footer lines below them.
constexpr int kTitleLines = 1;
constexpr int kFooterLines = 2;

ScreenLayout PlanLayout(int columns, int lines);

} // namespace sim
