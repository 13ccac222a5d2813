// What the simulator presents to a person: where the panels go on terminals of every size,
// the role table behind the help and the drawing, the drawing itself, the fader's reading,
// the plug-in's debugger output and the texts of its errors.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <string>
#include <vector>

#include "control_roles.h"
#include "controls/key_assignments.h"
#include "fader_reading.h"
#include "platform/platform.h"
#include "plugin_module.h"
#include "screen_layout.h"
#include "session.h"
#include "surface_drawing.h"
#include "surface_map.h"
#include "text_layout.h"

namespace sim {
namespace {

// ---- The panels on the screen ---------------------------------------------------------------

bool Overlap(const PanelPlace& a, const PanelPlace& b) {
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height &&
           b.y < a.y + a.height;
}

TEST(ScreenLayout, TheWholeLayoutShowsEveryPanelWhereItBelongs) {
    const ScreenLayout layout = PlanLayout(kLayoutColumns, kLayoutLines);
    EXPECT_TRUE(layout.complete);
    EXPECT_TRUE(layout.shortfall.empty());
    struct Expected {
        Panel panel;
        int y, x, height, width;
    };
    const Expected expected[] = {{Panel::Surface, 1, 0, 19, 62},
                                 {Panel::Calls, 20, 0, 13, 62},
                                 {Panel::Debugger, 33, 0, 9, 62},
                                 {Panel::Host, 1, 62, 24, 78},
                                 {Panel::Monitor, 25, 62, 17, 78}};
    ASSERT_EQ(layout.places.size(), std::size(expected));
    for (const Expected& want : expected) {
        const PanelPlace* place = layout.Find(want.panel);
        ASSERT_NE(place, nullptr) << static_cast<int>(want.panel);
        EXPECT_EQ(place->y, want.y);
        EXPECT_EQ(place->x, want.x);
        EXPECT_EQ(place->height, want.height);
        EXPECT_EQ(place->width, want.width);
    }
}

// On every size the panels stay apart, between the title and the footer and inside the
// terminal; the surface shows whenever it fits, and a smaller terminal is told what it lacks.
TEST(ScreenLayout, OnEverySizePanelsNeitherOverlapNorLeaveTheScreen) {
    for (int columns = 10; columns <= 200; columns += 3) {
        for (int lines = 5; lines <= 70; ++lines) {
            const ScreenLayout layout = PlanLayout(columns, lines);
            const std::string size = std::to_string(columns) + " x " + std::to_string(lines);
            for (size_t i = 0; i < layout.places.size(); ++i) {
                const PanelPlace& place = layout.places[i];
                EXPECT_GE(place.y, kTitleLines) << size;
                EXPECT_LE(place.y + place.height, lines - kFooterLines) << size;
                EXPECT_GE(place.x, 0) << size;
                EXPECT_LE(place.x + place.width, columns) << size;
                EXPECT_GE(place.height, 4) << size;
                for (size_t j = i + 1; j < layout.places.size(); ++j)
                    EXPECT_FALSE(Overlap(place, layout.places[j])) << size;
            }
            const bool surfaceFits = columns >= 62 && lines >= 22;
            EXPECT_EQ(layout.Find(Panel::Surface) != nullptr, surfaceFits) << size;
            if (!surfaceFits) {
                EXPECT_TRUE(layout.places.empty()) << size;
            }
            EXPECT_EQ(layout.complete, columns >= 140 && lines >= 44) << size;
            EXPECT_EQ(layout.complete, layout.shortfall.empty()) << size;
            if (!layout.complete) {
                EXPECT_NE(layout.shortfall.find(size), std::string::npos) << layout.shortfall;
                EXPECT_NE(layout.shortfall.find("140 x 44"), std::string::npos) << size;
            }
        }
    }
}

TEST(ScreenLayout, ATerminalTooSmallForTheSurfaceIsToldItsNeeds) {
    const ScreenLayout layout = PlanLayout(80, 20);
    EXPECT_TRUE(layout.places.empty());
    EXPECT_EQ(layout.shortfall,
              "this terminal is 80 x 20: the surface needs 62 x 22, every panel 140 x 44");
}

// ---- Text in fixed widths --------------------------------------------------------------------

TEST(TextLayout, WrapBreaksBetweenWordsAndCutsOnlyWordsLongerThanTheWidth) {
    EXPECT_EQ(Wrap("turn: pan, pushed for fine steps", 12),
              (std::vector<std::string>{"turn: pan,", "pushed for", "fine steps"}));
    EXPECT_EQ(Wrap("Selection-Anchor-Left x", 8),
              (std::vector<std::string>{"Selectio", "n-Anchor", "-Left x"}));
    EXPECT_TRUE(Wrap("   ", 5).empty());
    EXPECT_TRUE(Wrap("text", 0).empty());
    // Columns count characters, not bytes: "Chœur" is five wide.
    EXPECT_EQ(Wrap("Ch\xC5\x93ur Alto", 5), (std::vector<std::string>{"Ch\xC5\x93ur", "Alto"}));
    EXPECT_EQ(Pad("Ch\xC5\x93ur", 7), "Ch\xC5\x93ur  ");
    EXPECT_EQ(Cut("Ch\xC5\x93ur", 3), "Ch\xC5\x93");
}

// ---- The role table --------------------------------------------------------------------------

TEST(ControlRoles, EveryRoleNamesAControlAndEveryButtonAndSensorHasOne) {
    std::set<std::string> named;
    for (const ControlRole& role : ControlRoles()) {
        EXPECT_NE(FindControl(role.control), nullptr) << role.control;
        EXPECT_TRUE(named.insert(role.control).second) << role.control << " twice";
        EXPECT_FALSE(TextsOf(role).track.empty()) << role.control;
    }
    for (const Control& control : Controls()) {
        const std::string name = control.name;
        // The push switches belong to their encoders, the second touch to the strip.
        if (name.compare(0, 4, "push") == 0 || name == "strip2")
            continue;
        EXPECT_EQ(named.count(name), 1u) << name << " has no role";
    }
    for (const std::vector<const char*>& row : ButtonRows())
        for (const char* name : row)
            EXPECT_NE(FindRole(name), nullptr) << name;
}

TEST(ControlRoles, EachAssignableKeyShowsItsDefaultCommandOnce) {
    std::vector<std::string> shown;
    for (const ControlRole& role : ControlRoles()) {
        const RoleTexts texts = TextsOf(role);
        for (const std::string* text : {&texts.track, &texts.eq, &texts.shift})
            if (text->find("*") != std::string::npos)
                shown.push_back(*text);
    }
    ASSERT_EQ(shown.size(), kKeyAssignmentCount);
    for (const KeyAssignment& row : theKeyAssignments)
        EXPECT_EQ(std::count(shown.begin(), shown.end(), CommandText(row.defaultCommand, true)), 1)
            << row.valueName;
    EXPECT_EQ(TextsOf(*FindRole("f2")).shift, "command \"Insert: MIDI Track\"*");
    EXPECT_EQ(TextsOf(*FindRole("playmode")).shift, "command \"Clips: Punch In\"");
    // A key that sends the same command with and without Shift has no Shift text of its own.
    EXPECT_TRUE(TextsOf(*FindRole("footswitch")).shift.empty());
}

// ---- The drawing -----------------------------------------------------------------------------

TEST(SurfaceDrawing, EveryRoleIsDrawnWithItsLabelEscaped) {
    const std::string svg = DrawSurfaceSvg();
    EXPECT_EQ(svg.rfind("<svg ", 0), 0u);
    EXPECT_EQ(svg.substr(svg.size() - 7), "</svg>\n");
    for (const ControlRole& role : ControlRoles()) {
        const std::string header = "font-weight=\"bold\" fill=\"#000000\">" +
                                   EscapeXml(FindControl(role.control)->label) + "</text>";
        EXPECT_NE(svg.find(header), std::string::npos) << role.control;
    }
    EXPECT_NE(svg.find("Trk&lt;"), std::string::npos);
    // Every '<' opens or closes an element: no text put one in the document unescaped.
    for (size_t at = svg.find('<'); at != std::string::npos; at = svg.find('<', at + 1))
        EXPECT_TRUE(std::isalpha(static_cast<unsigned char>(svg[at + 1])) || svg[at + 1] == '/')
            << svg.substr(at, 20);
    EXPECT_EQ(svg, DrawSurfaceSvg()); // the same every time: a committed copy can be compared
}

TEST(SurfaceDrawing, EscapeXmlLeavesNoMarkupCharacter) {
    EXPECT_EQ(EscapeXml("Trk< & \"Trk>\""), "Trk&lt; &amp; &quot;Trk&gt;&quot;");
    EXPECT_EQ(EscapeXml("Ch\xC5\x93ur"), "Ch\xC5\x93ur");
}

// ---- The fader's reading ---------------------------------------------------------------------

TEST(FaderReading, ThePositionStandsForTheLevelOrWhileFlippedThePan) {
    struct Case {
        int position;
        bool pan;
        const char* reading;
    };
    const Case cases[] = {{769, false, "level 0.0 dB"},   {657, false, "level -6.0 dB"},
                          {1023, false, "level 15.0 dB"}, {0, false, "level -300.0 dB"},
                          {504, true, "pan C"},           {0, true, "pan L100"},
                          {1022, true, "pan R100"},       {727, true, "pan R40"}};
    for (const Case& c : cases)
        EXPECT_EQ(FaderReading(c.position, c.pan), c.reading) << c.position;
    EXPECT_EQ(PanText(-35), "L35");
}

// ---- The plug-in's debugger output and its load errors ------------------------------------

TEST(SessionDiagnostics, KeepsTheLatestTextsAndCountsEveryOne) {
    Session session({"", false, true});
    constexpr int kWritten = 5003;
    for (int i = 0; i < kWritten; ++i)
        OutputDebugStringA(("#" + std::to_string(i) + ": line\n").c_str());
    EXPECT_EQ(session.DiagnosticCount(), static_cast<size_t>(kWritten));
    EXPECT_EQ(session.RecentDiagnostics(2),
              (std::vector<std::string>{"#5001: line", "#5002: line"}));
    size_t from = 0; // older than the oldest kept: reading starts at the oldest
    const std::vector<std::string> kept = session.DiagnosticsFrom(from);
    EXPECT_EQ(from, static_cast<size_t>(kWritten));
    ASSERT_FALSE(kept.empty());
    EXPECT_EQ(kept.back(), "#5002: line");
    EXPECT_EQ(kept.size(), static_cast<size_t>(kWritten) - std::stoul(kept.front().substr(1)));
    EXPECT_TRUE(session.DiagnosticsFrom(from).empty());
}

TEST(PluginModule, ALoadFailureNamesThePathOnce) {
    EXPECT_EQ(DescribeLoadFailure("/etc/passwd", "/etc/passwd: invalid ELF header"),
              "cannot load the plug-in /etc/passwd: invalid ELF header");
    EXPECT_EQ(DescribeLoadFailure("x.so", "x.so: cannot open shared object file"),
              "cannot load the plug-in x.so: cannot open shared object file");
    EXPECT_EQ(DescribeLoadFailure("x.so", "undefined symbol: y"),
              "cannot load the plug-in x.so: undefined symbol: y");
    EXPECT_EQ(DescribeLoadFailure("x.so", nullptr),
              "cannot load the plug-in x.so: the loader gives no reason");
    std::string error;
    EXPECT_EQ(PluginModule::Load("/etc/passwd", error), nullptr);
    EXPECT_EQ(error.find("/etc/passwd"), error.rfind("/etc/passwd")) << error;
}

} // namespace
} // namespace sim
