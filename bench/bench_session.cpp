#include "bench_session.h"

#include <atomic>
#include <stdexcept>

#include "bench_host.h"
#include "host/host_interface.h"
#include "platform/standin/far_side.h"
#include "platform/standin/midi_bus.h"

namespace {

constexpr DWORD kStartTime = 1000000;
// The display shows its greeting for this many slow refreshes, and one more shows the page.
constexpr int kGreetingRefreshes = 42;
constexpr int kTicksPerSlowRefresh = 3;
constexpr DWORD kIdleWaitMs = 10000;

std::atomic<uint64_t> sentMessages{0};
std::atomic<uint64_t> sentLong{0};
std::atomic<uint64_t> sentBytes{0};

void Add(std::atomic<uint64_t>& counter, uint64_t amount) {
    counter.store(counter.load(std::memory_order_relaxed) + amount, std::memory_order_relaxed);
}

// Every send comes from one thread at a time (the controller's lock serialises them).
void CountOutput(int, DWORD, const BYTE* bytes, DWORD length, void*) {
    constexpr uint64_t kShortMessageBytes = 3;
    Add(sentMessages, 1);
    Add(sentLong, bytes == nullptr ? 0 : 1);
    Add(sentBytes, bytes == nullptr ? kShortMessageBytes : length);
}

void PumpMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&message);
}

} // namespace

BenchSession::BenchSession() {
    StandinBusReset();
    StandinRegistryUseMemory();
    StandinRegistryClear();
    StandinUseTestClock(kStartTime);
    bench_host::Reset();
    inputPort = StandinBusAddPort(STANDIN_BUS_INPUT, kSurfaceName);
    outputPort = StandinBusAddPort(STANDIN_BUS_OUTPUT, kSurfaceName);
    StandinBusSetOutputSink(&CountOutput, nullptr);
    HostCallbackTable table = bench_host::Table();
    StandinBusCounters counters = {};
    if (OpenController(&table) == 1)
        StandinBusGetCounters(&counters);
    if (counters.openOutputs != 1 || counters.openInputs != 1)
        throw std::runtime_error("the controller did not open on the virtual bus");
    for (int refresh = 0; refresh < kGreetingRefreshes; ++refresh)
        SlowRefresh();
    WaitIdle();
}

BenchSession::~BenchSession() {
    CloseController();
    StandinBusSetOutputSink(nullptr, nullptr);
    StandinBusRemovePort(inputPort);
    StandinBusRemovePort(outputPort);
    StandinBusWaitIdle(kIdleWaitMs);
    StandinUseRealClock();
}

void BenchSession::Advance(DWORD milliseconds) {
    StandinAdvanceClock(milliseconds);
    PumpMessages();
}

void BenchSession::SlowRefresh() {
    for (int tick = 0; tick < kTicksPerSlowRefresh; ++tick)
        Advance(kRefreshPeriodMs);
}

void BenchSession::Inject(DWORD word) {
    StandinBusInject(inputPort, word);
}

void BenchSession::WaitIdle() {
    if (StandinBusWaitIdle(kIdleWaitMs) == 0)
        throw std::runtime_error("the MIDI bus did not become idle");
}

OutputCounts BenchSession::Sent() {
    return {sentMessages.load(std::memory_order_relaxed), sentLong.load(std::memory_order_relaxed),
            sentBytes.load(std::memory_order_relaxed)};
}
