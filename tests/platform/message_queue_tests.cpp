// Thread timers and the message loop: WM_TIMER is made when the owning thread looks at its
// queue, the procedure runs only when that thread dispatches, and timers follow the test clock.
#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "platform/standin/far_side.h"

namespace {

constexpr DWORD kWakeUpBoundMs = 5000;
constexpr UINT kPeriodMs = 100;
constexpr DWORD kErrorInvalidThreadId = 1444; // ERROR_INVALID_THREAD_ID

struct TimerCall {
    UINT_PTR id;
    DWORD time;
    DWORD threadId;
};

std::vector<TimerCall> timerCalls;

void CALLBACK RecordTimer(HWND window, UINT message, UINT_PTR id, DWORD time) {
    EXPECT_EQ(window, nullptr);
    EXPECT_EQ(message, static_cast<UINT>(WM_TIMER));
    timerCalls.push_back({id, time, GetCurrentThreadId()});
}

bool PeekAny(MSG& message, UINT remove = PM_REMOVE) {
    return PeekMessageA(&message, nullptr, 0, 0, remove) != FALSE;
}

class MessageLoop : public testing::Test {
protected:
    void SetUp() override {
        StandinUseTestClock(kStart);
        timerCalls.clear();
        MSG message;
        while (PeekAny(message)) {
        }
    }

    void TearDown() override {
        for (const UINT_PTR id : timers)
            KillTimer(nullptr, id);
        MSG message;
        while (PeekAny(message)) {
        }
        StandinUseRealClock();
    }

    UINT_PTR StartTimer(UINT period = kPeriodMs, TIMERPROC procedure = RecordTimer) {
        const UINT_PTR id = SetTimer(nullptr, 0, period, procedure);
        EXPECT_NE(id, 0u);
        timers.push_back(id);
        return id;
    }

    // Takes the next message, which must be a WM_TIMER of `id`.
    void ExpectTick(UINT_PTR id) {
        MSG message;
        ASSERT_TRUE(PeekAny(message));
        EXPECT_EQ(message.message, static_cast<UINT>(WM_TIMER));
        EXPECT_EQ(message.wParam, id);
    }

    void ExpectNoMessage() {
        MSG message{};
        EXPECT_FALSE(PeekAny(message)) << "message " << message.message;
    }

