// Korvane.cv2 loaded the way the Host loads it: by path, through its five exports only.
#pragma once

#include <cstdint>
#include <functional>

#include "host/host_interface.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

struct LoadedModule {
    // The exports' types, as the plug-in declares them.
    using QueryFn = decltype(&QueryController);
    using OpenFn = decltype(&OpenController);
    using ConfigureFn = decltype(&ConfigureController);
    using UpdateFn = decltype(&UpdateController);
    using CloseFn = decltype(&CloseController);

    // Loads the DLL from the test program's folder; every member is null when that fails.
    explicit LoadedModule(const char* path = "Korvane.cv2");
    ~LoadedModule();
    LoadedModule(const LoadedModule&) = delete;
    LoadedModule& operator=(const LoadedModule&) = delete;

    bool Complete() const;

    HMODULE module;
    QueryFn Query;
    OpenFn Open;
    ConfigureFn Configure;
    UpdateFn Update;
    CloseFn Close;
};

// Pumps this thread's messages for `milliseconds` of real time and returns how many WM_TIMER
// messages it dispatched.
int PumpMessagesFor(DWORD milliseconds);
// Pumps this thread's messages until `done` holds, at most `milliseconds` of real time;
// returns whether it came to hold.
bool PumpMessagesUntil(const std::function<bool()>& done, DWORD milliseconds);
// Waits, at most `milliseconds` of real time, for a visible top-level window with this title;
// null when none appeared.
HWND WaitForWindow(const char* title, DWORD milliseconds);
