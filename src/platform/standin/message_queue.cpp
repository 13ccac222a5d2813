// Per-thread message queues, thread timers without a window, messages sent from other threads,
// and the message-loop calls.
//
// A thread gets its queue the first time it calls one of these functions, as a Windows thread
// does at its first call into the user services. As on Windows, WM_TIMER is never queued: when
// a thread looks at its queue and finds no posted message (and no quit request), a timer whose
// period has passed on GetTickCount produces one. Retrieving it re-arms the timer from that
// moment, so several missed periods give a single WM_TIMER, and a killed timer produces none.
//
// A message sent to a window of another thread waits in that thread's queue until the thread
// looks at its messages: PeekMessageA and GetMessageA deliver every waiting one first, and a
// thread blocked in a send delivers the ones sent to it meanwhile, as on Windows. A thread that
// never looks at its messages never answers.
#include "fibers.h"
#include "internal.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <new>
#include <unordered_map>
#include <vector>

namespace {

// The limits Windows puts on a timer's period (USER_TIMER_MINIMUM, USER_TIMER_MAXIMUM).
constexpr UINT kMinimumPeriodMs = 0x0000000A;
constexpr UINT kMaximumPeriodMs = 0x7FFFFFFF;
// Windows' default quota of posted messages per queue; a queue nobody reads stops growing.
constexpr size_t kPostedMessageQuota = 10000;

// Result codes of the user services that only this file reports.
constexpr DWORD kErrorInvalidWindowHandle = 1400; // ERROR_INVALID_WINDOW_HANDLE
constexpr DWORD kErrorInvalidThreadId = 1444;     // ERROR_INVALID_THREAD_ID
constexpr DWORD kErrorNotEnoughQuota = 1816;      // ERROR_NOT_ENOUGH_QUOTA

struct Timer {
    UINT_PTR id;
    DWORD period;
    TIMERPROC procedure;
    DWORD lastFired; // tick count when the timer was set or its WM_TIMER last retrieved
};

struct MessageQueue;

// A message another thread sent to one of this thread's windows; the sender waits for the
// answer.
struct SentMessage {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    std::shared_ptr<MessageQueue> sender;
    // Written under the sender's queue lock.
    LRESULT result = 0;
    bool answered = false;
    bool delivered = false;
};

struct MessageQueue {
    std::mutex lock;
    std::condition_variable
        changed; // a message was posted or sent, an answer came, the clock moved
    std::deque<MSG> posted;
    std::deque<SentMessage*> sent;
    std::vector<Timer> timers;
    bool quitRequested = false;
    int quitCode = 0;
    bool ended = false; // the thread has ended: nothing sent to it will be delivered
};

// Hands the sender its answer and wakes it. The sender's message lives on its stack and its
// queue may go as soon as it sees the answer: both are touched only under its queue's lock,
// and the queue is held until the lock is let go.
void Answer(SentMessage& sent, LRESULT result, bool delivered) {
    const std::shared_ptr<MessageQueue> sender = sent.sender;
    std::lock_guard<std::mutex> guard(sender->lock);
    sent.result = result;
    sent.delivered = delivered;
    sent.answered = true;
    sender->changed.notify_all();
}

// Delivers every message other threads sent to this thread's windows, without the queue's
// lock held while a window procedure runs.
void DeliverSentMessages(MessageQueue& queue, std::unique_lock<std::mutex>& guard) {
    while (!queue.sent.empty()) {
        SentMessage* sent = queue.sent.front();
        queue.sent.pop_front();
        guard.unlock();
        standin::Window* window = standin::LookUpWindow(sent->window);
        const LRESULT result =
            window != nullptr ? window->Receive(sent->message, sent->wParam, sent->lParam) : 0;
        Answer(*sent, result, window != nullptr);
        guard.lock();
    }
}

// The range of messages a Get or Peek accepts; WM_QUIT passes every filter, as on Windows.
struct Filter {
    UINT first;
    UINT last;

    bool Accepts(UINT message) const {
        if (message == WM_QUIT || (first == 0 && last == 0))
            return true;
        return message >= first && message <= last;
    }
};

struct QueueDirectory {
    std::mutex lock;
    std::unordered_map<DWORD, std::shared_ptr<MessageQueue>> byThread;
};

// Never destroyed: threads may still end, and leave the directory, after static destruction.
QueueDirectory& Directory() {
    static QueueDirectory* directory = new QueueDirectory;
    return *directory;
}

std::atomic<UINT_PTR> nextTimerId{1};

UINT_PTR NewTimerId() {
    UINT_PTR id = nextTimerId.fetch_add(1);
    while (id == 0) // zero means failure to a caller of SetTimer
        id = nextTimerId.fetch_add(1);
    return id;
}

// A change of the test clock may make a timer due: every waiting thread looks again.
void WakeEveryQueue(void*) {
    QueueDirectory& directory = Directory();
    std::lock_guard<std::mutex> guard(directory.lock);
    for (auto& entry : directory.byThread) {
        MessageQueue& queue = *entry.second;
        // Taking the queue's lock orders this wake-up after a waiter's look at the clock.
        { std::lock_guard<std::mutex> queueGuard(queue.lock); }
        queue.changed.notify_all();
    }
}

// Owns the calling thread's queue and takes it out of the directory when the thread ends.
class QueueOwner {
public:
    ~QueueOwner() { Release(); }

