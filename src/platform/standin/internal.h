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
    // Whether a wait would end at once; looks without changing the object.
    virtual bool Signalled() = 0;
};

HANDLE RegisterHandle(KernelObject* object);
// Null when the handle is not live.
KernelObject* LookUpHandle(HANDLE handle);

void SetLastErrorCode(DWORD code);

// Makes `id` the calling thread's id (GetCurrentThreadId) and returns the one it had: a fiber
// carries its own.
DWORD SwapCurrentThreadId(DWORD id);

// A window: a headless dialog or one of its controls, or a message-only window. A handle is
// valid from RegisterWindow until UnregisterWindow.
class Window {
public:
    virtual ~Window() = default;
    // The window's answer to a message sent to it.
    virtual LRESULT Receive(UINT message, WPARAM wParam, LPARAM lParam) = 0;
    // The thread that receives the window's messages; 0 for a window that answers on the
    // sender's thread (the headless dialogs, which run on the thread that shows them).
    virtual DWORD Owner() const { return 0; }
    HWND AsHandle() { return reinterpret_cast<HWND>(this); }

    LONG_PTR userData = 0;
};

void RegisterWindow(Window* window);
void UnregisterWindow(Window* window);
// Null (and ERROR_INVALID_WINDOW_HANDLE) when the handle names no live window.
Window* LookUpWindow(HWND handle);

// Gives the calling thread its message queue, as creating a window does on Windows.
void EnsureMessageQueue();
// A thread routine has returned: its message queue and windows go, as its thread's would.
void EndThread();
// Destroys the message-only windows of a thread that has ended, as Windows does.
void DestroyWindowsOf(DWORD thread);

// Has the thread `owner` deliver the message to `window` the next time it looks at its
// messages (PeekMessageA, GetMessageA), and waits for the answer; meanwhile the calling thread
// serves the messages sent to it, as a thread blocked in SendMessage does on Windows. False
// when the owner has no message queue or ends before it answers.
bool SendToThread(DWORD owner, HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                  LRESULT& result);

// Called after every change of the test clock, on the thread that changed it, so that threads
// waiting for a timer can look at the clock again.
typedef void (*ClockListener)(void* context);
void AddClockListener(ClockListener listener, void* context);
void RemoveClockListener(ClockListener listener, void* context);

} // namespace standin
