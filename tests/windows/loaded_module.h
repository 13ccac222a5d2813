// Korvane.cv2 loaded the way the Host loads it: by path, through its five exports only.
#pragma once

#include <cstdint>
#include <functional>

#include "host/host_bridge.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

struct LoadedModule {
    typedef int32_t (*QueryFn)(void*);
    typedef int32_t (*OpenFn)(HostCallbackTable*);
    typedef void (*ConfigureFn)(void*, void*, int32_t, EnumCommandFn);
    typedef int32_t (*UpdateFn)(int32_t, int32_t, int32_t, int32_t);
    typedef void (*CloseFn)(void);

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
