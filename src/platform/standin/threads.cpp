// CreateThread and thread handles: waiting on a thread's handle waits for its end.
#include "internal.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

namespace {

std::atomic<DWORD> nextThreadId{0x100};

DWORD AssignThreadId() {
    return nextThreadId.fetch_add(1);
}

thread_local DWORD currentThreadId = AssignThreadId();

// What the thread and its handle share: the handle may be closed while the thread runs on.
struct ThreadState {
    std::mutex lock;
    std::condition_variable ended;
    bool finished = false;
};

class Thread : public standin::KernelObject {
public:
    explicit Thread(std::shared_ptr<ThreadState> sharedState) : state(std::move(sharedState)) {}

    ~Thread() override {
        if (!worker.joinable())
            return;
        if (Wait(0) == WAIT_OBJECT_0)
            worker.join();
        else
            worker.detach(); // closing the handle of a running thread leaves it running
    }

    DWORD Wait(DWORD milliseconds) override {
        std::unique_lock<std::mutex> guard(state->lock);
        const auto isFinished = [this] { return state->finished; };
        if (milliseconds == INFINITE)
            state->ended.wait(guard, isFinished);
        else if (!state->ended.wait_for(guard, std::chrono::milliseconds(milliseconds), isFinished))
            return WAIT_TIMEOUT;
        return WAIT_OBJECT_0;
    }

    std::shared_ptr<ThreadState> state;
    std::thread worker;
};

} // namespace

extern "C" {

HANDLE WINAPI CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE start,
                           LPVOID parameter, DWORD, LPDWORD threadId) {
    if (start == nullptr) {
        standin::SetLastErrorCode(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::shared_ptr<ThreadState> state(new (std::nothrow) ThreadState);
    auto* thread = new (std::nothrow) Thread(state);
    if (state == nullptr || thread == nullptr) {
        delete thread;
        standin::SetLastErrorCode(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    std::atomic<DWORD> id{0};
    std::atomic<bool> started{false};
    try {
        thread->worker = std::thread([state, start, parameter, &id, &started] {
            id.store(currentThreadId);
            started.store(true);
            start(parameter);
            std::lock_guard<std::mutex> guard(state->lock);
            state->finished = true;
            state->ended.notify_all();
        });
    } catch (const std::system_error&) {
        delete thread;
        standin::SetLastErrorCode(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    while (!started.load())
        std::this_thread::yield();
    if (threadId != nullptr)
        *threadId = id.load();
    return standin::RegisterHandle(thread);
}

DWORD WINAPI GetCurrentThreadId(void) {
    return currentThreadId;
}

} // extern "C"
