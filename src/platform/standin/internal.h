// Pieces the stand-in's services share among themselves; not part of its API.
#pragma once

#include "windows_api.h"

namespace standin {

// Kernel objects that a HANDLE names: events and threads. A handle is valid from its creation
// until CloseHandle; every call checks it against the live set instead of trusting the pointer.
class KernelObject {
public:
    virtual ~KernelObject() = default;
    // Waits until the object is signalled (an event set, a thread ended), at most `milliseconds`
    // of real time (INFINITE for no limit). Returns WAIT_OBJECT_0 or WAIT_TIMEOUT.
    virtual DWORD Wait(DWORD milliseconds) = 0;
};

HANDLE RegisterHandle(KernelObject* object);
// Null when the handle is not live.
KernelObject* LookUpHandle(HANDLE handle);

void SetLastErrorCode(DWORD code);

// Called after every change of the test clock, on the thread that changed it, so that threads
// waiting for a timer can look at the clock again.
typedef void (*ClockListener)(void* context);
void AddClockListener(ClockListener listener, void* context);
void RemoveClockListener(ClockListener listener, void* context);

} // namespace standin
