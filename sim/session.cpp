#include "session.h"

#include <algorithm>
#include <chrono>
#include <thread>
#include <utility>

#include "platform/platform.h"
#include "platform/standin/far_side.h"
#include "platform/standin/midi_bus.h"

namespace sim {

namespace {

// The test clock's start: far from the 32-bit wrap.
constexpr DWORD kTestClockStart = 1000000;
// Waits move the test clock in steps this small, so that the 120 ms timer runs on time.
constexpr uint32_t kWaitStepMs = 10;
// Generous: only a broken bus or a deadlock takes this long.
constexpr DWORD kIdleWaitMs = 10000;
// A notification may make the plug-in call the Host again; this many rounds end any ping-pong.
constexpr int kMaxSettleRounds = 50;
// The debugger texts kept: each showing of the settings dialog writes a line per Host command
// and key list, about 540 with the simulated Host.
constexpr size_t kKeptDiagnostics = 5000;

} // namespace

Session::Session(SessionOptions chosen)
    : options(std::move(chosen)), diagnostics(kKeptDiagnostics) {
    if (options.testClock)
        StandinUseTestClock(kTestClockStart);
    StandinSetDebugSink(&Session::Capture, this);
}

Session::~Session() {
    Close();
    StandinSetDebugSink(nullptr, nullptr);
    surface.reset();
    StandinBusWaitIdle(kIdleWaitMs);
}

void Session::Capture(const char* text, void* context) {
    auto* session = static_cast<Session*>(context);
    std::string line = text != nullptr ? text : "";
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.pop_back();
    std::lock_guard<std::mutex> guard(session->diagnosticsLock);
    session->diagnostics.Add(std::move(line));
}

std::vector<std::string> Session::DiagnosticsFrom(size_t& from) const {
    std::lock_guard<std::mutex> guard(diagnosticsLock);
    return diagnostics.From(from);
}

std::vector<std::string> Session::RecentDiagnostics(size_t count) const {
    std::lock_guard<std::mutex> guard(diagnosticsLock);
    return diagnostics.Latest(count);
}

size_t Session::DiagnosticCount() const {
    std::lock_guard<std::mutex> guard(diagnosticsLock);
    return diagnostics.Count();
}

bool Session::Load(std::string& error) {
    if (module != nullptr)
        return true;
    module = PluginModule::Load(options.modulePath, error);
    if (module == nullptr)
        return false;
    ControllerInfo info{};
    module->query(&info);
    info.name[sizeof info.name - 1] = '\0';
    controllerName = info.name;
    return true;
}

bool Session::Open(std::string& error) {
    if (open)
        return true;
    if (!Load(error))
        return false;
    if (options.withSurface && surface == nullptr)
        surface = std::make_unique<VirtualKorvane>();
    HostCallbackTable table = host.Table();
    if (module->open(&table) == 0) {
        error = "OpenController failed";
        return false;
    }
    open = true;
    // A Host tells a freshly opened controller where the project stands.
    host.AnnounceState();
    Settle();
    return true;
}

void Session::Close() {
    if (!open)
        return;
    Settle();
    module->close();
    open = false;
    StandinBusWaitIdle(kIdleWaitMs);
    // Nothing the Host queued for the closed controller is delivered any more.
    host.TakeNotifications();
}

bool Session::Pump() {
    bool any = false;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageA(&message);
        any = true;
    }
    for (const Notification& notification : host.TakeNotifications()) {
        any = true;
        if (!open)
            continue;
        host.RecordNotify(notification);
        module->update(notification.code, notification.first, notification.second, 0);
    }
    host.Advance(GetTickCount());
    return any;
}

void Session::Settle() {
    for (int round = 0; round < kMaxSettleRounds; ++round) {
        StandinBusWaitIdle(kIdleWaitMs);
        if (!Pump())
            break;
    }
    StandinBusWaitIdle(kIdleWaitMs);
}

void Session::Wait(uint32_t milliseconds) {
    if (!options.testClock) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        while (std::chrono::steady_clock::now() < end) {
            Settle();
            std::this_thread::sleep_for(std::chrono::milliseconds(kWaitStepMs));
        }
        Settle();
        return;
    }
    for (uint32_t passed = 0; passed < milliseconds; passed += kWaitStepMs) {
        const uint32_t step =
            milliseconds - passed < kWaitStepMs ? milliseconds - passed : kWaitStepMs;
        StandinAdvanceClock(step);
        Settle();
    }
    Settle();
}

bool Session::Configure(StandinDialogUser user, void* context) {
    std::string error;
    if (!Load(error))
        return false;
    const HostCallbackTable table = host.Table();
    StandinSetDialogUser(user, context);
    module->configure(nullptr, nullptr, table.CommandCount, table.EnumCommand);
    StandinSetDialogUser(nullptr, nullptr);
    Settle();
    return true;
}

} // namespace sim
