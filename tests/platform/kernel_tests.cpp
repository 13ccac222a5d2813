// The stand-in's kernel services: the event, wait, lock and thread semantics the module's
// device threads rely on.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>

#include "platform/standin/far_side.h"
#include "support/debug_capture.h"

namespace {

// Long enough for any wake-up on a loaded machine; a test never waits this long when it passes.
constexpr DWORD kWakeUpBoundMs = 5000;

class Handle {
public:
    explicit Handle(HANDLE value) : handle(value) {}
    ~Handle() {
        if (handle != nullptr)
            CloseHandle(handle);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return handle; }

private:
    HANDLE handle;
};

TEST(Events, AutoResetEventReleasesOneWaitHoweverOftenItWasSet) {
    Handle event(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    ASSERT_NE(event.get(), nullptr);
    EXPECT_TRUE(SetEvent(event.get()));
    EXPECT_TRUE(SetEvent(event.get()));
    EXPECT_EQ(WaitForSingleObject(event.get(), 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(event.get(), 0), WAIT_TIMEOUT);
}

TEST(Events, ManualResetEventStaysSetUntilReset) {
    Handle event(CreateEventA(nullptr, TRUE, TRUE, nullptr));
    EXPECT_EQ(WaitForSingleObject(event.get(), 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(event.get(), 0), WAIT_OBJECT_0);
    EXPECT_TRUE(ResetEvent(event.get()));
    EXPECT_EQ(WaitForSingleObject(event.get(), 0), WAIT_TIMEOUT);
}

TEST(Events, WaitTimesOutAfterItsRealTime) {
    Handle event(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(WaitForSingleObject(event.get(), 30), WAIT_TIMEOUT);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(30));
}

DWORD WINAPI SetEventOf(LPVOID event) {
    SetEvent(static_cast<HANDLE>(event));
    return 0;
}

TEST(Events, WaitEndsWhenAnotherThreadSetsTheEvent) {
    Handle event(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    Handle thread(CreateThread(nullptr, 0, SetEventOf, event.get(), 0, nullptr));
    EXPECT_EQ(WaitForSingleObject(event.get(), kWakeUpBoundMs), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(thread.get(), kWakeUpBoundMs), WAIT_OBJECT_0);
}

TEST(Handles, ClosedAndUnknownHandlesAreRefused) {
    HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    ASSERT_TRUE(CloseHandle(event));
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(SetEvent(event));
    EXPECT_FALSE(CloseHandle(event));
    int notAHandle = 0;
    EXPECT_EQ(WaitForSingleObject(&notAHandle, 0), WAIT_FAILED);
}

struct Gate {
    HANDLE open;
    std::atomic<DWORD> idSeen{0};
};

DWORD WINAPI WaitAtGate(LPVOID context) {
    auto* gate = static_cast<Gate*>(context);
    gate->idSeen.store(GetCurrentThreadId());
    WaitForSingleObject(gate->open, INFINITE);
    return 0;
}

TEST(Threads, WaitingOnAThreadHandleWaitsForItsEnd) {
    Handle open(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    Gate gate{open.get()};
    DWORD id = 0;
    Handle thread(CreateThread(nullptr, 0, WaitAtGate, &gate, 0, &id));
    ASSERT_NE(thread.get(), nullptr);
    EXPECT_EQ(WaitForSingleObject(thread.get(), 20), WAIT_TIMEOUT);
    SetEvent(open.get());
    EXPECT_EQ(WaitForSingleObject(thread.get(), kWakeUpBoundMs), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(thread.get(), 0), WAIT_OBJECT_0); // an ended thread stays so
}

TEST(Threads, EveryThreadHasItsOwnIdAndCreateThreadReportsIt) {
    Handle open(CreateEventA(nullptr, TRUE, TRUE, nullptr));
    Gate first{open.get()};
    Gate second{open.get()};
    DWORD firstId = 0;
    DWORD secondId = 0;
    Handle one(CreateThread(nullptr, 0, WaitAtGate, &first, 0, &firstId));
    Handle two(CreateThread(nullptr, 0, WaitAtGate, &second, 0, &secondId));
    ASSERT_EQ(WaitForSingleObject(one.get(), kWakeUpBoundMs), WAIT_OBJECT_0);
    ASSERT_EQ(WaitForSingleObject(two.get(), kWakeUpBoundMs), WAIT_OBJECT_0);
    EXPECT_EQ(first.idSeen.load(), firstId);
    EXPECT_EQ(second.idSeen.load(), secondId);
    EXPECT_NE(firstId, 0u);
    EXPECT_NE(firstId, secondId);
    EXPECT_NE(firstId, GetCurrentThreadId());
    EXPECT_EQ(GetCurrentThreadId(), GetCurrentThreadId());
}

struct LockContender {
    CRITICAL_SECTION* section;
    std::atomic<bool> entered{false};
};

DWORD WINAPI EnterAndLeave(LPVOID context) {
    auto* contender = static_cast<LockContender*>(context);
    EnterCriticalSection(contender->section);
    contender->entered.store(true);
    LeaveCriticalSection(contender->section);
    return 0;
}

TEST(CriticalSections, OwnerReentersAndOthersWaitForTheLastLeave) {
    CRITICAL_SECTION section;
    InitializeCriticalSection(&section);
    EnterCriticalSection(&section);
    EnterCriticalSection(&section); // the owner enters again without blocking
    LockContender contender{&section};
    Handle thread(CreateThread(nullptr, 0, EnterAndLeave, &contender, 0, nullptr));
    LeaveCriticalSection(&section);
    EXPECT_EQ(WaitForSingleObject(thread.get(), 20), WAIT_TIMEOUT);
    EXPECT_FALSE(contender.entered.load());
    LeaveCriticalSection(&section);
    EXPECT_EQ(WaitForSingleObject(thread.get(), kWakeUpBoundMs), WAIT_OBJECT_0);
    EXPECT_TRUE(contender.entered.load());
    DeleteCriticalSection(&section);
}

TEST(Clock, TestClockMovesOnlyWhenAdvancedAndWrapsAt32Bits) {
    StandinUseTestClock(0xFFFFFFF0u);
    EXPECT_EQ(GetTickCount(), 0xFFFFFFF0u);
    StandinAdvanceClock(0x20);
    EXPECT_EQ(GetTickCount(), 0x10u);
    StandinUseRealClock();
}

TEST(DebugOutput, EveryTextReachesTheSinkUntilItIsRemoved) {
    {
        DebugCapture capture;
        OutputDebugStringA("first\n");
        OutputDebugStringA(nullptr);
        OutputDebugStringA("second\n");
        EXPECT_EQ(capture.Writes(), (std::vector<std::string>{"first\n", "second\n"}));
    }
    OutputDebugStringA("nobody listens\n"); // no sink: nothing happens
}

} // namespace
