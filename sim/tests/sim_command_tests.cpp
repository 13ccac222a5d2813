// The command language and the keys as a person meets them: words that do not fit a command
// are answered with that command's usage, which the help shows too; commands on the surface say
// so when the simulator runs without one, and the others still run; every key runs a command
// that works, and every button has a key.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "commands.h"
#include "key_map.h"
#include "platform/standin/far_side.h"
#include "screen_layout.h"
#include "session.h"
#include "support/case_name.h"
#include "surface_map.h"
#include "text_layout.h"

namespace sim {
namespace {

struct LineCase {
    const char* name;
    const char* line;
    CommandResult::Status status;
    const char* message;
};

std::string Shown(CommandResult::Status status) {
    switch (status) {
    case CommandResult::Done:
        return "done";
    case CommandResult::Failed:
        return "failed";
    case CommandResult::Invalid:
        return "invalid";
    }
    return "?";
}

void ExpectAnswer(CommandInterpreter& interpreter, const LineCase& c) {
    const CommandResult result = interpreter.Run(c.line);
    EXPECT_EQ(Shown(result.status), Shown(c.status)) << c.line << ": " << result.message;
    EXPECT_EQ(result.message, c.message) << c.line;
}

// The help as one text: its wrapped lines joined again.
std::string HelpText() {
    std::string text;
    for (const std::string& line : CommandInterpreter::Summary())
        text += " " + line.substr(line.find_first_not_of(' '));
    return text;
}

// A session with the plug-in and the surface, on the test clock and an in-memory registry.
class SurfaceSession : public ::testing::Test {
protected:
    static void SetUpTestSuite() { StandinRegistryUseMemory(); }
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(session.Open(error)) << error;
    }

