#include "terminal_ui.h"

#include <curses.h>
#include <langinfo.h>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <utility>

#include "control_roles.h"
#include "fader_reading.h"
#include "key_map.h"
#include "settings_form.h"
#include "text_layout.h"

namespace sim {

namespace {

// Waiting for a key never blocks longer than this, so the Host's loop keeps running the
// plug-in's timer; idle, the program sleeps in this wait.
constexpr int kKeyWaitMs = 30;
// The blinking labels depend on time: look again this often even when nothing arrives.
constexpr uint32_t kQuietRedrawMs = 500;
constexpr int kEscapeDelayMs = 25;
constexpr int kBarWidth = 30;
constexpr int kKeyEscape = 27;
// The help's key table: two columns this wide.
constexpr int kKeyHelpColumn = 68;
// 'q' quits many terminal programs; here it is a button, and the status says how to quit.
constexpr int kQuitLookalike = 'q';

bool unicode = true;

enum ColourPair : short { kLedLit = 1, kHeld, kTitle, kDisplay, kRecording };

std::string HowToQuit() {
    return KeysOf(KeyAction::Quit) + " quits";
}

std::string HowToGetHelp() {
    return KeysOf(KeyAction::Help) + " shows every key";
}

// What the key table does not say: how fine turns go, the Host's steps, how LEDs show.
const char* const kKeyNotes[] = {
    "Fine turns: the first of a row touches the encoder and pushes it, and it stays pushed; the "
    "next ones only turn; any other key",
    "lets go. On the surface a push of a touched encoder is itself one step in EQ mode "
    "(frequency +50, gain +3, Q +10).",
    "",
    "Host value steps: EQ gain 0.1 dB, frequency 1/100 octave, Q 0.01 per step; a scroll step "
    "moves the view by 1/32 of its width",
    "(256 s / horizontal zoom). Tracks outside the project select the nearest track. An LED "
    "shows as a filled (lit) or hollow (dark)",
    "dot after its label, ~ while blinking.",
};

constexpr int kRoleLabelWidth = 9;
constexpr int kRoleColumnWidth = 42;

// The role table in three columns: track mode, EQ mode, with Shift.
std::vector<std::string> RoleHelp() {
    std::vector<std::string> lines = {
        "",
        "What the controls do",
        "  " + Pad("", kRoleLabelWidth) + Pad("in track mode", kRoleColumnWidth) + " " +
            Pad("in EQ mode (- as in track mode)", kRoleColumnWidth) + " " +
            "with Shift latched (- as without)",
    };
    for (const ControlRole& role : ControlRoles()) {
        const RoleTexts texts = TextsOf(role);
        const std::vector<std::string> columns[] = {
            Wrap(texts.track, kRoleColumnWidth),
            Wrap(texts.eq.empty() ? "-" : texts.eq, kRoleColumnWidth),
            Wrap(texts.shift.empty() ? "-" : texts.shift, kRoleColumnWidth)};
        size_t rows = 0;
        for (const std::vector<std::string>& column : columns)
            rows = std::max(rows, column.size());
        for (size_t row = 0; row < rows; ++row) {
            std::string line =
                "  " + Pad(row == 0 ? FindControl(role.control)->label : "", kRoleLabelWidth);
            for (const std::vector<std::string>& column : columns)
                line += Pad(row < column.size() ? column[row] : "", kRoleColumnWidth) + " ";
            lines.push_back(line);
        }
    }
    lines.push_back(std::string("  ") + kAssignableNote);
    return lines;
}

std::vector<std::string> HelpLines() {
    std::vector<std::string> lines = {
        "Keys (lower case clicks a button; its upper-case or shifted key holds it until pressed "
        "again)"};
    for (const std::string& line : KeyHelp(kKeyHelpColumn))
        lines.push_back("  " + line);
    lines.push_back("");
    lines.insert(lines.end(), std::begin(kKeyNotes), std::end(kKeyNotes));
    for (const std::string& line : RoleHelp())
        lines.push_back(line);
    lines.push_back("");
    lines.push_back("Commands (at the : prompt, and in scripts run with --script):");
    for (const std::string& line : CommandInterpreter::Summary())
        lines.push_back("  " + line);
    return lines;
}

// A number with `decimals` places, with a sign when `sign` is set.
std::string Fixed(double value, int decimals, bool sign = false) {
    char text[48];
    std::snprintf(text, sizeof text, sign ? "%+.*f" : "%.*f", decimals, value);
    return text;
}

const char* Symbol(const char* fancy, const char* plain) {
    return unicode ? fancy : plain;
}

std::string Bar(int position, int width, bool marker) {
    const int filled = position * width / (kMaxPosition + 1);
    std::string bar;
    for (int cell = 0; cell < width; ++cell) {
        if (marker)
            bar += cell == filled ? Symbol("\u2503", "|") : Symbol("\u2500", "-");
        else
            bar += cell < filled ? Symbol("\u2588", "#") : Symbol("\u2591", ".");
    }
    return bar;
}

std::string TransportText(const HostModel::Snapshot& project) {
    std::string text =
        project.playing ? (project.playMode5 ? "PLAYING (mode 5)" : "PLAYING") : "stopped";
    if (project.recording)
        text += " RECORDING";
    if (project.winding < 0)
        text += " <<rewinding";
    if (project.winding > 0)
        text += " >>forwarding";
    return text;
}

std::string Seconds(double seconds) {
    return Fixed(seconds, 2) + " s";
}

} // namespace

// ---- Screen ------------------------------------------------------------------------------------

Screen::Screen(bool ascii) {
    std::setlocale(LC_ALL, "");
    if (std::strcmp(nl_langinfo(CODESET), "UTF-8") != 0)
        std::setlocale(LC_CTYPE, "C.UTF-8");
    unicode = !ascii && std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0;
    set_escdelay(kEscapeDelayMs);
    initscr();
    raw();
    noecho();
    keypad(stdscr, TRUE);
    curs_set(0);
    timeout(kKeyWaitMs);
    if (has_colors()) {
        start_color();
        use_default_colors();
        init_pair(kLedLit, COLOR_BLACK, COLOR_YELLOW);
        init_pair(kHeld, COLOR_BLACK, COLOR_GREEN);
        init_pair(kTitle, COLOR_CYAN, -1);
        init_pair(kDisplay, COLOR_BLACK, COLOR_CYAN);
        init_pair(kRecording, COLOR_RED, -1);
    }
}

Screen::~Screen() {
    endwin();
}

bool Screen::Unicode() {
    return unicode;
}

void PutText(int y, int x, const std::string& text, int width) {
    if (width <= 0 || y < 0 || y >= LINES || x >= COLS)
        return;
    mvaddstr(y, x, Cut(text, std::min(width, COLS - x)).c_str());
}

void DrawBox(int y, int x, int height, int width, const std::string& title) {
    if (height < 2 || width < 2)
        return;
    const std::string horizontal = Symbol("\u2500", "-");
    const std::string vertical = Symbol("\u2502", "|");
    std::string top = Symbol("\u250C", "+"), bottom = Symbol("\u2514", "+");
    for (int i = 0; i < width - 2; ++i) {
        top += horizontal;
        bottom += horizontal;
    }
    top += Symbol("\u2510", "+");
    bottom += Symbol("\u2518", "+");
    PutText(y, x, top, width);
    PutText(y + height - 1, x, bottom, width);
    for (int row = y + 1; row < y + height - 1; ++row) {
        PutText(row, x, vertical, 1);
        PutText(row, x + width - 1, vertical, 1);
    }
    attron(COLOR_PAIR(kTitle) | A_BOLD);
    PutText(y, x + 2, " " + title + " ", width - 4);
    attroff(COLOR_PAIR(kTitle) | A_BOLD);
}

// ---- The interactive loop ----------------------------------------------------------------------

TerminalUi::TerminalUi(Session& running, std::string path, bool ascii)
    : session(running), interpreter(running), screen(ascii), modulePath(std::move(path)),
      helpLines(HelpLines()) {
    if (session.Surface() != nullptr) {
        SetStatus("The plug-in greets first; its pages follow in about 15 s. " + HowToGetHelp() +
                  "; " + HowToQuit() + ".");
        greetingHint = true;
    } else {
        SetStatus("No surface: the plug-in found no Korvane port and stays inert.");
    }
}

void TerminalUi::Run() {
    for (;;) {
        session.Pump();
        ClearEndedGreetingHint();
        if (Changed())
            Draw();
        const int key = getch();
        if (key == ERR)
            continue;
        if (!HandleKey(key))
            return;
        dirty = true;
    }
}

bool TerminalUi::Changed() {
    const uint64_t surfaceVersion = session.Surface() != nullptr ? session.Surface()->Version() : 0;
    const uint64_t hostVersion = session.Host().Version();
    const size_t diagnostics = session.DiagnosticCount();
    const uint32_t now = GetTickCount();
    if (!dirty && surfaceVersion == drawnSurface && hostVersion == drawnHost &&
        diagnostics == drawnDiagnostics && now - drawnAt < kQuietRedrawMs)
        return false;
    dirty = false;
    drawnSurface = surfaceVersion;
    drawnHost = hostVersion;
    drawnDiagnostics = diagnostics;
    drawnAt = now;
    return true;
}

// The greeting is the first thing the display shows; the hint about it goes when line 1
// first shows something else.
void TerminalUi::ClearEndedGreetingHint() {
    if (!greetingHint || session.Surface() == nullptr)
        return;
    const std::string line = session.Surface()->Line(0);
    if (greetingLine.empty()) {
        if (line != std::string(kLineLength, ' '))
            greetingLine = line;
        return;
    }
    if (line != greetingLine) {
        SetStatus("");
        dirty = true;
    }
}

bool TerminalUi::HandleKey(int key) {
    const KeyBinding* binding = FindBinding(key);
    if (binding != nullptr && binding->action == KeyAction::Quit)
        return false;
    if (showHelp) {
        HandleHelpKey(key);
        return true;
    }
    if (key == KEY_RESIZE) {
        clear();
        return true;
    }
    if (binding == nullptr || binding->action != KeyAction::FineTurn)
        LetGoOfFineTurns();
    if (binding == nullptr) {
        SetStatus("That key does nothing here; " + HowToGetHelp() + "; " + HowToQuit() + ".");
        return true;
    }
    Act(*binding);
    if (key == kQuitLookalike)
        SetStatus(status + "  (" + std::string(1, static_cast<char>(key)) + " is " +
                  FindRow(key)->about + "; " + HowToQuit() + ")");
    return true;
}

void TerminalUi::Act(const KeyBinding& binding) {
    switch (binding.action) {
    case KeyAction::Help:
        showHelp = true;
        helpTop = 0;
        break;
    case KeyAction::Prompt:
        ReadPrompt();
        break;
    case KeyAction::Settings:
        OpenSettings();
        break;
    case KeyAction::Redraw:
        clear();
        break;
    case KeyAction::Command:
        RunLine(binding.line);
        break;
    case KeyAction::FineTurn:
        FineTurn(binding.encoder, binding.step);
        break;
    case KeyAction::Quit: // the loop ends before a key gets here
        break;
    }
}

// Up and down move through the help; any other key returns to the simulator.
void TerminalUi::HandleHelpKey(int key) {
    const int page = std::max(1, LINES - 1);
    const int last = std::max(0, static_cast<int>(helpLines.size()) - page);
    if (key == KEY_DOWN)
        helpTop = std::min(last, helpTop + 1);
    else if (key == KEY_UP)
        helpTop = std::max(0, helpTop - 1);
    else if (key == KEY_NPAGE || key == ' ')
        helpTop = std::min(last, helpTop + page);
    else if (key == KEY_PPAGE)
        helpTop = std::max(0, helpTop - page);
    else if (key != KEY_RESIZE)
        showHelp = false;
    clear();
}

void TerminalUi::RunLine(const std::string& line) {
    const CommandResult result = interpreter.Run(line);
    std::string text;
    if (result.status == CommandResult::Done)
        text = line + (result.message.empty() ? "" : ": " + result.message);
    else
        text = line + ": " + (result.status == CommandResult::Failed ? "FAILED " : "") +
               result.message;
    const size_t newline = text.find('\n');
    if (newline != std::string::npos)
        text = text.substr(0, newline) + " ...";
    SetStatus(text);
}

void TerminalUi::SetStatus(std::string text) {
    status = std::move(text);
    greetingHint = false;
}

void TerminalUi::FineTurn(int encoder, int step) {
    const std::string number = std::to_string(encoder + 1);
    VirtualKorvane* surface = session.Surface();
    if (surface == nullptr) {
        RunLine("turn enc" + number + " " + std::to_string(step));
        return;
    }
    if (fineHold.encoder != encoder) {
        LetGoOfFineTurns();
        fineHold.encoder = encoder;
        fineHold.touched = !surface->IsHeld(*FindControl("enc" + number));
        if (fineHold.touched)
            interpreter.Run("touch enc" + number);
        interpreter.Run("press push" + number);
    }
    RunLine("turn enc" + number + " " + std::to_string(step));
    SetStatus(status + "  (fine: Enc" + number +
              " stays touched and pushed; its push was one step in EQ mode; any other key "
              "lets go)");
}

void TerminalUi::LetGoOfFineTurns() {
    if (fineHold.encoder < 0)
        return;
    const std::string number = std::to_string(fineHold.encoder + 1);
    interpreter.Run("release push" + number);
    if (fineHold.touched)
        interpreter.Run("untouch enc" + number);
    fineHold = FineHold();
}

void TerminalUi::ReadPrompt() {
    std::string line;
    curs_set(1);
    for (;;) {
        move(LINES - 1, 0);
        clrtoeol();
        PutText(LINES - 1, 0, ":" + line, COLS);
        refresh();
        session.Pump();
        const int key = getch();
        if (key == ERR)
            continue;
        if (key == '\n' || key == '\r' || key == KEY_ENTER)
            break;
        if (key == kKeyEscape || key == kCtrlC) {
            line.clear();
            break;
        }
        if ((key == KEY_BACKSPACE || key == 127 || key == 8) && !line.empty())
            line.pop_back();
        else if (key >= 32 && key < 256 && key != 127)
            line += static_cast<char>(key);
    }
    curs_set(0);
    if (!line.empty())
        RunLine(line);
}

void TerminalUi::OpenSettings() {
    const FormOutcome outcome = ShowSettingsForm(session);
    SetStatus(outcome.summary);
    clear();
}

// ---- Drawing -----------------------------------------------------------------------------------

void TerminalUi::Draw() {
    erase();
    if (showHelp) {
        DrawHelp();
        refresh();
        return;
    }
    const ScreenLayout layout = PlanLayout(COLS, LINES);
    DrawTitle(layout);
    for (const PanelPlace& place : layout.places)
        DrawPanel(place);
    if (layout.places.empty())
        PutText(LINES / 2, 0, "Enlarge the terminal to see the surface; " + HowToQuit() + ".",
                COLS);
    DrawFooter();
    refresh();
}

void TerminalUi::DrawTitle(const ScreenLayout& layout) {
    if (!layout.complete) {
        attron(A_REVERSE | A_BOLD);
        PutText(0, 0, Pad("korvane-sim: " + layout.shortfall, COLS), COLS);
        attroff(A_REVERSE | A_BOLD);
        return;
    }
    attron(A_BOLD);
    PutText(0, 0,
            "korvane-sim: Host with the " + session.ControllerName() + " plug-in from " +
                modulePath,
            COLS);
    attroff(A_BOLD);
}

void TerminalUi::DrawPanel(const PanelPlace& place) {
    using Drawing = void (TerminalUi::*)(int y, int x, int height, int width);
    static const std::pair<Panel, Drawing> kDrawings[] = {
        {Panel::Surface, &TerminalUi::DrawSurface},
        {Panel::Calls, &TerminalUi::DrawCalls},
        {Panel::Debugger, &TerminalUi::DrawDebugger},
        {Panel::Host, &TerminalUi::DrawHost},
        {Panel::Monitor, &TerminalUi::DrawMonitor}};
    for (const auto& [panel, drawing] : kDrawings)
        if (panel == place.panel)
            (this->*drawing)(place.y, place.x, place.height, place.width);
}

void TerminalUi::DrawSurface(int y, int x, int height, int width) {
    DrawBox(y, x, height, width, "Korvane (virtual surface)");
    if (session.Surface() == nullptr) {
        PutText(y + 2, x + 2, "Not connected (--no-surface): the plug-in stays inert.", width - 4);
        return;
    }
    DrawDisplay(y + 1, x + 2);
    DrawButtons(y + 5, x + 2, width - 4);
    DrawContinuous(y + 11, x + 2, width - 4);
}

void TerminalUi::DrawDisplay(int y, int x) {
    VirtualKorvane& surface = *session.Surface();
    std::string edge;
    for (int i = 0; i < kLineLength; ++i)
        edge += Symbol("\u2550", "=");
    PutText(y, x, Symbol("\u2554", "+") + edge + Symbol("\u2557", "+"), kLineLength + 2);
    for (int line = 0; line < kLineCount; ++line) {
        PutText(y + 1 + line, x, Symbol("\u2551", "|"), 1);
        attron(COLOR_PAIR(kDisplay));
        PutText(y + 1 + line, x + 1, DrawDisplayLine(surface.Line(line), unicode), kLineLength);
        attroff(COLOR_PAIR(kDisplay));
        PutText(y + 1 + line, x + 1 + kLineLength, Symbol("\u2551", "|"), 1);
    }
    PutText(y + 3, x, Symbol("\u255A", "+") + edge + Symbol("\u255D", "+"), kLineLength + 2);
    PutText(y + 1, x + kLineLength + 4, "line 1", 8);
    PutText(y + 2, x + kLineLength + 4, "line 2", 8);
    const char* state = !surface.Plugged()      ? "unplugged"
                        : surface.Initialised() ? "initialised"
                                                : "not initialised";
    PutText(y + 3, x + kLineLength + 4, state, 20);
}

void TerminalUi::DrawButtons(int y, int x, int width) {
    VirtualKorvane& surface = *session.Surface();
    const uint32_t now = GetTickCount();
    int row = y;
    for (const std::vector<const char*>& names : ButtonRows()) {
        int column = x;
        for (const char* name : names) {
            const Control& control = *FindControl(name);
            const std::string key = KeyFor(std::string("click ") + name);
            const std::string text = key.empty() ? "" : key + " ";
            PutText(row, column, text, width - (column - x));
            column += Columns(text);
            std::string label = control.label;
            int attributes = A_NORMAL;
            if (control.hasLed) {
                const LedView led = surface.Led(control.note, now);
                label += led.blinking ? Symbol("~", "~") : "";
                label += led.lit ? Symbol("\u25CF", "*") : Symbol("\u25CB", ".");
                if (led.lit)
                    attributes |= COLOR_PAIR(kLedLit) | A_BOLD;
            }
            if (control.kind == ControlKind::Button && surface.IsHeld(control)) {
                label += "(held)";
                attributes |= A_UNDERLINE;
            }
            attron(attributes);
            PutText(row, column, label, width - (column - x));
            attroff(attributes);
            column += Columns(label) + 2;
        }
        ++row;
    }
}

void TerminalUi::DrawContinuous(int y, int x, int width) {
    VirtualKorvane& surface = *session.Surface();
    const int fader = surface.FaderPosition();
    const bool pan = FaderEditsPan(surface, GetTickCount());
    const std::string touched = surface.IsHeld(*FindControl("fader")) ? " touched" : "";
    PutText(y, x,
            KeyFor("toggle fader") + " Fader " + Bar(fader, kBarWidth, false) + " " +
                std::to_string(fader) + touched,
            width);
    PutText(y + 1, x,
            "  stands for the " + FaderReading(fader, pan) + (pan ? " (FaderFn: flipped)" : ""),
            width);
    std::string encoders;
    for (int encoder = 0; encoder < kEncoderCount; ++encoder) {
        const std::string number = std::to_string(encoder + 1);
        const std::string keys = KeyFor("spin enc" + number + " -1") + "/" +
                                 KeyFor("spin enc" + number + " 1") + " " +
                                 KeyFor("push enc" + number);
        const bool isTouched = surface.IsHeld(*FindControl("enc" + number));
        const bool pushed = surface.IsHeld(*FindControl("push" + number));
        encoders += keys + " Enc" + number + (isTouched ? "[touched]" : "") +
                    (pushed ? "[pushed]" : "") + "  ";
    }
    PutText(y + 3, x, encoders, width);
    const int strip = surface.StripPosition();
    std::string touches;
    if (surface.IsHeld(*FindControl("strip")))
        touches += " touched";
    if (surface.IsHeld(*FindControl("strip2")))
        touches += " second touch";
    PutText(y + 5, x,
            "Strip " + Bar(strip, kBarWidth, true) + " " + std::to_string(strip) + touches, width);
}

void TerminalUi::DrawHost(int y, int x, int height, int width) {
    const HostModel::Snapshot project = session.Host().Snap();
    DrawBox(y, x, height, width, "Host: project");
    const int inner = width - 4;
    int row = y + 1;
    if (project.recording)
        attron(COLOR_PAIR(kRecording) | A_BOLD);
    PutText(row++, x + 2,
            "Transport " + TransportText(project) + "   cursor " + Seconds(project.cursor), inner);
    if (project.recording)
        attroff(COLOR_PAIR(kRecording) | A_BOLD);
    std::string markers = "Markers";
    for (double marker : project.markers)
        markers += " " + Fixed(marker, 2);
    PutText(row++, x + 2, markers, inner);
    PutText(row++, x + 2,
            "Scroll " + Seconds(project.scroll) + "   zoom h " +
                std::to_string(project.zoomHorizontal) + " v " +
                std::to_string(project.zoomVertical) + "   metronome " +
                (project.metronome ? "on" : "off") + "   punch-in " +
                (project.punchIn ? "on" : "off"),
            inner);
    PutText(row++, x + 2, " trk name                level    pan  16 solo 20 touch", inner);
    for (size_t index = 0; index < project.tracks.size() && row < y + height - 2; ++index) {
        const Track& track = project.tracks[index];
        const bool current = static_cast<int>(index) == project.currentTrack;
        char text[160];
        std::snprintf(text, sizeof text, "%s%3zu %s %7.2f %6s  %s  %s  %s  %s", current ? ">" : " ",
                      index, Pad(track.name, 18).c_str(), track.level, PanText(track.pan).c_str(),
                      track.state16 ? "*" : ".", track.solo ? " *" : " .",
                      track.state20 ? "*" : ".", track.touched ? "yes" : "");
        if (current)
            attron(A_BOLD);
        PutText(row++, x + 2, text, inner);
        if (current)
            attroff(A_BOLD);
    }
    const bool none = project.currentTrack == kNoTrack;
    const size_t shown = none ? 0 : static_cast<size_t>(project.currentTrack);
    if (none || shown >= project.tracks.size()) {
        PutText(y + height - 2, x + 2, "No current track", inner);
        return;
    }
    const Track& track = project.tracks[shown];
    static const char* const bands[kBandCount] = {"High", "Mid", "Low"};
    std::string eq = "EQ";
    for (int band = 0; band < kBandCount; ++band) {
        const auto b = static_cast<size_t>(band);
        eq += std::string(" ") + bands[band] + " " + Fixed(track.eqFrequency[b], 0) + "Hz " +
              Fixed(track.eqGain[b], 1, true) + "dB Q" + Fixed(track.eqQ[b], 2);
    }
    PutText(y + height - 2, x + 2, eq, inner);
}

void TerminalUi::DrawCalls(int y, int x, int height, int width) {
    const HostModel::Snapshot project = session.Host().Snap();
    DrawBox(y, x, height, width,
            "Recent Host calls (" + std::to_string(project.reads) + " reads so far)");
    const int rows = height - 2;
    if (rows <= 0)
        return;
    HostModel& host = session.Host();
    int row = y + 1;
    for (const HostEvent& event : host.RecentEvents(static_cast<size_t>(rows)))
        PutText(row++, x + 2,
                std::string(event.kind == HostEvent::Notify ? "host>plug-in " : "plug-in>host ") +
                    DescribeHostEvent(host, event),
                width - 4);
}

// What the plug-in writes with OutputDebugStringA: its own diagnostics (a port not found, a
// failure it survived) and the settings dialog's list of Host commands; nothing of the project.
void TerminalUi::DrawDebugger(int y, int x, int height, int width) {
    const size_t count = session.DiagnosticCount();
    DrawBox(y, x, height, width,
            "Plug-in debugger output (" + std::to_string(count) +
                (count == 1 ? " line)" : " lines)"));
    const int rows = height - 2;
    if (rows <= 0)
        return;
    int row = y + 1;
    const std::vector<std::string> lines = session.RecentDiagnostics(static_cast<size_t>(rows));
    if (lines.empty())
        PutText(row, x + 2, "(nothing yet: the plug-in writes here what it reports)", width - 4);
    for (const std::string& line : lines)
        PutText(row++, x + 2, line, width - 4);
}

void TerminalUi::DrawMonitor(int y, int x, int height, int width) {
    DrawBox(y, x, height, width, "MIDI monitor (in: from the surface, out: to it)");
    const int rows = height - 2;
    if (rows <= 0 || session.Surface() == nullptr)
        return;
    int row = y + 1;
    for (const MidiRecord& record : session.Surface()->Monitor(static_cast<size_t>(rows)))
        PutText(row++, x + 2,
                std::string(record.fromSurface ? "in  " : "out ") +
                    Pad(HexBytes(record.bytes), 27) +
                    DescribeMessage(record.fromSurface, record.bytes),
                width - 4);
}

void TerminalUi::DrawHelp() {
    const int page = std::max(1, LINES - 1);
    for (int row = 0; row < page && helpTop + row < static_cast<int>(helpLines.size()); ++row)
        PutText(row, 1, helpLines[static_cast<size_t>(helpTop + row)], COLS - 2);
    const int shownTo = std::min(static_cast<int>(helpLines.size()), helpTop + page);
    attron(A_REVERSE);
    PutText(LINES - 1, 0,
            Pad("Help, lines " + std::to_string(helpTop + 1) + "-" + std::to_string(shownTo) +
                    " of " + std::to_string(helpLines.size()) +
                    ": Up/Down, PgUp/PgDn or Space move; any other key returns; " + HowToQuit() +
                    ".",
                COLS),
            COLS);
    attroff(A_REVERSE);
}

void TerminalUi::DrawFooter() {
    attron(A_REVERSE);
    PutText(LINES - 2, 0, Pad(FooterText(), COLS), COLS);
    attroff(A_REVERSE);
    PutText(LINES - 1, 0, status, COLS);
}

} // namespace sim
