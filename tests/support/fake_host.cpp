#include "support/fake_host.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <vector>

namespace {

// The fake Hosts alive, oldest first; the newest is the active one.
struct LiveHosts {
    std::mutex lock;
    std::vector<FakeHost*> hosts;
};

LiveHosts& Live() {
    static LiveHosts live;
    return live;
}

// Read on every call the module makes, without a lock or an initialisation check, which keeps
// the benchmarks' Host cheap; written with the live Hosts' lock held.
std::atomic<FakeHost*> activeHost{nullptr};

} // namespace

AnswerForm AnswerFormOf(int32_t id) {
    switch (id) {
    case HostParam::TrackState16:
    case HostParam::Solo:
    case HostParam::TrackState20:
    case HostParam::Pan:
        return AnswerForm::Int;
    case HostParam::Name:
        return AnswerForm::Name;
    default:
        return AnswerForm::Double;
    }
}

FakeHost::FakeHost(HostBehaviour& answering) : behaviour(answering) {
    LiveHosts& live = Live();
    std::lock_guard<std::mutex> guard(live.lock);
    live.hosts.push_back(this);
    activeHost.store(this, std::memory_order_release);
}

FakeHost::~FakeHost() {
    LiveHosts& live = Live();
    std::lock_guard<std::mutex> guard(live.lock);
    live.hosts.erase(std::remove(live.hosts.begin(), live.hosts.end(), this), live.hosts.end());
    activeHost.store(live.hosts.empty() ? nullptr : live.hosts.back(), std::memory_order_release);
}

HostCallbackTable FakeHost::Table() const {
    HostCallbackTable table = {};
    table.SetParameter = &FakeHost::SetParameter;
    table.GetParameter = &FakeHost::GetParameter;
    table.EnumCommand = &FakeHost::EnumCommand;
    table.reserved = nullptr;
    table.SendCommand = &FakeHost::SendCommand;
    table.CommandCount = behaviour.CommandCount();
    return table;
}

template <typename... Args>
int32_t FakeHost::Serve(Answer<Args...> call, Args... args) {
    FakeHost* host = activeHost.load(std::memory_order_acquire);
    if (host == nullptr)
        return 0;
    if (host->threading.Kind() == HostKind::Direct)
        return (host->behaviour.*call)(args...);
    return host->ServeAsKind(call, args...);
}

template <typename... Args>
[[gnu::noinline]] int32_t FakeHost::ServeAsKind(Answer<Args...> call, Args... args) {
    return threading.Run([&] { return (behaviour.*call)(args...); });
}

int32_t FakeHost::SetParameter(int32_t id, int32_t value, int32_t track, int32_t) {
    return Serve(&HostBehaviour::DoSetParameter, id, value, track);
}

int32_t FakeHost::GetParameter(int32_t id, int32_t track, void* result, int32_t) {
    return Serve(&HostBehaviour::DoGetParameter, id, track, result);
}

int32_t FakeHost::EnumCommand(int32_t index, char* name, int32_t size, int32_t*, int32_t* valid) {
    return Serve(&HostBehaviour::DoEnumCommand, index, name, size, valid);
}

int32_t FakeHost::SendCommand(int32_t command, int32_t event) {
    return Serve(&HostBehaviour::DoSendCommand, command, event);
}
