// Script mode: runs command lines one after another without a terminal UI, printing a trace of
// the surface's MIDI in both directions and the Host calls each line caused.
#pragma once

#include <istream>
#include <ostream>
#include <string>

#include "commands.h"
#include "session.h"

namespace sim {

class ScriptRunner {
public:
    // Exit statuses.
    static constexpr int kPassed = 0;
    static constexpr int kExpectationFailed = 1;
    static constexpr int kScriptError = 2;

    ScriptRunner(Session& session, std::ostream& trace, std::ostream& errors);

    // Runs every line of `input` (named `name` in messages) and stops at the first line that
    // fails or is not a command.
    int Run(std::istream& input, const std::string& name);
    // Prints what happened since the last call, each event on its own line.
    void PrintTrace();

private:
    Session& session;
    CommandInterpreter interpreter;
    std::ostream& trace;
    std::ostream& errors;
    size_t monitorCursor = 0;
    size_t eventCursor = 0;
    size_t diagnosticsCursor = 0;
};

} // namespace sim
