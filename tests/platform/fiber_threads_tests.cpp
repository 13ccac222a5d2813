// A thread that runs its threads itself (StandinRunThreadsHere): they are fibers of it, each
// running until it waits for what is not signalled, all of them whenever the thread waits, the
// same way every time. (Under the thread sanitizer threads stay threads, and these tests are
// not built.)
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/standin/far_side.h"

#if defined(__SANITIZE_THREAD__)
#define KORVANE_TEST_FIBERS 0
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define KORVANE_TEST_FIBERS 0
#endif
#endif
#ifndef KORVANE_TEST_FIBERS
#define KORVANE_TEST_FIBERS 1
#endif

#if KORVANE_TEST_FIBERS

namespace {

// What the fibers did, in order.
std::vector<std::string> steps;

struct Worker {
    const char* name;
    HANDLE wake;
    DWORD id = 0;
};

// Waits for its event twice, noting each step.
DWORD WINAPI WaitTwice(LPVOID context) {
    auto* worker = static_cast<Worker*>(context);
    worker->id = GetCurrentThreadId();
    steps.push_back(std::string(worker->name) + " starts");
    for (int round = 1; round <= 2; ++round) {
        WaitForSingleObject(worker->wake, INFINITE);
        steps.push_back(std::string(worker->name) + " woke " + std::to_string(round));
    }
    return 0;
}

class FiberThreads : public testing::Test {
protected:
    void SetUp() override {
        steps.clear();
        StandinRunThreadsHere(1);
    }
    void TearDown() override {
        StandinRunThreadsHere(0);
        for (HANDLE handle : handles)
            CloseHandle(handle);
    }
    HANDLE Event() {
        handles.push_back(CreateEventA(nullptr, FALSE, FALSE, nullptr));
        return handles.back();
    }
    HANDLE Start(Worker& worker) {
        handles.push_back(CreateThread(nullptr, 0, WaitTwice, &worker, 0, nullptr));
        return handles.back();
    }

    std::vector<HANDLE> handles;
};

TEST_F(FiberThreads, RunOnlyWhenTheThreadWaitsAndInTheOrderTheyWereStarted) {
    Worker first{"first", Event()};
    Worker second{"second", Event()};
    HANDLE firstThread = Start(first);
    HANDLE secondThread = Start(second);
    const DWORD ownId = GetCurrentThreadId();
    EXPECT_TRUE(steps.empty()); // nothing has waited yet

    SetEvent(second.wake);
    EXPECT_EQ(WaitForSingleObject(firstThread, 0), WAIT_TIMEOUT);
    EXPECT_EQ(steps, (std::vector<std::string>{"first starts", "second starts", "second woke 1"}));
    EXPECT_NE(first.id, second.id);
    EXPECT_NE(first.id, ownId);
    EXPECT_EQ(GetCurrentThreadId(), ownId); // the thread keeps its own id

    SetEvent(first.wake);
    SetEvent(second.wake);
    EXPECT_EQ(WaitForSingleObject(secondThread, INFINITE), WAIT_OBJECT_0);
    EXPECT_EQ(steps.back(), "second woke 2");
    SetEvent(first.wake);
    EXPECT_EQ(WaitForSingleObject(firstThread, INFINITE), WAIT_OBJECT_0);
    EXPECT_EQ(steps.size(), 6u);
}

TEST_F(FiberThreads, AWaitNothingCanEndReturnsAtOnceTimedOut) {
    Worker worker{"worker", Event()};
    HANDLE thread = Start(worker);
    HANDLE never = Event();
    EXPECT_EQ(WaitForSingleObject(never, 600000), WAIT_TIMEOUT); // no time passes
    EXPECT_EQ(steps, std::vector<std::string>{"worker starts"});
    SetEvent(worker.wake);
    SetEvent(worker.wake); // an auto-reset event does not count: the second round waits
    EXPECT_EQ(WaitForSingleObject(thread, 10), WAIT_TIMEOUT);
    SetEvent(worker.wake);
    EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
}

TEST_F(FiberThreads, AWaitWithoutATimeOutThatNothingCanEndIsADeadlock) {
    HANDLE never = Event();
    EXPECT_DEATH(WaitForSingleObject(never, INFINITE), "deadlock");
}

} // namespace

#endif
