#include "fibers.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>
#include <thread>
#include <vector>

#include "far_side.h"

#if defined(__SANITIZE_THREAD__)
#define STANDIN_NO_FIBERS 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define STANDIN_NO_FIBERS 1
#endif
#endif

#if defined(__SANITIZE_ADDRESS__)
#define STANDIN_ASAN_FIBERS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define STANDIN_ASAN_FIBERS 1
#endif
#endif

#ifndef STANDIN_NO_FIBERS
#include <csetjmp>
#include <ucontext.h>
#endif
#ifdef STANDIN_ASAN_FIBERS
#include <sanitizer/common_interface_defs.h>
#endif

#ifdef STANDIN_NO_FIBERS

// The thread sanitizer follows threads, not fibers: there the threads stay threads.
namespace standin {
bool Cooperative() {
    return false;
}
bool StartFiber(DWORD, std::function<void()>) {
    return false;
}
DWORD CooperativeWait(KernelObject& object, DWORD milliseconds) {
    return object.Wait(milliseconds);
}
void RunFibers() {}
} // namespace standin

extern "C" void StandinRunThreadsHere(int) {}

#else

namespace {

// Module code is shallow; sanitizers make frames larger.
constexpr size_t kFiberStackBytes = 512 * 1024;
// Stacks of ended fibers kept for the next ones.
constexpr size_t kSpareStacks = 4;

struct Fiber {
    DWORD id;
    std::function<void()> routine;
    std::unique_ptr<char[]> stack;
    ucontext_t start = {}; // its first entry
    jmp_buf resume = {};   // where it goes on after a wait
    bool started = false;
    standin::KernelObject* waitingFor = nullptr; // null: ready to run
    bool finished = false;
};

// Stacks of ended fibers, kept for the next ones: sessions start and end fibers all the time,
// and half a megabyte a time is costly to get from the system and give back. Never destroyed;
// only the cooperative thread touches it.
std::vector<std::unique_ptr<char[]>>& SpareStacks() {
    static auto* spare = new std::vector<std::unique_ptr<char[]>>;
    return *spare;
}

std::unique_ptr<char[]> TakeStack() {
    std::vector<std::unique_ptr<char[]>>& spare = SpareStacks();
    if (spare.empty())
        return std::unique_ptr<char[]>(new (std::nothrow) char[kFiberStackBytes]);
    std::unique_ptr<char[]> stack = std::move(spare.back());
    spare.pop_back();
    return stack;
}

void GiveBackStack(std::unique_ptr<char[]> stack) {
    std::vector<std::unique_ptr<char[]>>& spare = SpareStacks();
    if (stack != nullptr && spare.size() < kSpareStacks)
        spare.push_back(std::move(stack));
}

// Switches between the thread and its fibers. A fiber's first entry goes through its context;
// every later switch jumps without saving or restoring the signal mask, which would cost a
// system call each time.
class Scheduler {
public:
    // Fibers run on the operating-system thread that made the scheduler, whatever thread ids
    // they carry.
    bool OwnsCallingThread() const { return std::this_thread::get_id() == owner; }
    bool OnFiber() const { return current != nullptr; }

    ~Scheduler() {
        for (std::unique_ptr<Fiber>& fiber : fibers)
            GiveBackStack(std::move(fiber->stack));
    }

    bool Start(DWORD id, std::function<void()> routine) {
        auto fiber = std::unique_ptr<Fiber>(new (std::nothrow) Fiber);
        if (fiber == nullptr)
            return false;
        fiber->id = id;
        fiber->stack = TakeStack();
        if (fiber->stack == nullptr || getcontext(&fiber->start) != 0)
            return false;
        fiber->routine = std::move(routine);
        fiber->start.uc_stack.ss_sp = fiber->stack.get();
        fiber->start.uc_stack.ss_size = kFiberStackBytes;
        fiber->start.uc_link = nullptr;
        makecontext(&fiber->start, &Scheduler::Entry, 0);
        fibers.push_back(std::move(fiber));
        return true;
    }

    // Runs the fibers that can go on, oldest first, until none can.
    void RunReady() {
        if (OnFiber())
            return;
        for (bool ran = true; ran;) {
            ran = false;
            for (size_t i = 0; i < fibers.size(); ++i) {
                Fiber& fiber = *fibers[i];
                if (fiber.waitingFor != nullptr && !fiber.waitingFor->Signalled())
                    continue;
                fiber.waitingFor = nullptr;
                SwitchTo(fiber);
                ran = true;
            }
            RemoveFinished();
        }
    }