    static constexpr DWORD kStart = 50000;
    std::vector<UINT_PTR> timers;
};

TEST_F(MessageLoop, TimerProcedureRunsOnlyWhenItsThreadDispatches) {
    const UINT_PTR id = StartTimer();
    StandinAdvanceClock(kPeriodMs);
    EXPECT_TRUE(timerCalls.empty());

    MSG message;
    ASSERT_TRUE(PeekAny(message));
    EXPECT_EQ(message.hwnd, nullptr);
    EXPECT_EQ(message.message, static_cast<UINT>(WM_TIMER));
    EXPECT_EQ(message.wParam, id);
    EXPECT_EQ(message.lParam, reinterpret_cast<LPARAM>(&RecordTimer));
    EXPECT_TRUE(timerCalls.empty());
    EXPECT_FALSE(TranslateMessage(&message));

    StandinAdvanceClock(3);
    DispatchMessageA(&message);
    ASSERT_EQ(timerCalls.size(), 1u);
    EXPECT_EQ(timerCalls[0].id, id);
    EXPECT_EQ(timerCalls[0].time, kStart + kPeriodMs + 3);
    EXPECT_EQ(timerCalls[0].threadId, GetCurrentThreadId());
}

DWORD WINAPI PeekOnce(LPVOID found) {
    MSG message;
    static_cast<std::atomic<bool>*>(found)->store(PeekAny(message));
    return 0;
}

TEST_F(MessageLoop, AnotherThreadNeverSeesTheTimer) {
    StartTimer();
    StandinAdvanceClock(kPeriodMs);
    std::atomic<bool> found{true};
    HANDLE thread = CreateThread(nullptr, 0, PeekOnce, &found, 0, nullptr);
    ASSERT_EQ(WaitForSingleObject(thread, kWakeUpBoundMs), WAIT_OBJECT_0);
    CloseHandle(thread);
    EXPECT_FALSE(found.load());
}

TEST_F(MessageLoop, TickIsDueOnceThePeriodHasPassed) {
    const UINT_PTR id = StartTimer();
    StandinAdvanceClock(kPeriodMs - 1);
    ExpectNoMessage();
    StandinAdvanceClock(1);
    ExpectTick(id);
}

TEST_F(MessageLoop, MissedPeriodsGiveOneTickAndTheTimerRearmsFromItsRetrieval) {
    const UINT_PTR id = StartTimer();
    StandinAdvanceClock(10 * kPeriodMs + 30);
    ExpectTick(id);
    ExpectNoMessage();
    StandinAdvanceClock(kPeriodMs - 1);
    ExpectNoMessage();
    StandinAdvanceClock(1);
    ExpectTick(id);
}

TEST_F(MessageLoop, PeekingWithoutRemovingLeavesTheTickPending) {
    const UINT_PTR id = StartTimer();
    StandinAdvanceClock(kPeriodMs);
    MSG message;
    EXPECT_TRUE(PeekAny(message, PM_NOREMOVE));
    EXPECT_TRUE(PeekAny(message, PM_NOREMOVE));
    ExpectTick(id);
    ExpectNoMessage();
}

TEST_F(MessageLoop, KillTimerDropsAPendingTick) {
    const UINT_PTR id = StartTimer();
    StandinAdvanceClock(kPeriodMs);
    EXPECT_TRUE(KillTimer(nullptr, id));
    ExpectNoMessage();
    EXPECT_FALSE(KillTimer(nullptr, id));
}

TEST_F(MessageLoop, TickRetrievedBeforeKillTimerCallsNothing) {
    const UINT_PTR id = StartTimer();
    StandinAdvanceClock(kPeriodMs);
    MSG message;
    ASSERT_TRUE(PeekAny(message));
    KillTimer(nullptr, id);
    DispatchMessageA(&message);
    EXPECT_TRUE(timerCalls.empty());
}

TEST_F(MessageLoop, ForgedTimerMessageCallsNothing) {
    PostThreadMessageA(GetCurrentThreadId(), WM_TIMER, 77, reinterpret_cast<LPARAM>(&RecordTimer));
    MSG message;
    ASSERT_TRUE(PeekAny(message));
    DispatchMessageA(&message);
    EXPECT_TRUE(timerCalls.empty());
}

TEST_F(MessageLoop, TimerKeepsItsPeriodAcrossTheTickCountWrap) {
    StandinUseTestClock(0xFFFFFF00u);
    const UINT_PTR id = StartTimer(0x200);
    StandinAdvanceClock(0x1FF); // the tick count is now 0x000000FF
    ExpectNoMessage();
    StandinAdvanceClock(1);
    ExpectTick(id);
    StandinAdvanceClock(0x200);
    ExpectTick(id);
}

TEST_F(MessageLoop, PeriodBelowTheMinimumIsRaisedToTenMilliseconds) {
    const UINT_PTR id = StartTimer(0);
    StandinAdvanceClock(9);
    ExpectNoMessage();
    StandinAdvanceClock(1);
    ExpectTick(id);
}

TEST_F(MessageLoop, SettingAnExistingTimerReplacesItAndAnUnknownIdGetsANewTimer) {
    const UINT_PTR id = StartTimer();
    StandinAdvanceClock(kPeriodMs - 10);
    EXPECT_EQ(SetTimer(nullptr, id, 2 * kPeriodMs, RecordTimer), id); // re-armed from now
    StandinAdvanceClock(2 * kPeriodMs - 1);
    ExpectNoMessage();
    StandinAdvanceClock(1);
    ExpectTick(id);

    const UINT_PTR other = SetTimer(nullptr, id + 1000, kPeriodMs, RecordTimer);
    timers.push_back(other);
    EXPECT_NE(other, 0u);
    EXPECT_NE(other, id);
    EXPECT_TRUE(KillTimer(nullptr, id));
    EXPECT_TRUE(KillTimer(nullptr, other));
}

TEST_F(MessageLoop, PostedMessagesComeFirstAndFiltersChooseAmongThem) {
    const UINT_PTR id = StartTimer();
    StandinAdvanceClock(kPeriodMs);
    ASSERT_TRUE(PostThreadMessageA(GetCurrentThreadId(), WM_USER, 1, 2));
    ASSERT_TRUE(PostThreadMessageA(GetCurrentThreadId(), WM_USER + 5, 3, 4));

    MSG message;
    ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_USER + 5, WM_USER + 9, PM_REMOVE));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_USER + 5));
    EXPECT_EQ(message.wParam, 3u);
    EXPECT_EQ(message.lParam, 4);
    EXPECT_FALSE(PeekMessageA(&message, nullptr, WM_USER + 5, WM_USER + 9, PM_REMOVE));
    ASSERT_TRUE(PeekAny(message));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_USER));
    ExpectTick(id);
}

TEST_F(MessageLoop, PostQuitMessageEndsGetMessageAfterThePostedMessages) {
    ASSERT_TRUE(PostThreadMessageA(GetCurrentThreadId(), WM_USER, 0, 0));
    PostQuitMessage(7);
    MSG message;
    EXPECT_EQ(GetMessageA(&message, nullptr, 0, 0), TRUE);
    EXPECT_EQ(message.message, static_cast<UINT>(WM_USER));
    // The quit request passes any filter.
    EXPECT_EQ(GetMessageA(&message, nullptr, WM_USER, WM_USER), FALSE);
    EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(message.wParam, 7u);
    ExpectNoMessage();
}

