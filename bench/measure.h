// Per-operation measurement inside a benchmark loop: each operation is timed on its own (the
// clock's own cost taken off), so that the median and the 99th percentile describe single
// calls; around it the heap allocations of the calling thread, the Host calls, the bytes sent
// to the surface and, where the processor's counter is readable, the instructions are counted.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>
#include <exception>
#include <memory>
#include <utility>

#include "allocation_counter.h"
#include "bench_host.h"
#include "bench_session.h"

// Latencies in nanoseconds: exact up to 4 µs, then within 1/64 of an octave.
class LatencyHistogram {
public:
    LatencyHistogram();
    void Add(int64_t nanoseconds);
    // The smallest recorded value that `fraction` of all values do not exceed.
    double Percentile(double fraction) const;
    int64_t Max() const { return largest; }
    uint64_t Count() const { return total; }

private:
    std::unique_ptr<uint64_t[]> buckets;
    uint64_t total = 0;
    int64_t largest = 0;
};

int64_t NowNanos();
// Whether the figures include instructions per operation.
bool InstructionsMeasured();
// The least time between two clock reads, taken off every timed operation.
int64_t ClockOverheadNanos();

class OpMeasurement {
public:
    OpMeasurement();
    void Begin();
    // Records the operation that ran since Begin as the iteration's time.
    void End(benchmark::State& state);
    // Sets the benchmark's counters from everything recorded.
    void Report(benchmark::State& state) const;

private:
    struct Snapshot {
        uint64_t allocations;
        bench_host::CallCounts host;
        OutputCounts output;
        uint64_t instructions;
    };
    Snapshot Take() const;

    LatencyHistogram latencies;
    Snapshot before = {};
    int64_t started = 0;
    uint64_t operations = 0;
    uint64_t allocations = 0;
    uint64_t hostReads = 0;
    uint64_t hostCalls = 0;
    uint64_t bytes = 0;
    uint64_t lines = 0;
    uint64_t instructions = 0;
};

// Runs `body` and turns what it raises into the benchmark's error, so that one failing case
// is reported and the others still run.
template <typename Body>
void Guarded(benchmark::State& state, Body&& body) {
    try {
        body();
    } catch (const std::exception& error) {
        state.SkipWithError(error.what());
    }
}

// One timed `operation(i)` per iteration i, each after an untimed `prepare(i)`.
template <typename Prepare, typename Operation>
void MeasureEach(benchmark::State& state, Prepare&& prepare, Operation&& operation) {
    OpMeasurement measurement;
    uint64_t index = 0;
    for (auto _ : state) {
        prepare(index);
        measurement.Begin();
        operation(index);
        measurement.End(state);
        ++index;
    }
    measurement.Report(state);
}

inline void NothingToPrepare(uint64_t) {}

// Every other iteration, for operations that alternate (a turn forward and back).
inline bool Odd(uint64_t index) {
    return (index & 1) != 0;
}
