#include "script_runner.h"

#include <iomanip>

namespace sim {

namespace {

// The hex column is as wide as eight bytes and the ellipsis.
constexpr int kHexWidth = 27;
// The settings dialog writes a line per Host command and list: longer runs are summed up.
constexpr size_t kDiagnosticsShown = 3;

} // namespace

ScriptRunner::ScriptRunner(Session& running, std::ostream& traceOut, std::ostream& errorOut)
    : session(running), interpreter(running), trace(traceOut), errors(errorOut) {}

int ScriptRunner::Run(std::istream& input, const std::string& name) {
    std::string line;
    int number = 0;
    while (std::getline(input, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line[start] == '#')
            continue;
        trace << number << ": " << line.substr(start) << "\n";
        const CommandResult result = interpreter.Run(line);
        PrintTrace();
        if (!result.message.empty() && result.status == CommandResult::Done)
            trace << "   " << result.message << "\n";
        if (result.status == CommandResult::Done)
            continue;
        const char* kind = result.status == CommandResult::Failed ? "expectation failed: " : "";
        trace << "   " << kind << result.message << "\n";
        trace.flush();
        errors << name << ":" << number << ": " << kind << result.message << "\n"
               << "    " << line.substr(start) << "\n";
        return result.status == CommandResult::Failed ? kExpectationFailed : kScriptError;
    }
    trace << "all " << number << " lines of " << name << " ran; every expectation held\n";
    return kPassed;
}

void ScriptRunner::PrintTrace() {
    if (VirtualKorvane* surface = session.Surface()) {
        for (const MidiRecord& record : surface->MonitorFrom(monitorCursor))
            trace << "   " << (record.fromSurface ? "in   " : "out  ") << std::left
                  << std::setw(kHexWidth) << HexBytes(record.bytes)
                  << DescribeMessage(record.fromSurface, record.bytes) << "\n";
    }
    HostModel& host = session.Host();
    for (const HostEvent& event : host.EventsFrom(eventCursor))
        trace << "   host " << DescribeHostEvent(host, event) << "\n";
    const std::vector<std::string> diagnostics = session.DiagnosticsFrom(diagnosticsCursor);
    for (size_t i = 0; i < diagnostics.size() && i < kDiagnosticsShown; ++i)
        trace << "   debug " << diagnostics[i] << "\n";
    if (diagnostics.size() > kDiagnosticsShown)
        trace << "   debug ... " << diagnostics.size() - kDiagnosticsShown << " more lines\n";
}

} // namespace sim
