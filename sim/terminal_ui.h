// The interactive simulator: the virtual Korvane, the Host's project, the recent Host calls,
// the plug-in's debugger output and a MIDI monitor drawn with ncurses, with a key for every
// control and a prompt for commands.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "commands.h"
#include "key_map.h"
#include "screen_layout.h"
#include "session.h"

namespace sim {

// The terminal in curses mode for as long as the object lives.
class Screen {
public:
    explicit Screen(bool ascii);
    ~Screen();
    Screen(const Screen&) = delete;
    Screen& operator=(const Screen&) = delete;

    // Why the terminal cannot be used (no TERM, a type the terminal database lacks, no
    // terminal at all), in words that say what to do; empty when it can.
    static std::string Problem();
    // Whether block characters and symbols can be drawn (a UTF-8 terminal, no --ascii).
    static bool Unicode();
};

// Draws `text` at row `y`, column `x`, cut to `width` columns (UTF-8 aware).
void PutText(int y, int x, const std::string& text, int width);
// A box with a title, its inside from (y + 1, x + 1) to (y + height - 2, x + width - 2).
void DrawBox(int y, int x, int height, int width, const std::string& title);

class TerminalUi {
public:
    TerminalUi(Session& session, std::string modulePath, bool ascii);
    void Run();

private:
    bool HandleKey(int key); // false to quit
    void Act(const KeyBinding& binding);
    void HandleHelpKey(int key);
    void RunLine(const std::string& line);
    void SetStatus(std::string text);
    void ClearEndedGreetingHint();
    void ReadPrompt();
    void OpenSettings();
    // The fine keys keep their encoder touched and pushed across a row of fine turns.
    void FineTurn(int encoder, int step);
    void LetGoOfFineTurns();

    void Draw();
    void DrawTitle(const ScreenLayout& layout);
    void DrawPanel(const PanelPlace& place);
    void DrawSurface(int y, int x, int height, int width);
    void DrawDisplay(int y, int x);
    void DrawButtons(int y, int x, int width);
    void DrawContinuous(int y, int x, int width);
    void DrawHost(int y, int x, int height, int width);
    void DrawCalls(int y, int x, int height, int width);
    void DrawDebugger(int y, int x, int height, int width);
    void DrawMonitor(int y, int x, int height, int width);
    void DrawHelp();
    void DrawFooter();
    // What the screen shows changed since the last draw.
    bool Changed();

    struct FineHold {
        int encoder = -1;     // the encoder held pushed for fine turns, -1 for none
        bool touched = false; // the hold touched it (rather than the user's own touch)
    };

    Session& session;
    CommandInterpreter interpreter;
    Screen screen;
    std::string modulePath;
    std::string status;
    bool greetingHint = false; // the status shows the hint about the greeting
    std::string greetingLine;  // line 1 of the greeting, once the display showed it
    bool showHelp = false;
    int helpTop = 0;
    std::vector<std::string> helpLines;
    FineHold fineHold;
    bool dirty = true;
    uint64_t drawnSurface = 0;
    uint64_t drawnHost = 0;
    size_t drawnDiagnostics = 0;
    uint32_t drawnAt = 0;
};

} // namespace sim
