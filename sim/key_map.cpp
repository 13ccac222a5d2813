#include "key_map.h"

#include <curses.h>

#include <algorithm>
#include <utility>

#include "text_layout.h"

namespace sim {

namespace {

// The help names the keys in a column this wide, what they do beside it.
constexpr int kKeysWidth = 12;

KeyBinding Run(int code, std::string line) {
    return {code, KeyAction::Command, std::move(line)};
}
// A button's keys: one clicks it, the other presses it and keeps it held until pressed again.
std::vector<KeyBinding> Button(int click, int hold, const std::string& control) {
    return {Run(click, "click " + control), Run(hold, "toggle " + control)};
}
std::vector<KeyBinding> With(std::vector<KeyBinding> bindings, KeyBinding another) {
    bindings.push_back(std::move(another));
    return bindings;
}
KeyBinding Fine(int code, int encoder, int step) {
    return {code, KeyAction::FineTurn, "", encoder, step};
}
KeyBinding Does(int code, KeyAction action) {
    return {code, action, ""};
}

const std::vector<KeyRow> kRows = {
    {"Ctrl-Q, Ctrl-C or F10",
     "quit",
     {Does(kCtrlQ, KeyAction::Quit), Does(kCtrlC, KeyAction::Quit),
      Does(KEY_F(10), KeyAction::Quit)},
     "Ctrl-Q quit"},
    {"?",
     "every key, what each control does and every command",
     {Does('?', KeyAction::Help)},
     "? all keys and commands"},
    {"F9",
     "the plug-in's settings dialog",
     {Does(KEY_F(9), KeyAction::Settings)},
     "F9 plug-in settings"},
    {":", "type a command (:host level 0 -12)", {Does(':', KeyAction::Prompt)}, ": type a command"},
    {"F7 F8",
     "unplug the surface, plug it back in",
     {Run(KEY_F(7), "unplug"), Run(KEY_F(8), "plug")}},
    {"Ctrl-L", "redraw the screen", {Does(kCtrlL, KeyAction::Redraw)}},
    {"s S", "Shift (a click latches it; hold S and click another key for Shift as a modifier)",
     Button('s', 'S', "shift")},
    {"q Q", "encoder-mode button 1: track mode", Button('q', 'Q', "mode1")},
    {"w W", "encoder-mode button 2", Button('w', 'W', "mode2")},
    {"e E", "encoder-mode button 3: EQ mode, again EQ band mode", Button('e', 'E', "mode3")},
    {"r R", "encoder-mode button 4", Button('r', 'R', "mode4")},
    {"t T", "encoder-mode button 5", Button('t', 'T', "mode5")},
    {"1 ! F1", "function key F1", With(Button('1', '!', "f1"), Run(KEY_F(1), "click f1"))},
    {"2 @ F2", "function key F2", With(Button('2', '@', "f2"), Run(KEY_F(2), "click f2"))},
    {"3 # F3", "function key F3", With(Button('3', '#', "f3"), Run(KEY_F(3), "click f3"))},
    {"4 $ F4", "function key F4", With(Button('4', '$', "f4"), Run(KEY_F(4), "click f4"))},
    {"5 %", "track state 16", Button('5', '%', "state16")},
    {"6 ^", "solo", Button('6', '^', "solo")},
    {"7 &", "track state 20", Button('7', '&', "state20")},
    {"[ {", "Trk<", Button('[', '{', "trk<")},
    {"] }", "Trk>", Button(']', '}', "trk>")},
    {"z Z", "rewind (Z holds it to wind)", Button('z', 'Z', "rewind")},
    {"x X", "fast-forward (X holds it to wind)", Button('x', 'X', "ffwd")},
    {"c C", "stop", Button('c', 'C', "stop")},
    {"v V", "play", Button('v', 'V', "play")},
    {"b B", "record", Button('b', 'B', "record")},
    {"n N", "PlayMode", Button('n', 'N', "playmode")},
    {"g G", "FaderFn (the flip)", Button('g', 'G', "faderfn")},
    {"f F", "footswitch", Button('f', 'F', "footswitch")},
    {"a", "touch or release the fader", {Run('a', "toggle fader")}},
    {"Up Down",
     "move the fader by 8 (a move touches it first)",
     {Run(KEY_UP, "nudge fader 8"), Run(KEY_DOWN, "nudge fader -8")}},
    {"PgUp PgDn",
     "move the fader by 64",
     {Run(KEY_PPAGE, "nudge fader 64"), Run(KEY_NPAGE, "nudge fader -64")}},
    {"u i",
     "turn encoder 1 back or forward (touching it around the turn)",
     {Run('u', "spin enc1 -1"), Run('i', "spin enc1 1")}},
    {"U I", "fine turns of encoder 1", {Fine('U', 0, -1), Fine('I', 0, 1)}},
    {"o O", "push encoder 1; hold its touch", {Run('o', "push enc1"), Run('O', "toggle enc1")}},
    {"j k", "turn encoder 2 back or forward", {Run('j', "spin enc2 -1"), Run('k', "spin enc2 1")}},
    {"J K", "fine turns of encoder 2", {Fine('J', 1, -1), Fine('K', 1, 1)}},
    {"l L", "push encoder 2; hold its touch", {Run('l', "push enc2"), Run('L', "toggle enc2")}},
    {"m ,", "turn encoder 3 back or forward", {Run('m', "spin enc3 -1"), Run(',', "spin enc3 1")}},
    {"M <", "fine turns of encoder 3", {Fine('M', 2, -1), Fine('<', 2, 1)}},
    {". >", "push encoder 3; hold its touch", {Run('.', "push enc3"), Run('>', "toggle enc3")}},
    {"Left Right",
     "slide on the strip",
     {Run(KEY_LEFT, "slide strip -64"), Run(KEY_RIGHT, "slide strip 64")},
     "Left/Right strip"},
    {"Home End",
     "tap the strip's left or right end",
     {Run(KEY_HOME, "tap strip left"), Run(KEY_END, "tap strip right")}},
    {"Shift-Left Shift-Right",
     "rest at the strip's left or right edge",
     {Run(KEY_SLEFT, "rest strip left"), Run(KEY_SRIGHT, "rest strip right")}},
    {"Insert", "touch or release the strip", {Run(KEY_IC, "toggle strip")}},
    {"- = +",
     "second-touch slide: zoom out or in (vertically while Shift is latched)",
     {Run('-', "zoom out"), Run('=', "zoom in"), Run('+', "zoom in")}},
};

const KeyBinding* FindIn(const KeyRow& row, int code) {
    for (const KeyBinding& binding : row.bindings)
        if (binding.code == code)
            return &binding;
    return nullptr;
}

bool Printable(int code) {
    return code > ' ' && code < 127;
}

// One row of the help, what it does wrapped beside its keys.
std::vector<std::string> HelpOf(const KeyRow& row, int columnWidth) {
    const int keysWidth = std::max(kKeysWidth, Columns(row.keys) + 1);
    std::vector<std::string> lines;
    for (const std::string& text : Wrap(row.about, columnWidth - keysWidth))
        lines.push_back(Pad(lines.empty() ? row.keys : "", keysWidth) + text);
    return lines;
}

} // namespace

const std::vector<KeyRow>& KeyRows() {
    return kRows;
}

const KeyRow* FindRow(int code) {
    for (const KeyRow& row : kRows)
        if (FindIn(row, code) != nullptr)
            return &row;
    return nullptr;
}

const KeyBinding* FindBinding(int code) {
    const KeyRow* row = FindRow(code);
    return row != nullptr ? FindIn(*row, code) : nullptr;
}

std::string KeysOf(KeyAction action) {
    for (const KeyRow& row : kRows)
        for (const KeyBinding& binding : row.bindings)
            if (binding.action == action)
                return row.keys;
    return "";
}

std::string KeyFor(const std::string& line) {
    for (const KeyRow& row : kRows)
        for (const KeyBinding& binding : row.bindings)
            if (binding.action == KeyAction::Command && line == binding.line &&
                Printable(binding.code))
                return std::string(1, static_cast<char>(binding.code));
    return "";
}

std::vector<std::string> KeyHelp(int columnWidth) {
    std::vector<std::vector<std::string>> rows;
    size_t total = 0;
    for (const KeyRow& row : kRows) {
        rows.push_back(HelpOf(row, columnWidth));
        total += rows.back().size();
    }
    // The left column takes the first half of the lines, the right one the rest.
    std::vector<std::string> left, right;
    for (const std::vector<std::string>& lines : rows) {
        std::vector<std::string>& column = 2 * left.size() < total ? left : right;
        column.insert(column.end(), lines.begin(), lines.end());
    }
    std::vector<std::string> help;
    for (size_t line = 0; line < std::max(left.size(), right.size()); ++line)
        help.push_back(Pad(line < left.size() ? left[line] : "", columnWidth) + " " +
                       (line < right.size() ? right[line] : ""));
    return help;
}

std::string FooterText() {
    std::string footer;
    for (const KeyRow& row : kRows)
        if (row.footer != nullptr)
            footer += std::string(footer.empty() ? "" : " | ") + row.footer;
    return footer + " | each control's key stands beside it";
}

} // namespace sim