    // From a fiber: back to the thread until the object is signalled.
    void BlockOn(standin::KernelObject& object) {
        Fiber& fiber = *current;
        fiber.waitingFor = &object;
        SwitchToThread(fiber, false);
    }

private:
    static void Entry() {
        Scheduler& self = *running;
#ifdef STANDIN_ASAN_FIBERS
        __sanitizer_finish_switch_fiber(nullptr, &self.threadStackBottom, &self.threadStackSize);
#endif
        Fiber& fiber = *self.current;
        fiber.routine();
        fiber.finished = true;
        self.SwitchToThread(fiber, true);
    }

    void SwitchTo(Fiber& fiber) {
        current = &fiber;
        running = this;
        const DWORD threadsOwnId = standin::SwapCurrentThreadId(fiber.id);
#ifdef STANDIN_ASAN_FIBERS
        void* fakeStack = nullptr;
        __sanitizer_start_switch_fiber(&fakeStack, fiber.stack.get(), kFiberStackBytes);
#endif
        if (_setjmp(threadResume) == 0) {
            if (fiber.started)
                _longjmp(fiber.resume, 1);
            fiber.started = true;
            setcontext(&fiber.start);
        }
#ifdef STANDIN_ASAN_FIBERS
        __sanitizer_finish_switch_fiber(fakeStack, nullptr, nullptr);
#endif
        fiber.id = standin::SwapCurrentThreadId(threadsOwnId);
        current = nullptr;
    }

    void SwitchToThread(Fiber& fiber, bool ending) {
#ifdef STANDIN_ASAN_FIBERS
        void* fakeStack = nullptr;
        __sanitizer_start_switch_fiber(ending ? nullptr : &fakeStack, threadStackBottom,
                                       threadStackSize);
#else
        (void)ending;
#endif
        if (_setjmp(fiber.resume) == 0)
            _longjmp(threadResume, 1);
#ifdef STANDIN_ASAN_FIBERS
        __sanitizer_finish_switch_fiber(fakeStack, &threadStackBottom, &threadStackSize);
#endif
    }

    void RemoveFinished() {
        std::vector<std::unique_ptr<Fiber>> live;
        for (std::unique_ptr<Fiber>& fiber : fibers) {
            if (fiber->finished)
                GiveBackStack(std::move(fiber->stack));
            else
                live.push_back(std::move(fiber));
        }
        fibers.swap(live);
    }

    static inline Scheduler* running = nullptr;

    const std::thread::id owner = std::this_thread::get_id();
    std::vector<std::unique_ptr<Fiber>> fibers;
    Fiber* current = nullptr;
    jmp_buf threadResume = {};
#ifdef STANDIN_ASAN_FIBERS
    const void* threadStackBottom = nullptr;
    size_t threadStackSize = 0;
#endif
};

// The one cooperative thread of the process, when there is one. Only that thread and its
// fibers use it; other threads only look whether it is theirs.
std::atomic<Scheduler*> scheduler{nullptr};

Scheduler* ActiveHere() {
    Scheduler* active = scheduler.load();
    return active != nullptr && active->OwnsCallingThread() ? active : nullptr;
}

} // namespace

namespace standin {

bool Cooperative() {
    return ActiveHere() != nullptr;
}

bool StartFiber(DWORD id, std::function<void()> routine) {
    Scheduler* active = ActiveHere();
    return active != nullptr && active->Start(id, std::move(routine));
}

DWORD CooperativeWait(KernelObject& object, DWORD milliseconds) {
    Scheduler& active = *ActiveHere();
    if (active.OnFiber()) {
        while (!object.Signalled())
            active.BlockOn(object);
        return object.Wait(0);
    }
    active.RunReady();
    if (object.Wait(0) == WAIT_OBJECT_0)
        return WAIT_OBJECT_0;
    if (milliseconds == INFINITE) {
        std::fprintf(stderr, "stand-in: a wait without a time-out that no fiber can end: "
                             "a deadlock\n");
        std::abort();
    }
    return WAIT_TIMEOUT; // the time passes at once: nothing else could happen meanwhile
}

void RunFibers() {
    if (Scheduler* active = ActiveHere())
        active->RunReady();
}

} // namespace standin

extern "C" void StandinRunThreadsHere(int on) {
    Scheduler* active = scheduler.load();
    if (on) {
        if (active == nullptr)
            scheduler.store(new Scheduler);
        return;
    }
    if (active == nullptr || !active->OwnsCallingThread())
        return;
    // Fibers still waiting stay where they are: what they wait for can no longer come.
    scheduler.store(nullptr);
    delete active;
}

#endif
