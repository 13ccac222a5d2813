// User-space instructions retired by the calling thread, from the processor's counter through
// perf_event_open. Many virtual machines and locked-down kernels offer no such counter: then
// Available() is false and the benchmarks report no instruction figures.
#pragma once

#include <cstdint>

class InstructionCounter {
public:
    InstructionCounter();
    ~InstructionCounter();
    InstructionCounter(const InstructionCounter&) = delete;
    InstructionCounter& operator=(const InstructionCounter&) = delete;

    bool Available() const { return descriptor >= 0; }
    // Instructions counted so far; 0 when unavailable.
    uint64_t Read() const;
    // What one pair of Read calls itself counts, to be taken off each measurement.
    uint64_t Overhead() const { return overhead; }

private:
    int descriptor;
    uint64_t overhead;
};
