// The plumbing that every program playing the Host shares (the tests, the simulator, the fuzzer
// and the benchmarks): the four plain cdecl functions of the Host's callback table, one active
// fake Host that they reach, and how that Host runs their calls. What a Host answers is its
// behaviour, each program's own.
#pragma once

#include <cstdint>
#include <functional>

#include "host/host_api.h"
#include "support/host_threading.h"

// What a fake Host does with each call the module makes through the table.
class HostBehaviour {
public:
    virtual ~HostBehaviour() = default;

    virtual int32_t DoSetParameter(int32_t id, int32_t value, int32_t track) = 0;
    // `result` as the module passed it, null included.
    virtual int32_t DoGetParameter(int32_t id, int32_t track, void* result) = 0;
    virtual int32_t DoEnumCommand(int32_t index, char* name, int32_t size, int32_t* valid) = 0;
    virtual int32_t DoSendCommand(int32_t command, int32_t event) = 0;
    // The number of commands the table claims.
    virtual int32_t CommandCount() const = 0;
};

// What GetParameter writes for a parameter id: a 32-bit integer (the track states and the pan),
// the track's name (at most kHostNameSize bytes), or a double (every other value).
enum class AnswerForm { Int, Name, Double };
AnswerForm AnswerFormOf(int32_t id);

// The table holds plain function pointers, so one fake Host answers them at a time: the newest
// constructed, until it is destroyed; then the newest of those still alive again. With none
// alive every function returns 0 and touches nothing. A fake Host must outlive the module's
// calls of it (the module is closed before the Host goes).
class FakeHost {
public:
    explicit FakeHost(HostBehaviour& behaviour);
    ~FakeHost();
    FakeHost(const FakeHost&) = delete;
    FakeHost& operator=(const FakeHost&) = delete;

    // The table to hand to OpenController or BindHostCallbacks.
    HostCallbackTable Table() const;

    // How the Host runs its calls (see HostKind); for OwnThread the calling thread becomes the
    // Host's own thread, and must stay the one that destroys this Host.
    void BecomeKind(HostKind kind) { threading.BecomeKind(kind); }
    HostKind Kind() const { return threading.Kind(); }
    // Runs the Host's side of a notification (a call of UpdateController) as its kind does.
    void RunNotifying(const std::function<void()>& notify) { threading.RunNotifying(notify); }

    // The table's functions, cdecl as the Host's own are.
    static int32_t SetParameter(int32_t id, int32_t value, int32_t track, int32_t reserved);
    static int32_t GetParameter(int32_t id, int32_t track, void* result, int32_t reserved);
    static int32_t EnumCommand(int32_t index, char* name, int32_t size, int32_t* unused,
                               int32_t* valid);
    static int32_t SendCommand(int32_t command, int32_t event);

private:
    template <typename... Args>
    using Answer = int32_t (HostBehaviour::*)(Args...);

    // Runs `call` on the active Host's behaviour as the Host's kind runs it; 0 without a Host.
    template <typename... Args>
    static int32_t Serve(Answer<Args...> call, Args... args);
    // The kinds other than Direct, whose detour stays out of the way of the direct calls.
    template <typename... Args>
    int32_t ServeAsKind(Answer<Args...> call, Args... args);

    HostBehaviour& behaviour;
    HostThreading threading;
};
