// A platform critical section owned by value, and the guards that hold one. A thread that holds
// it may enter it again.
#pragma once

#include "platform/platform.h"

class CriticalSection {
public:
    CriticalSection() { InitializeCriticalSection(&section); }
    ~CriticalSection() { DeleteCriticalSection(&section); }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;

    void Enter() { EnterCriticalSection(&section); }
    // Enters only when that needs no wait (or this thread holds it already).
    bool TryEnter() { return TryEnterCriticalSection(&section) != FALSE; }
    void Leave() { LeaveCriticalSection(&section); }

private:
    CRITICAL_SECTION section;
};

// Holds the section for the life of the guard.
class SectionGuard {
public:
    explicit SectionGuard(CriticalSection& held) : section(held) { section.Enter(); }
    ~SectionGuard() { section.Leave(); }
    SectionGuard(const SectionGuard&) = delete;
    SectionGuard& operator=(const SectionGuard&) = delete;

private:
    CriticalSection& section;
};

// Holds the section for the life of the guard if it could be entered without waiting.
class TrySectionGuard {
public:
    explicit TrySectionGuard(CriticalSection& wanted) : section(wanted), held(wanted.TryEnter()) {}
    ~TrySectionGuard() {
        if (held)
            section.Leave();
    }
    TrySectionGuard(const TrySectionGuard&) = delete;
    TrySectionGuard& operator=(const TrySectionGuard&) = delete;

    explicit operator bool() const { return held; }

private:
    CriticalSection& section;
    const bool held;
};
