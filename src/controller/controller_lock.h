// The controller's one recursive lock, which serialises every entry from outside (surface
// input, Host notifications, the timer, the close).
#pragma once

#include "platform/platform.h"

class ControllerLock {
public:
    ControllerLock() { InitializeCriticalSection(&section); }
    ~ControllerLock() { DeleteCriticalSection(&section); }
    ControllerLock(const ControllerLock&) = delete;
    ControllerLock& operator=(const ControllerLock&) = delete;

    void Enter() { EnterCriticalSection(&section); }
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
