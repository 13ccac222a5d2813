#include "midi/callback_target.h"

#include <cstddef>
#include <new>
#include <vector>

namespace midi {

namespace {

// A close looks at the count again at least this often; the last callback to leave wakes it.
constexpr DWORD kCallbackWaitStepMs = 10;
// Retired targets are freed this many retirements later: a callback that had begun when its
// port closed has long returned by then.
constexpr size_t kRetiredTargets = 16;

class Retirement {
public:
    Retirement() { InitializeCriticalSection(&lock); }

    void Retire(CallbackTarget* target) {
        EnterCriticalSection(&lock);
        CallbackTarget* oldest = ring[next];
        ring[next] = target;
        next = (next + 1) % kRetiredTargets;
        LeaveCriticalSection(&lock);
        Free(oldest);
    }

    void Keep(const void* memory) {
        EnterCriticalSection(&lock);
        try {
            kept.push_back(memory);
        } catch (const std::bad_alloc&) {
            // Without room to remember it, the memory is simply never freed.
        }
        LeaveCriticalSection(&lock);
    }

private:
    static void Free(CallbackTarget* target) {
        if (target == nullptr)
            return;
        CloseHandle(target->signalEvent);
        delete target;
    }

    CRITICAL_SECTION lock;
    CallbackTarget* ring[kRetiredTargets] = {};
    size_t next = 0;
    std::vector<const void*> kept;
};

// Never destroyed: what it keeps must stay reachable for as long as the process runs.
Retirement& TheRetirement() {
    static Retirement* retirement = new Retirement;
    return *retirement;
}

} // namespace

CallbackTarget::InProgress::InProgress(CallbackTarget& entered) : target(entered) {
    target.callbacksInProgress.fetch_add(1);
}

CallbackTarget::InProgress::~InProgress() {
    if (target.callbacksInProgress.fetch_sub(1) == 1 && target.closeWaiting.load())
        SetEvent(target.signalEvent);
}

CallbackTarget* CallbackTarget::Create() {
    auto* target = new (std::nothrow) CallbackTarget;
    if (target == nullptr)
        return nullptr;
    target->signalEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (target->signalEvent == nullptr) {
        delete target;
        return nullptr;
    }
    return target;
}

void CallbackTarget::Retire(CallbackTarget* target) {
    TheRetirement().Retire(target);
}

void CallbackTarget::LeaveToPlatform(CallbackTarget* target) {
    KeepForPlatform(target);
}

void CallbackTarget::WaitForCallbacks() {
    closeWaiting.store(true);
    while (callbacksInProgress.load() != 0)
        WaitForSingleObject(signalEvent, kCallbackWaitStepMs);
    closeWaiting.store(false);
}

void KeepForPlatform(const void* memory) {
    TheRetirement().Keep(memory);
}

} // namespace midi