    // The thread has ended: the queue leaves the directory with the thread's windows, and
    // whoever still waits for it gets no answer.
    void Release() {
        if (queue == nullptr)
            return;
        {
            QueueDirectory& directory = Directory();
            std::lock_guard<std::mutex> guard(directory.lock);
            directory.byThread.erase(threadId);
        }
        standin::DestroyWindowsOf(threadId);
        // Senders still waiting for this thread get no answer.
        std::deque<SentMessage*> unanswered;
        {
            std::lock_guard<std::mutex> guard(queue->lock);
            queue->ended = true;
            unanswered.swap(queue->sent);
        }
        for (SentMessage* sent : unanswered)
            Answer(*sent, 0, false);
        queue.reset();
    }

    MessageQueue& Queue() {
        if (queue == nullptr)
            Create();
        return *queue;
    }
    const std::shared_ptr<MessageQueue>& Shared() {
        if (queue == nullptr)
            Create();
        return queue;
    }

private:
    void Create() {
        static std::once_flag listening;
        std::call_once(listening, [] { standin::AddClockListener(WakeEveryQueue, nullptr); });
        queue = std::make_shared<MessageQueue>();
        threadId = GetCurrentThreadId();
        QueueDirectory& directory = Directory();
        std::lock_guard<std::mutex> guard(directory.lock);
        directory.byThread[threadId] = queue;
    }

    std::shared_ptr<MessageQueue> queue;
    DWORD threadId = 0;
};

thread_local QueueOwner currentQueue;

std::shared_ptr<MessageQueue> QueueOfThread(DWORD threadId) {
    QueueDirectory& directory = Directory();
    std::lock_guard<std::mutex> guard(directory.lock);
    const auto found = directory.byThread.find(threadId);
    return found != directory.byThread.end() ? found->second : nullptr;
}

Timer* FindTimer(MessageQueue& queue, UINT_PTR id) {
    for (Timer& timer : queue.timers)
        if (timer.id == id)
            return &timer;
    return nullptr;
}

bool IsDue(const Timer& timer, DWORD now) {
    return now - timer.lastFired >= timer.period;
}

MSG MakeMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    MSG result{};
    result.hwnd = nullptr;
    result.message = message;
    result.wParam = wParam;
    result.lParam = lParam;
    result.time = GetTickCount();
    return result;
}

// Finds the next message the filter accepts, in Windows' order: posted messages, then the quit
// request, then a due timer. With `remove` the message leaves the queue (a timer re-arms).
bool TakeMessage(MessageQueue& queue, const Filter& filter, bool remove, MSG& message) {
    for (auto posted = queue.posted.begin(); posted != queue.posted.end(); ++posted) {
        if (!filter.Accepts(posted->message))
            continue;
        message = *posted;
        if (remove)
            queue.posted.erase(posted);
        return true;
    }
    if (queue.quitRequested) {
        message = MakeMessage(WM_QUIT, static_cast<WPARAM>(queue.quitCode), 0);
        if (remove)
            queue.quitRequested = false;
        return true;
    }
    if (!filter.Accepts(WM_TIMER))
        return false;
    const DWORD now = GetTickCount();
    for (Timer& timer : queue.timers) {
        if (!IsDue(timer, now))
            continue;
        message = MakeMessage(WM_TIMER, timer.id, reinterpret_cast<LPARAM>(timer.procedure));
        if (remove)
            timer.lastFired = now;
        return true;
    }
    return false;
}

// Milliseconds until the first timer the filter accepts is due; INFINITE without one. With the
// test clock these are test milliseconds: the wait then merely looks again after that long,
// and the clock listener wakes it when the test clock actually moves.
DWORD TimeUntilNextTimer(const MessageQueue& queue, const Filter& filter) {
    if (!filter.Accepts(WM_TIMER))
        return INFINITE;
    const DWORD now = GetTickCount();
    DWORD shortest = INFINITE;
    for (const Timer& timer : queue.timers) {
        const DWORD elapsed = now - timer.lastFired;
        const DWORD remaining = elapsed >= timer.period ? 0 : timer.period - elapsed;
        if (remaining < shortest)
            shortest = remaining;
    }
    return shortest;
}

