// Through the virtual MIDI bus: the latency from injecting a surface message to the Host's
// callback running on the bus's delivery thread, and the traffic the module sends the surface
// while idle and during a full fader sweep.
#include <stdexcept>

#include "benchmarks.h"
#include "controls/midi_map.h"
#include "measure.h"

namespace {

constexpr int kEndToEndMessages = 100000;
// A message whose callback has not run after this long means the bus is stuck.
constexpr int64_t kDeliveryTimeoutNs = 5'000'000'000;
constexpr DWORD kIdleSeconds = 60;
constexpr DWORD kMillisecondsPerSecond = 1000;

// The Host notes the time of each SetParameter while one of these exists.
struct SetStamping {
    SetStamping() { bench_host::StampSets(true); }
    ~SetStamping() { bench_host::StampSets(false); }
    SetStamping(const SetStamping&) = delete;
    SetStamping& operator=(const SetStamping&) = delete;
};

void WaitForHostSet(uint64_t setsBefore, int64_t injected) {
    while (bench_host::Counts().sets == setsBefore) {
        if (NowNanos() - injected > kDeliveryTimeoutNs)
            throw std::runtime_error("a surface message never reached the Host");
    }
}

// Rewind presses and releases, each of which the module passes to the Host. One message is
// in flight at a time, as a hand on the surface sends them.
void EndToEnd(benchmark::State& state) {
    Guarded(state, [&] {
        BenchSession session;
        LatencyHistogram latencies;
        const SetStamping stamping;
        for (auto _ : state) {
            const uint64_t allocationsBefore = ProcessAllocations();
            int64_t total = 0;
            for (int message = 0; message < kEndToEndMessages; ++message) {
                const uint8_t velocity = (message & 1) != 0 ? kReleasedVelocity : kPressedVelocity;
                const uint64_t setsBefore = bench_host::Counts().sets;
                const int64_t injected = NowNanos();
                session.Inject(NoteOn(Note::Rewind, velocity));
                WaitForHostSet(setsBefore, injected);
                const int64_t latency = bench_host::LastSetNanos() - injected;
                latencies.Add(latency);
                total += latency;
                BenchSession::WaitIdle();
            }
            state.SetIterationTime(static_cast<double>(total) * 1e-9 / kEndToEndMessages);
            state.counters["allocs/op"] =
                static_cast<double>(ProcessAllocations() - allocationsBefore) / kEndToEndMessages;
        }
        state.counters["p50_ns"] = latencies.Percentile(0.50);
        state.counters["p99_ns"] = latencies.Percentile(0.99);
        state.counters["max_ns"] = static_cast<double>(latencies.Max());
        state.counters["messages"] = static_cast<double>(latencies.Count());
    });
}

// The surface left alone after the first full refresh, for a minute of the refresh timer.
void IdleTraffic(benchmark::State& state) {
    Guarded(state, [&] {
        BenchSession session;
        for (auto _ : state) {
            const uint64_t before = BenchSession::Sent().bytes;
            for (DWORD elapsed = 0; elapsed < kIdleSeconds * kMillisecondsPerSecond;
                 elapsed += kRefreshPeriodMs)
                session.Advance(kRefreshPeriodMs);
            BenchSession::WaitIdle();
            state.SetIterationTime(static_cast<double>(kIdleSeconds));
            state.counters["bytes/s"] =
                static_cast<double>(BenchSession::Sent().bytes - before) / kIdleSeconds;
        }
    });
}

// The fader touched, moved through all 1024 positions on the bus and released.
void FaderSweep(benchmark::State& state) {
    Guarded(state, [&] {
        BenchSession session;
        for (auto _ : state) {
            const OutputCounts before = BenchSession::Sent();
            const int64_t started = NowNanos();
            session.Inject(NoteOn(Note::FaderTouch, kPressedVelocity));
            for (int position = 0; position < kPositionCount; ++position)
                session.Inject(FaderWord(position));
            session.Inject(NoteOn(Note::FaderTouch, kReleasedVelocity));
            BenchSession::WaitIdle();
            state.SetIterationTime(static_cast<double>(NowNanos() - started) * 1e-9);
            const OutputCounts after = BenchSession::Sent();
            state.counters["bytes"] = static_cast<double>(after.bytes - before.bytes);
            state.counters["messages"] = static_cast<double>(after.messages - before.messages);
        }
    });
}

} // namespace

void RegisterBusBenchmarks() {
    benchmark::RegisterBenchmark("EndToEnd/inject to Host callback", EndToEnd)
        ->UseManualTime()
        ->Iterations(1);
    benchmark::RegisterBenchmark("Traffic/idle after the first full refresh", IdleTraffic)
        ->UseManualTime()
        ->Iterations(1);
    benchmark::RegisterBenchmark("Traffic/full fader sweep with echo", FaderSweep)
        ->UseManualTime()
        ->Iterations(1);
}