    Session session{{KORVANE_LIBRARY_PATH, true, true}};
    CommandInterpreter interpreter{session};
};

class CommandsWithSurface : public SurfaceSession,
                            public ::testing::WithParamInterface<LineCase> {};

TEST_P(CommandsWithSurface, WordsThatDoNotFitAreAnsweredWithTheUsageTheHelpShows) {
    const LineCase& c = GetParam();
    ExpectAnswer(interpreter, c);
    const std::string usage = c.message;
    const std::string prefix = "usage: ";
    ASSERT_EQ(usage.compare(0, prefix.size(), prefix), 0) << usage;
    EXPECT_NE(HelpText().find(" " + usage.substr(prefix.size())), std::string::npos) << usage;
}

INSTANTIATE_TEST_SUITE_P(
    Misuses, CommandsWithSurface,
    ::testing::Values(
        LineCase{"MoveWithoutPosition", "move fader", CommandResult::Invalid,
                 "usage: move fader|strip POSITION"},
        LineCase{"MovePastTheTop", "move strip 1024", CommandResult::Invalid,
                 "usage: move fader|strip POSITION"},
        LineCase{"ClickAnLedOnly", "click anysolo", CommandResult::Invalid, "usage: click CONTROL"},
        LineCase{"UntouchNothing", "untouch", CommandResult::Invalid, "usage: untouch CONTROL"},
        LineCase{"TurnIsNeverFine", "turn enc1 1 fine", CommandResult::Invalid,
                 "usage: turn enc1|enc2|enc3 +-N"},
        LineCase{"SpinTooFar", "spin enc2 65", CommandResult::Invalid,
                 "usage: spin enc1|enc2|enc3 +-N [fine]"},
        LineCase{"SpinCoarse", "spin enc3 1 coarse", CommandResult::Invalid,
                 "usage: spin enc1|enc2|enc3 +-N [fine]"},
        LineCase{"RestInTheMiddle", "rest strip middle", CommandResult::Invalid,
                 "usage: rest strip left|right"},
        LineCase{"WaitForever", "wait soon", CommandResult::Invalid, "usage: wait 400ms|2s"},
        LineCase{"ExpectAnLedOfNoLed", "expect led fader on", CommandResult::Invalid,
                 "usage: expect led NAME on|off|blinking"},
        LineCase{"ExpectLineWithoutText", "expect line2", CommandResult::Invalid,
                 "usage: expect line1|line2 \"text\""},
        LineCase{"ExpectNoHostCallWithWords", "expect no-host-call now", CommandResult::Invalid,
                 "usage: expect no-host-call"},
        LineCase{"HostWithoutTrack", "host pan x 3", CommandResult::Invalid,
                 "usage: host level T DB | pan T P | name T \"x\" | state T 16|17|20 on|off | "
                 "track T|none | record on|off | eq T high|mid|low gain|freq|q V"},
        LineCase{"RegistryKept", "registry keep", CommandResult::Invalid, "usage: registry clear"},
        LineCase{"ReopenWithWords", "reopen now", CommandResult::Invalid, "usage: reopen"}),
    CaseName());

TEST(Commands, AnUnknownCommandIsNamed) {
    Session session({"", false, true});
    CommandInterpreter interpreter(session);
    ExpectAnswer(interpreter,
                 {"", "frobnicate 3", CommandResult::Invalid, "unknown command \"frobnicate\""});
}

class CommandsWithoutSurface : public ::testing::TestWithParam<LineCase> {};

TEST_P(CommandsWithoutSurface, OnlyTheCommandsOnTheSurfaceSayThereIsNone) {
    Session session({"", false, true});
    CommandInterpreter interpreter(session);
    ExpectAnswer(interpreter, GetParam());
}

constexpr char kNoSurface[] = "the simulator runs without the surface";

INSTANTIATE_TEST_SUITE_P(
    Lines, CommandsWithoutSurface,
    ::testing::Values(
        LineCase{"Press", "press shift", CommandResult::Invalid, kNoSurface},
        LineCase{"PressMisused", "press", CommandResult::Invalid, kNoSurface},
        LineCase{"Move", "move fader 3", CommandResult::Invalid, kNoSurface},
        LineCase{"Spin", "spin enc1 1", CommandResult::Invalid, kNoSurface},
        LineCase{"Zoom", "zoom in", CommandResult::Invalid, kNoSurface},
        LineCase{"ExpectLine", "expect line1 \"x\"", CommandResult::Invalid, kNoSurface},
        LineCase{"ExpectFader", "expect fader 0", CommandResult::Invalid, kNoSurface},
        LineCase{"ExpectNoKind", "expect", CommandResult::Invalid,
                 "usage: expect line1|line2|led|fader|host-call|no-host-call|host|setting ..."},
        LineCase{"Wait", "wait 10ms", CommandResult::Done, ""},
        LineCase{"Echo", "echo hello there", CommandResult::Done, "hello there"},
        LineCase{"HostChange", "host level 2 -6", CommandResult::Done, ""},
        LineCase{"ExpectHost", "expect host level 0 -6", CommandResult::Done, ""},
        LineCase{"ExpectHostFails", "expect host level 0 -7", CommandResult::Failed,
                 "track 0's level is -6.000000, expected -7"},
        LineCase{"ExpectNoHostCall", "expect no-host-call", CommandResult::Done, ""}),
    CaseName());

TEST(CommandHelp, NamesEveryButtonAndSensorThatACommandTakes) {
    const std::string help = HelpText();
    for (const char* control : {"shift", "mode5", "footswitch", "push3", "fader", "strip2"})
        EXPECT_NE(help.find(std::string(" ") + control), std::string::npos) << control;
    EXPECT_EQ(help.find(" anysolo"), std::string::npos) << "an LED takes no gesture";
}

// ---- The keys ---------------------------------------------------------------------------------

// A key whose line the interpreter refuses would only say so in the status line.
TEST_F(SurfaceSession, EveryKeysCommandRuns) {
    for (const KeyRow& row : KeyRows())
        for (const KeyBinding& binding : row.bindings)
            if (binding.action == KeyAction::Command) {
                EXPECT_EQ(interpreter.Run(binding.line).message, "") << row.keys;
            }
}

// A key bound twice does only what its first binding says.
TEST(Keys, EachKeyIsBoundOnce) {
    std::set<int> codes;
    for (const KeyRow& row : KeyRows())
        for (const KeyBinding& binding : row.bindings)
            EXPECT_TRUE(codes.insert(binding.code).second) << row.keys << ": " << binding.code;
}

// The panel shows each button's key beside it; the encoders' pushes have keys of their own.
TEST(Keys, EveryButtonHasAKeyThatClicksIt) {
    for (const Control& control : Controls()) {
        const std::string name = control.name;
        if (control.kind == ControlKind::Button && name.compare(0, 4, "push") != 0) {
            EXPECT_NE(KeyFor("click " + name), "") << name;
        }
    }
    for (const char* push : {"push enc1", "push enc2", "push enc3"})
        EXPECT_NE(KeyFor(push), "") << push;
}

TEST(Keys, TheFooterStartsWithHowToQuitAndFitsTheLayout) {
    const std::string footer = FooterText();
    EXPECT_EQ(footer.compare(0, 12, "Ctrl-Q quit "), 0) << footer;
    EXPECT_LE(Columns(footer), kLayoutColumns);
    EXPECT_EQ(KeysOf(KeyAction::Quit), "Ctrl-Q, Ctrl-C or F10");
}

} // namespace
} // namespace sim
