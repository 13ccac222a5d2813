#include "surface_drawing.h"

#include <algorithm>
#include <sstream>
#include <vector>

#include "control_roles.h"
#include "surface_map.h"
#include "text_layout.h"

namespace sim {

namespace {

// Sizes in SVG units. The role texts are set in a monospaced font so that wrapping them by
// characters fits the boxes.
constexpr int kWidth = 1240;
constexpr int kMargin = 20;
constexpr int kGap = 12;
constexpr int kColumnsPerRow = 6;
constexpr int kTextSize = 11;
constexpr int kCharacterWidth = 7; // generous for an 11-unit monospaced font
constexpr int kLineHeight = 14;
constexpr int kBoxPadding = 8;
constexpr int kHeaderHeight = 24;
constexpr int kLedRadius = 5;

// The controls that are not buttons, each in a box of its own: the fader and the encoders in
// one row, the strip below them.
const std::vector<std::vector<const char*>> kContinuousRows = {
    {"fader", "enc1", "enc2", "enc3"},
    {"strip"},
};

struct Group {
    const char* tag;
    const char* colour;
    std::string text;
};

const char kTrackColour[] = "#1a1a1a";
const char kEqColour[] = "#1f5fa8";
const char kShiftColour[] = "#a8511f";

// The role's texts as tagged groups: EQ only where it differs, Shift only where it differs.
std::vector<Group> GroupsOf(const ControlRole& role) {
    const RoleTexts texts = TextsOf(role);
    std::vector<Group> groups;
    groups.push_back({texts.eq.empty() ? "Track, EQ:" : "Track:", kTrackColour, texts.track});
    if (!texts.eq.empty())
        groups.push_back({"EQ:", kEqColour, texts.eq});
    if (!texts.shift.empty())
        groups.push_back({"Shift:", kShiftColour, texts.shift});
    return groups;
}

// The lines of one group: the tag leads the first line.
std::vector<std::string> LinesOf(const Group& group, int characters) {
    return Wrap(std::string(group.tag) + " " + group.text, characters);
}

int CharactersIn(int boxWidth) {
    return (boxWidth - 2 * kBoxPadding) / kCharacterWidth;
}

int BoxHeight(const ControlRole& role, int boxWidth) {
    int lines = 0;
    for (const Group& group : GroupsOf(role))
        lines += static_cast<int>(LinesOf(group, CharactersIn(boxWidth)).size());
    return kHeaderHeight + lines * kLineHeight + kBoxPadding;
}

class Svg {
public:
    void Text(int x, int y, const std::string& text, const std::string& style) {
        out << "  <text x=\"" << x << "\" y=\"" << y << "\" " << style << ">" << EscapeXml(text)
            << "</text>\n";
    }
    void Rect(int x, int y, int width, int height, const std::string& style) {
        out << "  <rect x=\"" << x << "\" y=\"" << y << "\" width=\"" << width << "\" height=\""
            << height << "\" " << style << "/>\n";
    }
    void Circle(int x, int y, int radius, const std::string& style) {
        out << "  <circle cx=\"" << x << "\" cy=\"" << y << "\" r=\"" << radius << "\" " << style
            << "/>\n";
    }
    std::string Document(int height) const {
        std::ostringstream document;
        document << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << kWidth << "\" height=\""
                 << height << "\" viewBox=\"0 0 " << kWidth << " " << height
                 << "\" font-family=\"DejaVu Sans, Liberation Sans, Arial, sans-serif\">\n"
                 << "  <rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n"
                 << out.str() << "</svg>\n";
        return document.str();
    }

private:
    std::ostringstream out;
};

std::string Fill(const char* colour) {
    return std::string("fill=\"") + colour + "\"";
}

const std::string kRoleStyle =
    "font-family=\"DejaVu Sans Mono, Liberation Mono, monospace\" font-size=\"11\"";

// One control's box: its label, its LED, and what it does.
void DrawBox(Svg& svg, const Control& control, int x, int y, int width, int height) {
    svg.Rect(x, y, width, height, "rx=\"6\" fill=\"#f4f4f0\" stroke=\"#6b6b6b\"");
    svg.Text(x + kBoxPadding, y + 17, control.label,
             "font-size=\"14\" font-weight=\"bold\" fill=\"#000000\"");
    if (control.hasLed)
        svg.Circle(x + width - kBoxPadding - kLedRadius, y + 12, kLedRadius,
                   "fill=\"#f2c500\" stroke=\"#806800\"");
    int line = y + kHeaderHeight + kTextSize;
    for (const Group& group : GroupsOf(*FindRole(control.name))) {
        for (const std::string& text : LinesOf(group, CharactersIn(width))) {
            svg.Text(x + kBoxPadding, line, text, kRoleStyle + " " + Fill(group.colour));
            line += kLineHeight;
        }
    }
}

// A row of boxes as wide as `perRow` boxes would be; returns the row's height.
int DrawRow(Svg& svg, const std::vector<const char*>& names, int perRow, int y) {
    const int width = (kWidth - 2 * kMargin - (perRow - 1) * kGap) / perRow;
    int height = 0;
    for (const char* name : names)
        height = std::max(height, BoxHeight(*FindRole(name), width));
    int x = kMargin;
    for (const char* name : names) {
        DrawBox(svg, *FindControl(name), x, y, width, height);
        x += width + kGap;
    }
    return height;
}

int DrawHeading(Svg& svg, int y) {
    svg.Text(kMargin, y + 22, "Korvane: what each control does",
             "font-size=\"20\" font-weight=\"bold\" fill=\"#000000\"");
    int x = kMargin;
    y += 46;
    for (const Group& group : {Group{"Track:", kTrackColour, "in track mode"},
                               Group{"EQ:", kEqColour, "in EQ mode (and EQ band mode)"},
                               Group{"Shift:", kShiftColour, "with Shift latched"}}) {
        const std::string text = std::string(group.tag) + " " + group.text;
        svg.Text(x, y, text, kRoleStyle + " " + Fill(group.colour));
        x += (Columns(text) + 4) * kCharacterWidth;
    }
    svg.Text(x, y, "A dot marks a button with an LED.", kRoleStyle + " " + Fill(kTrackColour));
    y += kLineHeight + 4;
    svg.Text(kMargin, y, kAssignableNote, kRoleStyle + " " + Fill(kTrackColour));
    return y + kGap;
}

int DrawDisplay(Svg& svg, int y) {
    svg.Rect(kMargin, y, 260, 52, "rx=\"4\" fill=\"#bfe3e8\" stroke=\"#355c61\"");
    svg.Text(kMargin + 12, y + 22, "Display: 2 lines of 16 characters",
             "font-size=\"13\" fill=\"#000000\"");
    svg.Text(kMargin + 12, y + 40, "the pages of the current mode",
             kRoleStyle + " " + Fill(kTrackColour));
    return 52;
}

} // namespace

std::string EscapeXml(const std::string& text) {
    std::string escaped;
    for (char c : text) {
        switch (c) {
        case '<':
            escaped += "&lt;";
            break;
        case '>':
            escaped += "&gt;";
            break;
        case '&':
            escaped += "&amp;";
            break;
        case '"':
            escaped += "&quot;";
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

std::string DrawSurfaceSvg() {
    Svg svg;
    int y = DrawHeading(svg, 0);
    y += DrawDisplay(svg, y) + kGap;
    for (const std::vector<const char*>& row : ButtonRows())
        y += DrawRow(svg, row, kColumnsPerRow, y) + kGap;
    for (const std::vector<const char*>& row : kContinuousRows)
        y += DrawRow(svg, row, static_cast<int>(row.size()), y) + kGap;
    return svg.Document(y + kMargin - kGap);
}

} // namespace sim
