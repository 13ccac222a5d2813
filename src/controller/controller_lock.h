// The controller's one recursive lock, and the rule by which the threads take it.
//
// Three kinds of thread enter the controller: the platform's MIDI thread with surface input,
// the Host's thread (or threads) with notifications and the refresh timer, and the Host's
// thread again to open and close it. The lock serialises them, so that no member is ever read
// half-written. Surface input takes it and holds it while its gesture calls the Host; that is
// where a Host can hang: a Host may hold its own lock while it notifies the plug-in and take
// that lock inside the calls the plug-in makes, or run a call from another thread on its own
// thread only while that thread pumps its messages. A Host thread that then waited for the
// controller's lock would wait for the MIDI thread, which waits for the Host thread.
//
// So the Host's threads never wait for this lock while the MIDI thread may hold it:
// - a notification only tries it; when surface input holds it, the notification is queued
//   (PendingUpdates) and handled, in order, by the next Host-thread entry that gets the lock,
//   before anything that comes after it;
// - a timer tick only tries it; a tick that finds it taken is skipped (the next one follows
//   within 120 ms and catches up);
// - the open takes it before input can start, and the close only after it has shut the input
//   gate and seen the last gesture leave (InputGate), so neither can meet the MIDI thread here.
// The MIDI thread takes it without condition: the Host's threads never hold it while they wait
// for anything the MIDI thread holds (they hold it while they call the Host, which the MIDI
// thread at that moment is not inside, as it is waiting here).
#pragma once

#include "platform/platform.h"

class ControllerLock {
public:
    ControllerLock() { InitializeCriticalSection(&section); }
    ~ControllerLock() { DeleteCriticalSection(&section); }
    ControllerLock(const ControllerLock&) = delete;
    ControllerLock& operator=(const ControllerLock&) = delete;

    void Enter() { EnterCriticalSection(&section); }
    // Takes the lock only when that needs no wait (or this thread holds it already).
    bool TryEnter() { return TryEnterCriticalSection(&section) != FALSE; }
    void Leave() { LeaveCriticalSection(&section); }

private:
    CRITICAL_SECTION section;
};

// Holds the lock for the life of the guard.
class LockGuard {
public:
    explicit LockGuard(ControllerLock& held) : lock(held) { lock.Enter(); }
    ~LockGuard() { lock.Leave(); }
    LockGuard(const LockGuard&) = delete;
    LockGuard& operator=(const LockGuard&) = delete;

private:
    ControllerLock& lock;
};

// Holds the lock for the life of the guard if it could be taken without waiting.
class TryLockGuard {
public:
    explicit TryLockGuard(ControllerLock& wanted) : lock(wanted), held(wanted.TryEnter()) {}
    ~TryLockGuard() {
        if (held)
            lock.Leave();
    }
    TryLockGuard(const TryLockGuard&) = delete;
    TryLockGuard& operator=(const TryLockGuard&) = delete;

    explicit operator bool() const { return held; }

private:
    ControllerLock& lock;
    const bool held;
};