// Windows accepts a null window (all of the thread's messages) and -1 (thread messages only);
// the stand-in has no windows with queues of their own, so any other window is invalid.
bool IsThreadFilter(HWND window) {
    return window == nullptr || window == reinterpret_cast<HWND>(static_cast<INT_PTR>(-1));
}

bool CheckThreadWindow(HWND window) {
    if (IsThreadFilter(window))
        return true;
    standin::SetLastErrorCode(kErrorInvalidWindowHandle);
    return false;
}

// True when the calling thread has a live timer `id` with `procedure`: a WM_TIMER that some
// thread posted by hand, or that outlived its timer, calls nothing.
bool IsLiveTimer(UINT_PTR id, TIMERPROC procedure) {
    MessageQueue& queue = currentQueue.Queue();
    std::lock_guard<std::mutex> guard(queue.lock);
    const Timer* timer = FindTimer(queue, id);
    return timer != nullptr && timer->procedure == procedure;
}

DWORD ClampPeriod(UINT elapse) {
    if (elapse < kMinimumPeriodMs)
        return kMinimumPeriodMs;
    return elapse > kMaximumPeriodMs ? kMaximumPeriodMs : elapse;
}

// Whether the queue holds input of the kinds in `mask` (QS_ flags).
bool HasInput(const MessageQueue& queue, DWORD mask) {
    if ((mask & QS_SENDMESSAGE) != 0 && !queue.sent.empty())
        return true;
    if ((mask & QS_POSTMESSAGE) != 0 && (!queue.posted.empty() || queue.quitRequested))
        return true;
    return (mask & QS_TIMER) != 0 && TimeUntilNextTimer(queue, Filter{0, 0}) == 0;
}

// How often MsgWaitForMultipleObjects looks at its kernel objects again: events and threads
// signal their own waiters, not the thread's queue.
constexpr auto kObjectPollInterval = std::chrono::milliseconds(1);

} // namespace

namespace standin {

void EnsureMessageQueue() {
    currentQueue.Queue();
}

void EndThread() {
    currentQueue.Release();
}

bool SendToThread(DWORD owner, HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                  LRESULT& result) {
    const std::shared_ptr<MessageQueue> target = QueueOfThread(owner);
    if (target == nullptr) {
        SetLastErrorCode(kErrorInvalidThreadId);
        return false;
    }
    SentMessage sent{window, message, wParam, lParam, currentQueue.Shared()};
    {
        std::lock_guard<std::mutex> guard(target->lock);
        if (target->ended) {
            SetLastErrorCode(kErrorInvalidThreadId);
            return false;
        }
        target->sent.push_back(&sent);
    }
    target->changed.notify_all();
    MessageQueue& own = *sent.sender;
    std::unique_lock<std::mutex> guard(own.lock);
    while (!sent.answered) {
        if (!own.sent.empty())
            DeliverSentMessages(own, guard);
        else
            own.changed.wait(guard);
    }
    result = sent.result;
    return sent.delivered;
}

} // namespace standin

