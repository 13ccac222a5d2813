// The exported entry points. Each is a boundary: nothing it calls may raise past it.
#include "host/host_interface.h"

#include <cstring>
#include <new>

#include "common/firewall.h"
#include "controller/korvane.h"
#include "controls/refused_feedback.h"
#include "controls/user_settings_dlg.h"

Korvane* theController = nullptr;

namespace {

UINT_PTR refreshTimer = 0;

void CALLBACK RefreshTimerProc(HWND, UINT, UINT_PTR, DWORD) {
    RunGuarded("refresh timer", [] {
        RefusedFeedback::Report();
        if (theController != nullptr)
            theController->OnRefreshTimer();
    });
}

void StartRefreshTimer() {
    refreshTimer = SetTimer(nullptr, 0, kRefreshPeriodMs, RefreshTimerProc);
    if (refreshTimer == 0)
        OutputDebugStringA("Korvane: the refresh timer could not be started\n");
}

void StopRefreshTimer() {
    if (refreshTimer != 0)
        KillTimer(nullptr, refreshTimer);
    refreshTimer = 0;
}

// Stops the timer and the surface's input, closes the controller toward the surface and
// destroys it. Once this returns, the plug-in neither calls the Host nor sends to the surface.
void DestroyController() {
    StopRefreshTimer();
    if (!theController->BeginClose()) {
        // A gesture is still inside a Host call that does not return: destroying the
        // controller under it would end the Host's process. It is left to the process, inert.
        OutputDebugStringA("Korvane: a surface gesture did not finish within 2 s; the controller "
                           "is left open\n");
        theController = nullptr;
        return;
    }
    RunGuarded("closing the surface", [] { theController->CloseSurface(); });
    RunGuarded("destroying the controller", [] { delete theController; });
    theController = nullptr;
    RefusedFeedback::Report();
}

} // namespace

extern "C" {

int32_t QueryController(void* info) {
    if (info == nullptr)
        return 0;
    auto* record = static_cast<unsigned char*>(info);
    const uint32_t id = kControllerId;
    const uint32_t version = kControllerVersion;
    const uint32_t trackCount = kTrackCount;
    std::memcpy(record + offsetof(ControllerInfo, id), &id, sizeof id);
    std::memcpy(record + offsetof(ControllerInfo, version), &version, sizeof version);
    std::memcpy(record + offsetof(ControllerInfo, name), kControllerName, sizeof kControllerName);
    std::memcpy(record + offsetof(ControllerInfo, trackCount), &trackCount, sizeof trackCount);
    return 1;
}

int32_t OpenController(HostCallbackTable* table) {
    if (table == nullptr)
        return 0;
    if (theController != nullptr) {
        // The Host opens once; a second open replaces the first controller rather than leave
        // two of them fighting over the surface's ports.
        OutputDebugStringA("Korvane: OpenController while a controller is open; closing it\n");
        DestroyController();
    }
    RunGuarded("creating the controller",
               [table] { theController = new (std::nothrow) Korvane(table); });
    if (theController == nullptr)
        return 0;
    RunGuarded("opening the surface", [] { theController->OpenSurface(); });
    StartRefreshTimer();
    return 1;
}

void ConfigureController(void*, void*, int32_t commandCount, EnumCommandFn enumCommand) {
    if (enumCommand == nullptr)
        return;
    RunGuarded("configuring the controller", [=] {
        KeyAssignmentStore store;
        store.SetHostCommands(commandCount, enumCommand);
        store.Load();
        CUserSettingsDlg(store).DoModal();
    });
}

int32_t UpdateController(int32_t code, int32_t first, int32_t second, int32_t third) {
    RunGuarded("handling a Host notification", [=] {
        if (theController != nullptr)
            theController->OnHostUpdate(code, first, second, third);
    });
    return 0;
}

void CloseController(void) {
    if (theController != nullptr)
        DestroyController();
}

} // extern "C"
