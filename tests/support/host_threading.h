// How a fake Host runs the calls of its four functions: at once, under a document lock of its
// own, or on its own thread only while that thread looks at its messages, as real Hosts do.
// Every fake Host has one (support/fake_host.h).
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>

#include "platform/platform.h"

enum class HostKind {
    // Runs every call at once, on the calling thread.
    Direct,
    // Takes a document lock of its own inside every call, and holds it while it notifies the
    // plug-in (RunNotifying).
    OwnLock,
    // Runs a call from another thread on its own thread, and only while that thread looks at
    // its messages (as a Host serving calls through SendMessage does).
    OwnThread,
};

// The two kinds of Host that real Windows Hosts are, named for the tests that try both.
struct NamedHostKind {
    const char* name;
    HostKind kind;
};
constexpr NamedHostKind kRealHostKinds[] = {
    {"HostHoldingItsLockWhileItNotifies", HostKind::OwnLock},
    {"HostRunningOtherThreadsCallsOnItsThread", HostKind::OwnThread},
};

class HostThreading {
public:
    HostThreading() = default;
    ~HostThreading();
    HostThreading(const HostThreading&) = delete;
    HostThreading& operator=(const HostThreading&) = delete;

    // From now on the Host behaves as `kind` says. For OwnThread the calling thread becomes
    // the Host's own thread, and must stay the one that destroys this object.
    void BecomeKind(HostKind kind);
    HostKind Kind() const { return kind; }

    // Runs one call of the Host's functions as the Host's kind runs it.
    template <typename Call>
    int32_t Run(Call&& call) {
        if (kind == HostKind::OwnThread && GetCurrentThreadId() != hostThread) {
            const std::function<int32_t()> onHostThread = [this, &call] { return Locked(call); };
            return RunOnHostThread(onHostThread);
        }
        return Locked(call);
    }

    // Runs the Host's side of a notification (a call of UpdateController), under the document
    // lock for OwnLock.
    void RunNotifying(const std::function<void()>& notify) {
        Locked([&notify] {
            notify();
            return 0;
        });
    }

private:
    template <typename Call>
    int32_t Locked(Call&& call) {
        std::unique_lock<std::recursive_mutex> document(documentLock, std::defer_lock);
        if (kind == HostKind::OwnLock)
            document.lock();
        return call();
    }
    int32_t RunOnHostThread(const std::function<int32_t()>& call);
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HostKind kind = HostKind::Direct;
    std::recursive_mutex documentLock; // the OwnLock Host's
    DWORD hostThread = 0;              // the OwnThread Host's
    HWND window = nullptr;             // receives the calls made on other threads
};