TEST_F(MessageLoop, InvalidArgumentsAreErrors) {
    MSG message;
    EXPECT_EQ(GetMessageA(nullptr, nullptr, 0, 0), -1);
    int notAWindow = 0;
    EXPECT_EQ(GetMessageA(&message, reinterpret_cast<HWND>(&notAWindow), 0, 0), -1);
    EXPECT_EQ(SetTimer(reinterpret_cast<HWND>(&notAWindow), 1, kPeriodMs, RecordTimer), 0u);
    EXPECT_FALSE(PostThreadMessageA(0xFFFFFFF0u, WM_USER, 0, 0));
    EXPECT_EQ(GetLastError(), kErrorInvalidThreadId);
}

// A thread that pumps its messages until its timer has run once.
struct Pump {
    HANDLE ready;
    UINT period;
    std::atomic<DWORD> threadId{0};
    std::atomic<int> ticks{0};
    std::atomic<UINT> lastMessage{WM_NULL};
};

Pump* runningPump = nullptr;

void CALLBACK CountPumpTick(HWND, UINT, UINT_PTR, DWORD) {
    runningPump->ticks.fetch_add(1);
}

DWORD WINAPI PumpUntilTick(LPVOID context) {
    auto* pump = static_cast<Pump*>(context);
    MSG message;
    PeekAny(message, PM_NOREMOVE); // the thread's queue exists from here on
    const UINT_PTR id = SetTimer(nullptr, 0, pump->period, CountPumpTick);
    pump->threadId.store(GetCurrentThreadId());
    SetEvent(pump->ready);
    while (pump->ticks.load() == 0 && GetMessageA(&message, nullptr, 0, 0) > 0) {
        pump->lastMessage.store(message.message);
        DispatchMessageA(&message);
    }
    KillTimer(nullptr, id);
    return 0;
}

class PumpingThread : public MessageLoop {
protected:
    void Start(UINT period) {
        pump.ready = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        pump.period = period;
        runningPump = &pump;
        thread = CreateThread(nullptr, 0, PumpUntilTick, &pump, 0, nullptr);
        ASSERT_EQ(WaitForSingleObject(pump.ready, kWakeUpBoundMs), WAIT_OBJECT_0);
    }

    void TearDown() override {
        CloseHandle(thread);
        CloseHandle(pump.ready);
        MessageLoop::TearDown();
    }

    Pump pump;
    HANDLE thread = nullptr;
};

TEST_F(PumpingThread, AdvancingTheTestClockWakesGetMessage) {
    // With a period far beyond the wait bound, only the clock's wake-up can end the wait.
    constexpr UINT kLongPeriod = 600000;
    Start(kLongPeriod);
    EXPECT_EQ(WaitForSingleObject(thread, 20), WAIT_TIMEOUT); // the thread waits in GetMessageA
    EXPECT_EQ(pump.ticks.load(), 0);
    StandinAdvanceClock(kLongPeriod);
    ASSERT_EQ(WaitForSingleObject(thread, kWakeUpBoundMs), WAIT_OBJECT_0);
    EXPECT_EQ(pump.ticks.load(), 1);
    EXPECT_EQ(pump.lastMessage.load(), static_cast<UINT>(WM_TIMER));
}

TEST_F(PumpingThread, PostedMessageWakesGetMessage) {
    constexpr UINT kLongPeriod = 600000;
    Start(kLongPeriod);
    ASSERT_TRUE(PostThreadMessageA(pump.threadId.load(), WM_USER + 1, 0, 0));
    ASSERT_TRUE(PostThreadMessageA(pump.threadId.load(), WM_QUIT, 0, 0));
    ASSERT_EQ(WaitForSingleObject(thread, kWakeUpBoundMs), WAIT_OBJECT_0);
    EXPECT_EQ(pump.lastMessage.load(), static_cast<UINT>(WM_USER + 1));
    EXPECT_EQ(pump.ticks.load(), 0);
}

TEST(RealClockTimer, GetMessageSleepsUntilThePeriodHasPassed) {
    constexpr UINT kPeriod = 30;
    StandinUseRealClock();
    const DWORD start = GetTickCount();
    const UINT_PTR id = SetTimer(nullptr, 0, kPeriod, RecordTimer);
    MSG message;
    ASSERT_EQ(GetMessageA(&message, nullptr, WM_TIMER, WM_TIMER), TRUE);
    EXPECT_EQ(message.wParam, id);
    const DWORD elapsed = GetTickCount() - start;
    EXPECT_GE(elapsed, kPeriod);
    EXPECT_LT(elapsed, kWakeUpBoundMs);
    KillTimer(nullptr, id);
}

} // namespace
