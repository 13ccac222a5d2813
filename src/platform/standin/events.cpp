// Events with Windows semantics: an auto-reset event releases one wait per signal and then
// clears; signals do not add up.
#include "internal.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <new>
#include <thread>

namespace {

class Event : public standin::KernelObject {
public:
    Event(bool manualReset, bool initialState) : manual(manualReset), signalled(initialState) {}

    DWORD Wait(DWORD milliseconds) override {
        std::unique_lock<std::mutex> guard(lock);
        const auto isSet = [this] { return signalled; };
        if (milliseconds == INFINITE)
            changed.wait(guard, isSet);
        else if (!changed.wait_for(guard, std::chrono::milliseconds(milliseconds), isSet))
            return WAIT_TIMEOUT;
        if (!manual)
            signalled = false;
        return WAIT_OBJECT_0;
    }

    bool Signalled() override {
        std::lock_guard<std::mutex> guard(lock);
        return signalled;
    }

    void Set() {
        std::lock_guard<std::mutex> guard(lock);
        signalled = true;
        if (manual)
            changed.notify_all();
        else
            changed.notify_one();
    }

    void Reset() {
        std::lock_guard<std::mutex> guard(lock);
        signalled = false;
    }

private:
    const bool manual;
    bool signalled;
    std::mutex lock;
    std::condition_variable changed;
};

// Runs `change` on the event `handle` names; FALSE with the last error set when it names none.
BOOL ChangeEvent(HANDLE handle, void (Event::*change)()) {
    Event* event = dynamic_cast<Event*>(standin::LookUpHandle(handle));
    if (event == nullptr) {
        standin::SetLastErrorCode(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    (event->*change)();
    return TRUE;
}

} // namespace

extern "C" {

HANDLE WINAPI CreateEventA(LPSECURITY_ATTRIBUTES, BOOL manualReset, BOOL initialState,
                           LPCSTR name) {
    if (name != nullptr) {
        // Named events are shared between processes on Windows; nothing here needs them.
        standin::SetLastErrorCode(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto* event = new (std::nothrow) Event(manualReset != FALSE, initialState != FALSE);
    if (event == nullptr) {
        standin::SetLastErrorCode(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    return standin::RegisterHandle(event);
}

BOOL WINAPI SetEvent(HANDLE handle) {
    return ChangeEvent(handle, &Event::Set);
}

BOOL WINAPI ResetEvent(HANDLE handle) {
    return ChangeEvent(handle, &Event::Reset);
}

void WINAPI Sleep(DWORD milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

} // extern "C"
