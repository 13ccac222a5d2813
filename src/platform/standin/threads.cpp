// CreateThread and thread handles: waiting on a thread's handle waits for its end.
//
// The routines run on pooled operating-system threads: starting and ending one costs far more
// than waking one that is parked, and a session that opens and closes ports starts many
// short-lived threads. Each routine is a thread of its own all the same: its own id, and none
// of the message queue or windows of the routine that ran before it.
#include "fibers.h"
#include "internal.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <new>
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

// Closing the handle of a running thread leaves it running, as on Windows.
class Thread : public standin::KernelObject {
public:
    explicit Thread(std::shared_ptr<ThreadState> sharedState) : state(std::move(sharedState)) {}

    DWORD Wait(DWORD milliseconds) override {
        std::unique_lock<std::mutex> guard(state->lock);
        const auto isFinished = [this] { return state->finished; };
        if (milliseconds == INFINITE)
            state->ended.wait(guard, isFinished);
        else if (!state->ended.wait_for(guard, std::chrono::milliseconds(milliseconds), isFinished))
            return WAIT_TIMEOUT;
        return WAIT_OBJECT_0;
    }

    bool Signalled() override {
        std::lock_guard<std::mutex> guard(state->lock);
        return state->finished;
    }

    std::shared_ptr<ThreadState> state;
};

void MarkFinished(ThreadState& state) {
    std::lock_guard<std::mutex> guard(state.lock);
    state.finished = true;
    state.ended.notify_all();
}

class ThreadPool {
public:
    // Runs the routine on a parked thread, or on a new one; false when none can be started.
    bool Run(std::function<void()> routine) {
        std::lock_guard<std::mutex> guard(lock);
        try {
            routines.push_back(std::move(routine));
            if (parked > 0) {
                --parked;
                wake.notify_one();
            } else {
                std::thread([this] { Serve(); }).detach();
            }
        } catch (const std::exception&) {
            routines.clear();
            return false;
        }
        return true;
    }

private:
    void Serve() {
        std::unique_lock<std::mutex> guard(lock);
        for (;;) {
            wake.wait(guard, [this] { return !routines.empty(); });
            std::function<void()> routine = std::move(routines.front());
            routines.pop_front();
            guard.unlock();
            routine();
            guard.lock();
            ++parked;
        }
    }

    std::mutex lock;
    std::condition_variable wake;
    std::deque<std::function<void()>> routines;
    int parked = 0;
};

// Never destroyed: parked threads wait in it until the process ends.
ThreadPool& Pool() {
    static ThreadPool* pool = new ThreadPool;
    return *pool;
}

} // namespace

namespace standin {

DWORD SwapCurrentThreadId(DWORD id) {
    const DWORD previous = currentThreadId;
    currentThreadId = id;
    return previous;
}

} // namespace standin

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
    // The id is the thread's from its first statement: no need to wait for it to start.
    const DWORD id = AssignThreadId();
    // On a thread that runs its threads itself they are its fibers; otherwise pooled threads.
    const bool started = standin::Cooperative()
                             ? standin::StartFiber(id,
                                                   [state, start, parameter] {
                                                       start(parameter);
                                                       MarkFinished(*state);
                                                   })
                             : Pool().Run([state, start, parameter, id] {
                                   currentThreadId = id;
                                   standin::SetLastErrorCode(ERROR_SUCCESS); // a new thread's own
                                   start(parameter);
                                   standin::EndThread();
                                   MarkFinished(*state);
                               });
    if (!started) {
        delete thread;
        standin::SetLastErrorCode(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    if (threadId != nullptr)
        *threadId = id;
    return standin::RegisterHandle(thread);
}

DWORD WINAPI GetCurrentThreadId(void) {
    return currentThreadId;
}

} // extern "C"
