// The interactive simulator: the virtual Korvane, the Host's project, the recent Host calls and
// a MIDI monitor drawn with ncurses, with a key for every control and a prompt for commands.
#pragma once

#include <cstdint>
#include <string>

#include "commands.h"
#include "session.h"

namespace sim {

// The terminal in curses mode for as long as the object lives.
class Screen {
public:
    explicit Screen(bool ascii);
    ~Screen();
    Screen(const Screen&) = delete;
    Screen& operator=(const Screen&) = delete;

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
    void RunLine(const std::string& line);
    void ReadPrompt();
    void OpenSettings();

    void Draw();
    void DrawTitle();
    void DrawSurface(int y, int x, int height, int width);
    void DrawDisplay(int y, int x);
    void DrawButtons(int y, int x, int width);
    void DrawContinuous(int y, int x, int width);
    void DrawHost(int y, int x, int height, int width);
    void DrawCalls(int y, int x, int height, int width);
    void DrawMonitor(int y, int x, int height, int width);
    void DrawHelp();
    void DrawFooter();
    // What the screen shows changed since the last draw.
    bool Changed();

    Session& session;
    CommandInterpreter interpreter;
    Screen screen;
    std::string modulePath;
    std::string status;
    bool showHelp = false;
    bool dirty = true;
    uint64_t drawnSurface = 0;
    uint64_t drawnHost = 0;
    uint32_t drawnAt = 0;
    size_t diagnosticsSeen = 0;
    std::string lastDiagnostic; // the plug-in's latest debugger line
};

} // namespace sim
