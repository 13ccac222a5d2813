// The interactive simulator's keys, described once: what each key does and how the help, the
// footer, the hints and the panels name it. Key codes are curses' (KEY_UP and the like).
#pragma once

#include <string>
#include <vector>

namespace sim {

// Control keys as curses reports them.
constexpr int kCtrlC = 3;
constexpr int kCtrlL = 12;
constexpr int kCtrlQ = 17;

enum class KeyAction {
    Quit,
    Help,     // the help screen
    Settings, // the plug-in's settings dialog
    Prompt,   // a command typed at the prompt
    Redraw,
    Command,  // runs `line`
    FineTurn, // a fine turn of `encoder` by `step`, the encoder kept touched and pushed
};

struct KeyBinding {
    int code;
    KeyAction action;
    std::string line;
    int encoder = 0;
    int step = 0;
};

// Keys that belong together, as the help lists them: "u i", "turn encoder 1 back or forward".
struct KeyRow {
    const char* keys;
    const char* about;
    std::vector<KeyBinding> bindings;
    const char* footer = nullptr; // how the footer says it; null for a row it leaves out
};

// Lower case clicks a button; its upper case (or shifted) key presses it and keeps it held
// until the same key again.
const std::vector<KeyRow>& KeyRows();
// The row and the binding of a key; null when the key does nothing.
const KeyRow* FindRow(int code);
const KeyBinding* FindBinding(int code);
// The keys of the first row that does `action`, as the help names them ("?", "Ctrl-Q").
std::string KeysOf(KeyAction action);
// The printable key that runs `line` ("q" for "click mode1"); empty when none does.
std::string KeyFor(const std::string& line);

// The rows in two columns of `columnWidth`, for the help.
std::vector<std::string> KeyHelp(int columnWidth);
// The footer: how to quit first, so that a narrower terminal cuts only the rest.
std::string FooterText();

} // namespace sim
