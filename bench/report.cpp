#include "report.h"

#include <cmath>
#include <cstdio>
#include <functional>
#include <limits>

namespace {

double Counter(const ResultRow& row, const char* name) {
    const auto found = row.counters.find(name);
    return found == row.counters.end() ? std::numeric_limits<double>::quiet_NaN() : found->second;
}

bool StartsWith(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

struct Target {
    const char* prefix; // the rows it applies to
    const char* text;
    std::function<bool(const ResultRow&)> met;
};

bool NoAllocations(const ResultRow& row) {
    return Counter(row, "allocs/op") == 0.0;
}

std::function<bool(const ResultRow&)> AtMost(const char* counter, double limit) {
    return [counter, limit](const ResultRow& row) { return Counter(row, counter) <= limit; };
}

const std::vector<Target>& Targets() {
    static const std::vector<Target> targets = {
        {"OnShortMsg/", "0 allocations", NoAllocations},
        {"OnShortMsg/button", "median <= 200 ns", AtMost("p50_ns", 200)},
        {"OnShortMsg/encoder", "median <= 200 ns", AtMost("p50_ns", 200)},
        {"OnShortMsg/fader", "median <= 1 us", AtMost("p50_ns", 1000)},
        {"Tick/fast", "0 allocations", NoAllocations},
        {"Tick/slow refresh, nothing changed", "0 allocations", NoAllocations},
        {"Tick/slow refresh, nothing changed", "0 bytes", AtMost("bytes/op", 0)},
        {"Tick/slow refresh, nothing changed", "<= 5 Host reads", AtMost("reads/op", 5)},
        // The line's buffer record in the output device; the virtual bus's completion queue
        // adds a block of its own about every 16 buffers.
        {"Tick/slow refresh, everything changed", "<= 1 allocation per display line",
         AtMost("allocs/line", 1.1)},
        {"Compose/", "0 allocations", NoAllocations},
        {"Flush/", "0 allocations", NoAllocations},
        {"UpdateFader/", "0 allocations", NoAllocations},
        {"Traffic/idle", "0 B/s", AtMost("bytes/s", 0)},
        {"EndToEnd/", "p99 <= 100 us", AtMost("p99_ns", 100000)},
    };
    return targets;
}

std::string Time(double nanoseconds) {
    if (std::isnan(nanoseconds))
        return "-";
    char text[32];
    if (nanoseconds < 1000)
        std::snprintf(text, sizeof text, "%.0f ns", nanoseconds);
    else if (nanoseconds < 1e6)
        std::snprintf(text, sizeof text, "%.2f us", nanoseconds / 1e3);
    else
        std::snprintf(text, sizeof text, "%.2f ms", nanoseconds / 1e6);
    return text;
}

std::string Number(double value) {
    if (std::isnan(value))
        return "-";
    char text[32];
    if (value == std::floor(value))
        std::snprintf(text, sizeof text, "%.0f", value);
    else
        std::snprintf(text, sizeof text, "%.2f", value);
    return text;
}

// What the operation sent to the surface: bytes per operation, per second or in all.
std::string Traffic(const ResultRow& row) {
    if (!std::isnan(Counter(row, "bytes/s")))
        return Number(Counter(row, "bytes/s")) + " B/s";
    if (!std::isnan(Counter(row, "bytes")))
        return Number(Counter(row, "bytes")) + " B in " + Number(Counter(row, "messages")) +
               " msgs";
    return Number(Counter(row, "bytes/op"));
}

// The verdicts of every target that applies to the row; counts the misses.
std::string Verdict(const ResultRow& row, int& missed) {
    if (!row.error.empty()) {
        ++missed;
        return "FAILED: " + row.error;
    }
    std::string met;
    std::string failed;
    for (const Target& target : Targets()) {
        if (!StartsWith(row.name, target.prefix))
            continue;
        std::string& list = target.met(row) ? met : failed;
        list += list.empty() ? target.text : std::string(", ") + target.text;
        if (!target.met(row))
            ++missed;
    }
    if (!failed.empty())
        return "MISSED: " + failed;
    return met.empty() ? "" : "met: " + met;
}

} // namespace

void CollectingReporter::ReportRuns(const std::vector<Run>& runs) {
    for (const Run& run : runs) {
        if (run.run_type != Run::RT_Iteration)
            continue;
        ResultRow row;
        row.name = run.run_name.function_name;
        for (const auto& counter : run.counters)
            row.counters[counter.first] = counter.second.value;
        if (run.error_occurred)
            row.error = run.error_message;
        rows.push_back(row);
    }
    ConsoleReporter::ReportRuns(runs);
}

int PrintSummary(std::ostream& out, const std::vector<ResultRow>& rows, bool instructionsMeasured) {
    int missed = 0;
    out << "\n| operation | median | p99 | max | allocs/op | Host reads/op | Host calls/op"
           " | bytes to surface | instr/op | targets |\n"
           "|---|---:|---:|---:|---:|---:|---:|---:|---:|---|\n";
    for (const ResultRow& row : rows) {
        out << "| " << row.name << " | " << Time(Counter(row, "p50_ns")) << " | "
            << Time(Counter(row, "p99_ns")) << " | " << Time(Counter(row, "max_ns")) << " | "
            << Number(Counter(row, "allocs/op")) << " | " << Number(Counter(row, "reads/op"))
            << " | " << Number(Counter(row, "calls/op")) << " | " << Traffic(row) << " | "
            << Number(Counter(row, "instr/op")) << " | " << Verdict(row, missed) << " |\n";
    }
    if (!instructionsMeasured)
        out << "\nInstructions per operation: not measured, the processor's counter cannot be "
               "read here.\n";
    out << "\nTargets missed: " << missed << "\n";
    return missed;
}
