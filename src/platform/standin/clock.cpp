// GetTickCount, with a test clock that tests set and advance instead of sleeping.
#include "far_side.h"
#include "internal.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <utility>
#include <vector>

namespace {

std::atomic<bool> testClockActive{false};
std::atomic<DWORD> testClockNow{0};

std::mutex listenersLock;
std::vector<std::pair<standin::ClockListener, void*>> listeners;

DWORD RealTickCount() {
    // The monotonic clock counts from boot, as the Windows tick count does; it wraps the same
    // way when cut to 32 bits.
    const auto sinceBoot = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<DWORD>(
        std::chrono::duration_cast<std::chrono::milliseconds>(sinceBoot).count());
}

void NotifyListeners() {
    std::vector<std::pair<standin::ClockListener, void*>> copy;
    {
        std::lock_guard<std::mutex> guard(listenersLock);
        copy = listeners;
    }
    for (const auto& entry : copy)
        entry.first(entry.second);
}

} // namespace

namespace standin {

void AddClockListener(ClockListener listener, void* context) {
    std::lock_guard<std::mutex> guard(listenersLock);
    listeners.emplace_back(listener, context);
}

void RemoveClockListener(ClockListener listener, void* context) {
    std::lock_guard<std::mutex> guard(listenersLock);
    listeners.erase(
        std::remove(listeners.begin(), listeners.end(), std::make_pair(listener, context)),
        listeners.end());
}

} // namespace standin

extern "C" {

DWORD WINAPI GetTickCount(void) {
    return testClockActive.load() ? testClockNow.load() : RealTickCount();
}

void StandinUseTestClock(DWORD start) {
    testClockNow.store(start);
    testClockActive.store(true);
    NotifyListeners();
}

void StandinAdvanceClock(DWORD milliseconds) {
    testClockNow.fetch_add(milliseconds); // unsigned: wraps like the tick count
    NotifyListeners();
}

void StandinUseRealClock(void) {
    testClockActive.store(false);
    NotifyListeners();
}

} // extern "C"
