// korvane-sim: a stand-in Host for the Korvane plug-in with a virtual surface in the terminal.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>

#include "key_map.h"
#include "script_runner.h"
#include "session.h"
#include "settings_form.h"
#include "surface_drawing.h"
#include "terminal_ui.h"

namespace {

constexpr int kUsageError = 2;

struct Arguments {
    std::string modulePath = sim::PluginModule::DefaultPath();
    std::string script; // empty: interactive
    bool configure = false;
    bool noSurface = false;
    bool ascii = false;
    std::string drawing; // --draw-surface: where the drawing goes, "-" for standard output
};

void PrintUsage(std::FILE* to) {
    std::fprintf(
        to, "usage: korvane-sim [--module PATH] [--no-surface] [--ascii]\n"
            "       korvane-sim [--module PATH] --configure\n"
            "       korvane-sim [--module PATH] [--no-surface] --script FILE|-\n"
            "       korvane-sim --draw-surface FILE|-\n"
            "\n"
            "  --module PATH   the plug-in to load (default: libkorvane.so beside this program)\n"
            "  --no-surface    start without the virtual Korvane (the plug-in stays inert)\n"
            "  --configure     show the plug-in's settings dialog as a form, then quit\n"
            "  --script FILE   run a script (- for standard input) without the terminal UI;\n"
            "                  exit status 1 when an expectation fails, 2 for a bad line\n"
            "  --ascii         draw the display's bar glyphs with ASCII characters\n"
            "  --draw-surface FILE\n"
            "                  write the drawing of the surface with what each control does\n"
            "                  (SVG, as docs/surface.svg) and quit\n");
    std::fprintf(to, "\nInteractive keys: %s shows every key; %s quits.\n",
                 sim::KeysOf(sim::KeyAction::Help).c_str(),
                 sim::KeysOf(sim::KeyAction::Quit).c_str());
}

// False (with a message printed) for arguments that make no sense.
bool ParseArguments(int argc, char** argv, Arguments& arguments, bool& help) {
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const bool hasValue = i + 1 < argc;
        if (argument == "--help" || argument == "-h") {
            help = true;
        } else if (argument == "--module" && hasValue) {
            arguments.modulePath = argv[++i];
        } else if (argument == "--script" && hasValue) {
            arguments.script = argv[++i];
        } else if (argument == "--draw-surface" && hasValue) {
            arguments.drawing = argv[++i];
        } else if (argument == "--configure") {
            arguments.configure = true;
        } else if (argument == "--no-surface") {
            arguments.noSurface = true;
        } else if (argument == "--ascii") {
            arguments.ascii = true;
        } else {
            std::fprintf(stderr, "korvane-sim: unknown or incomplete argument \"%s\"\n", argv[i]);
            return false;
        }
    }
    if (arguments.configure && !arguments.script.empty()) {
        std::fprintf(stderr,
                     "korvane-sim: --configure is interactive; scripts use \"configure\"\n");
        return false;
    }
    return true;
}

int RunScript(const Arguments& arguments) {
    sim::Session session({arguments.modulePath, !arguments.noSurface, true});
    std::string error;
    if (!session.Open(error)) {
        std::fprintf(stderr, "korvane-sim: %s\n", error.c_str());
        return sim::ScriptRunner::kScriptError;
    }
    sim::ScriptRunner runner(session, std::cout, std::cerr);
    std::cout << "opened " << session.ControllerName() << " from " << arguments.modulePath << "\n";
    runner.PrintTrace();
    if (arguments.script == "-")
        return runner.Run(std::cin, "standard input");
    std::ifstream file(arguments.script);
    if (!file) {
        std::fprintf(stderr, "korvane-sim: cannot read the script %s: %s\n",
                     arguments.script.c_str(), std::strerror(errno));
        return sim::ScriptRunner::kScriptError;
    }
    return runner.Run(file, arguments.script);
}

// False (with the reason printed) when the terminal cannot show the simulator.
bool TerminalUsable() {
    const std::string problem = sim::Screen::Problem();
    if (problem.empty())
        return true;
    std::fprintf(stderr, "korvane-sim: %s\n", problem.c_str());
    return false;
}

int RunConfigure(const Arguments& arguments) {
    if (!TerminalUsable())
        return 1;
    sim::Session session({arguments.modulePath, false, false});
    sim::FormOutcome outcome;
    {
        sim::Screen screen(arguments.ascii);
        outcome = sim::ShowSettingsForm(session);
    }
    std::printf("%s\n", outcome.summary.c_str());
    return outcome.shown ? 0 : 1;
}

int RunInteractive(const Arguments& arguments) {
    if (!TerminalUsable())
        return 1;
    sim::Session session({arguments.modulePath, !arguments.noSurface, false});
    std::string error;
    if (!session.Open(error)) {
        std::fprintf(stderr, "korvane-sim: %s\n", error.c_str());
        return 1;
    }
    sim::TerminalUi ui(session, arguments.modulePath, arguments.ascii);
    ui.Run();
    return 0;
}

int DrawSurface(const std::string& path) {
    const std::string drawing = sim::DrawSurfaceSvg();
    if (path == "-") {
        std::cout << drawing;
        return std::cout.good() ? 0 : 1;
    }
    std::ofstream file(path, std::ios::binary);
    file << drawing;
    file.close();
    if (!file) {
        std::fprintf(stderr, "korvane-sim: cannot write the drawing to %s: %s\n", path.c_str(),
                     std::strerror(errno));
        return 1;
    }
    std::printf("korvane-sim: the drawing of the surface is in %s\n", path.c_str());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    Arguments arguments;
    bool help = false;
    if (!ParseArguments(argc, argv, arguments, help)) {
        PrintUsage(stderr);
        return kUsageError;
    }
    if (help) {
        PrintUsage(stdout);
        return 0;
    }
    if (!arguments.drawing.empty())
        return DrawSurface(arguments.drawing);
    if (!arguments.script.empty())
        return RunScript(arguments);
    if (arguments.configure)
        return RunConfigure(arguments);
    return RunInteractive(arguments);
}
