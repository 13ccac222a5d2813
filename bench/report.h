// The summary table printed after the benchmarks: one row per operation with its median,
// 99th percentile and counts, and whether it meets the targets set for it.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <ostream>
#include <string>
#include <vector>

struct ResultRow {
    std::string name;
    std::map<std::string, double> counters;
    std::string error; // empty when the benchmark ran
};

// Shows the usual console output and keeps every result for the table.
class CollectingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override;
    const std::vector<ResultRow>& Rows() const { return rows; }

private:
    std::vector<ResultRow> rows;
};

// Writes the table as Markdown; returns the number of targets missed.
int PrintSummary(std::ostream& out, const std::vector<ResultRow>& rows, bool instructionsMeasured);