extern "C" {

UINT_PTR WINAPI SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC procedure) {
    if (window != nullptr) {
        standin::SetLastErrorCode(kErrorInvalidWindowHandle);
        return 0;
    }
    MessageQueue& queue = currentQueue.Queue();
    std::lock_guard<std::mutex> guard(queue.lock);
    const DWORD period = ClampPeriod(elapse);
    const DWORD now = GetTickCount();
    // Without a window, an id that names one of the thread's timers replaces that timer; any
    // other id is ignored and a new timer gets a new id.
    if (Timer* existing = id != 0 ? FindTimer(queue, id) : nullptr) {
        *existing = Timer{id, period, procedure, now};
        return id;
    }
    try {
        queue.timers.push_back(Timer{NewTimerId(), period, procedure, now});
    } catch (const std::bad_alloc&) {
        standin::SetLastErrorCode(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    return queue.timers.back().id;
}

BOOL WINAPI KillTimer(HWND window, UINT_PTR id) {
    if (window != nullptr) {
        standin::SetLastErrorCode(kErrorInvalidWindowHandle);
        return FALSE;
    }
    MessageQueue& queue = currentQueue.Queue();
    std::lock_guard<std::mutex> guard(queue.lock);
    for (auto timer = queue.timers.begin(); timer != queue.timers.end(); ++timer) {
        if (timer->id == id) {
            queue.timers.erase(timer);
            return TRUE;
        }
    }
    standin::SetLastErrorCode(ERROR_INVALID_PARAMETER);
    return FALSE;
}

BOOL WINAPI GetMessageA(LPMSG message, HWND window, UINT filterMin, UINT filterMax) {
    if (message == nullptr) {
        standin::SetLastErrorCode(ERROR_INVALID_PARAMETER);
        return -1;
    }
    if (!CheckThreadWindow(window))
        return -1;
    MessageQueue& queue = currentQueue.Queue();
    const Filter filter{filterMin, filterMax};
    std::unique_lock<std::mutex> guard(queue.lock);
    for (;;) {
        DeliverSentMessages(queue, guard);
        if (TakeMessage(queue, filter, true, *message))
            break;
        if (!queue.sent.empty())
            continue;
        const DWORD wait = TimeUntilNextTimer(queue, filter);
        if (wait == INFINITE)
            queue.changed.wait(guard);
        else
            queue.changed.wait_for(guard, std::chrono::milliseconds(wait));
    }
    return message->message == WM_QUIT ? FALSE : TRUE;
}

BOOL WINAPI PeekMessageA(LPMSG message, HWND window, UINT filterMin, UINT filterMax,
                         UINT removeMessage) {
    if (message == nullptr) {
        standin::SetLastErrorCode(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!CheckThreadWindow(window))
        return FALSE;
    MessageQueue& queue = currentQueue.Queue();
    std::unique_lock<std::mutex> guard(queue.lock);
    DeliverSentMessages(queue, guard);
    // PM_QS_ flags name the kinds of input to look at; PM_QS_SENDMESSAGE alone delivers the
    // sent messages and retrieves nothing.
    const UINT kinds = removeMessage >> 16;
    if (kinds != 0 && (kinds & (QS_POSTMESSAGE | QS_TIMER)) == 0)
        return FALSE;
    const bool remove = (removeMessage & PM_REMOVE) != 0;
    return TakeMessage(queue, Filter{filterMin, filterMax}, remove, *message) ? TRUE : FALSE;
}

// Only keyboard messages are translated, and the stand-in has no keyboard.
BOOL WINAPI TranslateMessage(const MSG*) {
    return FALSE;
}

LRESULT WINAPI DispatchMessageA(const MSG* message) {
    if (message == nullptr || message->message != WM_TIMER || message->hwnd != nullptr ||
        message->lParam == 0)
        return 0;
    const auto procedure = reinterpret_cast<TIMERPROC>(message->lParam);
    if (IsLiveTimer(message->wParam, procedure))
        procedure(nullptr, WM_TIMER, message->wParam, GetTickCount());
    return 0;
}

BOOL WINAPI PostThreadMessageA(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam) {
    const std::shared_ptr<MessageQueue> queue = QueueOfThread(threadId);
    if (queue == nullptr) {
        standin::SetLastErrorCode(kErrorInvalidThreadId);
        return FALSE;
    }
    {
        std::lock_guard<std::mutex> guard(queue->lock);
        if (queue->posted.size() >= kPostedMessageQuota) {
            standin::SetLastErrorCode(kErrorNotEnoughQuota);
            return FALSE;
        }
        try {
            queue->posted.push_back(MakeMessage(message, wParam, lParam));
        } catch (const std::bad_alloc&) {
            standin::SetLastErrorCode(ERROR_NOT_ENOUGH_MEMORY);
            return FALSE;
        }
    }
    queue->changed.notify_all();
    return TRUE;
}

DWORD WINAPI MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll,
                                       DWORD milliseconds, DWORD mask) {
    std::vector<standin::KernelObject*> objects;
    for (DWORD i = 0; i < count; ++i) {
        standin::KernelObject* object =
            handles != nullptr ? standin::LookUpHandle(handles[i]) : nullptr;
        if (object == nullptr || waitAll) {
            standin::SetLastErrorCode(object == nullptr ? ERROR_INVALID_HANDLE
                                                        : ERROR_INVALID_PARAMETER);
            return WAIT_FAILED;
        }
        objects.push_back(object);
    }
    const auto start = std::chrono::steady_clock::now();
    const auto limit = std::chrono::milliseconds(milliseconds);
    MessageQueue& queue = currentQueue.Queue();
    for (;;) {
        standin::RunFibers(); // on a thread that runs its threads itself
        for (DWORD i = 0; i < count; ++i)
            if (objects[i]->Wait(0) == WAIT_OBJECT_0)
                return WAIT_OBJECT_0 + i;
        std::unique_lock<std::mutex> guard(queue.lock);
        if (HasInput(queue, mask))
            return WAIT_OBJECT_0 + count;
        const auto waited = std::chrono::steady_clock::now() - start;
        if (milliseconds != INFINITE && waited >= limit)
            return WAIT_TIMEOUT;
        auto slice =
            std::chrono::duration_cast<std::chrono::steady_clock::duration>(kObjectPollInterval);
        if (milliseconds != INFINITE)
            slice = std::min(slice, limit - waited);
        queue.changed.wait_for(guard, slice);
    }
}

void WINAPI PostQuitMessage(int exitCode) {
    MessageQueue& queue = currentQueue.Queue();
    std::lock_guard<std::mutex> guard(queue.lock);
    queue.quitRequested = true;
    queue.quitCode = exitCode;
}

} // extern "C"
