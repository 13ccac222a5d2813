#include "measure.h"

#include <algorithm>
#include <chrono>
#include <limits>

#include "instruction_counter.h"

namespace {

// Exact nanoseconds below 2^12; above, 64 buckets per power of two up to 2^40 ns (18 min).
constexpr int kExactBits = 12;
constexpr int64_t kExactLimit = int64_t{1} << kExactBits;
constexpr int kSubBits = 6;
constexpr int kSubBuckets = 1 << kSubBits;
constexpr int kTopBit = 40;
constexpr size_t kBucketCount = kExactLimit + size_t{kTopBit - kExactBits + 1} * kSubBuckets;

int HighestBit(int64_t value) {
    return 63 - __builtin_clzll(static_cast<unsigned long long>(value));
}

size_t BucketOf(int64_t nanoseconds) {
    if (nanoseconds < kExactLimit)
        return static_cast<size_t>(std::max<int64_t>(nanoseconds, 0));
    const int bit = std::min(HighestBit(nanoseconds), kTopBit);
    const int64_t sub = (nanoseconds >> (bit - kSubBits)) & (kSubBuckets - 1);
    return static_cast<size_t>(kExactLimit + int64_t{bit - kExactBits} * kSubBuckets + sub);
}

int64_t LowestValueOf(size_t bucket) {
    const auto index = static_cast<int64_t>(bucket);
    if (index < kExactLimit)
        return index;
    const int64_t offset = index - kExactLimit;
    const int bit = static_cast<int>(offset / kSubBuckets) + kExactBits;
    return (kSubBuckets + offset % kSubBuckets) << (bit - kSubBits);
}

InstructionCounter& Instructions() {
    static InstructionCounter counter;
    return counter;
}

double PerOperation(uint64_t total, uint64_t operations) {
    return operations == 0 ? 0.0 : static_cast<double>(total) / static_cast<double>(operations);
}

} // namespace

LatencyHistogram::LatencyHistogram() : buckets(new uint64_t[kBucketCount]()) {}

void LatencyHistogram::Add(int64_t nanoseconds) {
    ++buckets[BucketOf(nanoseconds)];
    ++total;
    largest = std::max(largest, nanoseconds);
}

double LatencyHistogram::Percentile(double fraction) const {
    if (total == 0)
        return 0.0;
    const auto wanted =
        std::max<uint64_t>(1, static_cast<uint64_t>(fraction * static_cast<double>(total) + 0.5));
    uint64_t seen = 0;
    for (size_t bucket = 0; bucket < kBucketCount; ++bucket) {
        seen += buckets[bucket];
        if (seen >= wanted)
            return static_cast<double>(std::min(LowestValueOf(bucket), largest));
    }
    return static_cast<double>(largest);
}

int64_t NowNanos() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::nanoseconds>(now).count();
}

bool InstructionsMeasured() {
    return Instructions().Available();
}

int64_t ClockOverheadNanos() {
    static const int64_t overhead = [] {
        constexpr int kSamples = 10000;
        int64_t least = std::numeric_limits<int64_t>::max();
        for (int sample = 0; sample < kSamples; ++sample) {
            const int64_t first = NowNanos();
            least = std::min(least, NowNanos() - first);
        }
        return least;
    }();
    return overhead;
}

OpMeasurement::OpMeasurement() {
    ClockOverheadNanos();
    Instructions();
}

OpMeasurement::Snapshot OpMeasurement::Take() const {
    return {ThreadAllocations(), bench_host::Counts(), BenchSession::Sent(), Instructions().Read()};
}

void OpMeasurement::Begin() {
    before = Take();
    started = NowNanos();
}

void OpMeasurement::End(benchmark::State& state) {
    const int64_t elapsed = std::max<int64_t>(NowNanos() - started - ClockOverheadNanos(), 0);
    const Snapshot after = Take();
    latencies.Add(elapsed);
    state.SetIterationTime(static_cast<double>(elapsed) * 1e-9);
    ++operations;
    allocations += after.allocations - before.allocations;
    hostReads += after.host.reads - before.host.reads;
    hostCalls += after.host.sets - before.host.sets + after.host.commands - before.host.commands;
    bytes += after.output.bytes - before.output.bytes;
    lines += after.output.longMessages - before.output.longMessages;
    const uint64_t counted = after.instructions - before.instructions;
    instructions += counted > Instructions().Overhead() ? counted - Instructions().Overhead() : 0;
}

void OpMeasurement::Report(benchmark::State& state) const {
    state.counters["p50_ns"] = latencies.Percentile(0.50);
    state.counters["p99_ns"] = latencies.Percentile(0.99);
    state.counters["allocs/op"] = PerOperation(allocations, operations);
    state.counters["reads/op"] = PerOperation(hostReads, operations);
    state.counters["calls/op"] = PerOperation(hostCalls, operations);
    state.counters["bytes/op"] = PerOperation(bytes, operations);
    // Long messages are display lines, each of which may cost the allocations its message
    // object makes.
    if (lines > 0)
        state.counters["allocs/line"] = PerOperation(allocations, lines);
    if (Instructions().Available())
        state.counters["instr/op"] = PerOperation(instructions, operations);
}
