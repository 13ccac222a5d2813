// Whether the terminal can show the simulator, asked before curses takes it over: curses
// itself ends the program with a bare "Error opening terminal" when it cannot.
// (On its own because <term.h> defines macros, such as `lines`, that clash with other code.)
#include "terminal_ui.h" // before <term.h>, whose macros would rename its words

#include <curses.h>
#include <term.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace sim {

std::string Screen::Problem() {
    const char* type = std::getenv("TERM");
    if (type == nullptr || type[0] == '\0')
        return "TERM is not set, so the terminal's type is unknown. Set it to the type of this "
               "terminal and start again, for example: TERM=xterm-256color korvane-sim (in tmux "
               "or screen TERM=screen-256color, on the Linux console TERM=linux).";
    int found = 0;
    if (setupterm(type, STDOUT_FILENO, &found) != OK) {
        if (found < 0)
            return "the terminal database (terminfo) is missing; install it with: apt-get "
                   "install ncurses-base";
        return std::string("the terminal type TERM=") + type +
               " is not in the terminal database. Set TERM to a type it knows, for example: "
               "TERM=xterm-256color korvane-sim";
    }
    del_curterm(cur_term);
    if (isatty(STDIN_FILENO) == 0 || isatty(STDOUT_FILENO) == 0)
        return "the interactive simulator needs a terminal for its input and output; without one, "
               "run a script: korvane-sim --script FILE";
    return "";
}

} // namespace sim
