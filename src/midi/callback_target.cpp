#include "midi/callback_target.h"

#include <cstddef>
#include <new>
#include <utility>
#include <vector>

#include "common/critical_section.h"

namespace midi {

namespace {

// A close looks at the count again at least this often; the last callback to leave wakes it.
constexpr DWORD kCallbackWaitStepMs = 10;
// Retired targets are freed this many retirements later: a callback that had begun when its
// port closed has long returned by then.
constexpr size_t kRetiredTargets = 16;

// Memory kept for the platform when the module unloads: a plain pointer, so it outlives every
// destructor and stays reachable for as long as the module is mapped.
const std::vector<const void*>* keptPastUnload = nullptr;

class Retirement {
public:
    Retirement() = default;

    // The module unloads: no callback can reach code that is gone, so the retired targets go
    // too. Memory the platform may still use is never freed.
    ~Retirement() {
        for (CallbackTarget* target : ring)
            Free(target);
        if (!kept.empty())
            keptPastUnload = new (std::nothrow) std::vector<const void*>(std::move(kept));
    }
    Retirement(const Retirement&) = delete;
    Retirement& operator=(const Retirement&) = delete;

    void Retire(CallbackTarget* target) {
        CallbackTarget* oldest = nullptr;
        {
            SectionGuard guard(lock);
            oldest = ring[next];
            ring[next] = target;
            next = (next + 1) % kRetiredTargets;
        }
        Free(oldest);
    }

    void Keep(const void* memory) {
        SectionGuard guard(lock);
        try {
            kept.push_back(memory);
        } catch (const std::bad_alloc&) {
            // Without room to remember it, the memory is simply never freed.
        }
    }

private:
    static void Free(CallbackTarget* target) {
        if (target == nullptr)
            return;
        CloseHandle(target->signalEvent);
        delete target;
    }

    CriticalSection lock;
    CallbackTarget* ring[kRetiredTargets] = {};
    size_t next = 0;
    std::vector<const void*> kept;
};

Retirement& TheRetirement() {
    static Retirement retirement;
    return retirement;
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
