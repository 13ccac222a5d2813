// One run of the simulated Host: the plug-in loaded by path, the project, the virtual surface,
// and the Host's message loop that runs the plug-in's timer and delivers the notifications.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "host_model.h"
#include "kept_log.h"
#include "platform/standin/dialog_user.h"
#include "plugin_module.h"
#include "virtual_korvane.h"

namespace sim {

struct SessionOptions {
    std::string modulePath;
    bool withSurface = true;
    // Time moves only when Wait moves it: deterministic runs for scripts.
    bool testClock = false;
};

class Session {
public:
    explicit Session(SessionOptions options);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Loads the plug-in (once), plugs the surface in and opens the controller.
    bool Open(std::string& error);
    // Closes the controller, as the Host does before it quits or reloads it. Idempotent.
    void Close();
    bool IsOpen() const { return open; }

    // One turn of the Host's message loop: due timers dispatched, queued notifications
    // delivered through UpdateController, the transport moved on. True when anything ran.
    bool Pump();
    // Until the bus has delivered everything and the loop has nothing left to do.
    void Settle();
    // Lets `milliseconds` pass with the loop running: on the test clock in small steps, on the
    // real clock as it goes by.
    void Wait(uint32_t milliseconds);

    // Shows the plug-in's settings dialog through ConfigureController, with `user` in front of
    // it. False when the plug-in is not loaded.
    bool Configure(StandinDialogUser user, void* context);

    HostModel& Host() { return host; }
    VirtualKorvane* Surface() { return surface.get(); } // null without a surface
    const std::string& ControllerName() const { return controllerName; }
    // The plug-in's debugger output, one text per call: from absolute position `from` on (the
    // oldest kept when older ones were dropped), the latest `count`, and how many so far.
    std::vector<std::string> DiagnosticsFrom(size_t& from) const;
    std::vector<std::string> RecentDiagnostics(size_t count) const;
    size_t DiagnosticCount() const;

private:
    bool Load(std::string& error);
    static void Capture(const char* text, void* context);

    SessionOptions options;
    HostModel host;
    std::unique_ptr<PluginModule> module;
    std::unique_ptr<VirtualKorvane> surface;
    std::string controllerName;
    bool open = false;
    mutable std::mutex diagnosticsLock;
    KeptLog<std::string> diagnostics;
};

} // namespace sim
