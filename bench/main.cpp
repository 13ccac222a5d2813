// The benchmark program: every case, Google Benchmark's own output, then the summary table.
// Google Benchmark's flags apply (--benchmark_filter, --benchmark_min_time, ...).
#include <benchmark/benchmark.h>

#include <iostream>

#include "benchmarks.h"
#include "measure.h"
#include "report.h"

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RegisterInputBenchmarks();
    RegisterRefreshBenchmarks();
    RegisterBusBenchmarks();
    CollectingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    PrintSummary(std::cout, reporter.Rows(), InstructionsMeasured());
    return 0;
}
