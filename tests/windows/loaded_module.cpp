#include "loaded_module.h"

namespace {
template <typename Fn>
Fn Lookup(HMODULE module, const char* name) {
    if (module == nullptr)
        return nullptr;
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}
} // namespace

LoadedModule::LoadedModule(const char* path)
    : module(LoadLibraryA(path)), Query(Lookup<QueryFn>(module, "QueryController")),
      Open(Lookup<OpenFn>(module, "OpenController")),
      Configure(Lookup<ConfigureFn>(module, "ConfigureController")),
      Update(Lookup<UpdateFn>(module, "UpdateController")),
      Close(Lookup<CloseFn>(module, "CloseController")) {}

LoadedModule::~LoadedModule() {
    if (module != nullptr)
        FreeLibrary(module);
}

bool LoadedModule::Complete() const {
    return Query != nullptr && Open != nullptr && Configure != nullptr && Update != nullptr &&
           Close != nullptr;
}

namespace {
// How long the loop sleeps when no message is waiting: short against a 120 ms timer.
constexpr DWORD kIdleWaitMs = 10;
// How often a wait for a window looks for it.
constexpr DWORD kWindowPollMs = 20;

// Dispatches every waiting message; returns how many were WM_TIMER.
int DispatchWaitingMessages() {
    int timerMessages = 0;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_TIMER)
            ++timerMessages;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return timerMessages;
}
} // namespace

int PumpMessagesFor(DWORD milliseconds) {
    int timerMessages = 0;
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds) {
        timerMessages += DispatchWaitingMessages();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, kIdleWaitMs, QS_ALLINPUT);
    }
    return timerMessages;
}

bool PumpMessagesUntil(const std::function<bool()>& done, DWORD milliseconds) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start >= milliseconds)
            return false;
        DispatchWaitingMessages();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, kIdleWaitMs, QS_ALLINPUT);
    }
    return true;
}

HWND WaitForWindow(const char* title, DWORD milliseconds) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds) {
        HWND window = FindWindowA(nullptr, title);
        if (window != nullptr && IsWindowVisible(window))
            return window;
        Sleep(kWindowPollMs);
    }
    return nullptr;
}
