// Windows and the messages sent to them: the live set of windows (the headless dialogs and
// their controls, and message-only windows of a window procedure), SendMessageA on the
// sender's thread or, for a window of another thread, on that thread when it looks at its
// messages, and the window's user data.
#include "internal.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <mutex>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

namespace {

constexpr DWORD kErrorClassAlreadyExists = 1410; // ERROR_CLASS_ALREADY_EXISTS
constexpr DWORD kErrorClassDoesNotExist = 1411;  // ERROR_CLASS_DOES_NOT_EXIST

std::mutex windowsLock; // guards the live windows and the classes

// Never destroyed: a thread that ends after static destruction still takes its windows away.
std::unordered_set<standin::Window*>& LiveWindows() {
    static auto* live = new std::unordered_set<standin::Window*>;
    return *live;
}

// Class names compare without regard to case, as on Windows.
struct CaseInsensitiveLess {
    bool operator()(const std::string& left, const std::string& right) const {
        const size_t length = std::min(left.size(), right.size());
        for (size_t i = 0; i < length; ++i) {
            const int a = std::tolower(static_cast<unsigned char>(left[i]));
            const int b = std::tolower(static_cast<unsigned char>(right[i]));
            if (a != b)
                return a < b;
        }
        return left.size() < right.size();
    }
};

std::map<std::string, WNDPROC, CaseInsensitiveLess>& Classes() {
    static std::map<std::string, WNDPROC, CaseInsensitiveLess> classes;
    return classes;
}

// A window that only receives messages (its parent is HWND_MESSAGE): it belongs to the thread
// that created it, which runs its procedure.
class MessageWindow : public standin::Window {
public:
    MessageWindow(WNDPROC windowProcedure, DWORD ownerThread)
        : procedure(windowProcedure), owner(ownerThread) {}

    LRESULT Receive(UINT message, WPARAM wParam, LPARAM lParam) override {
        return procedure(AsHandle(), message, wParam, lParam);
    }
    DWORD Owner() const override { return owner; }

private:
    const WNDPROC procedure;
    const DWORD owner;
};

// The user data of the window `handle` names, the one slot at `index` the stand-in keeps; null
// with the last error set when there is no such window or slot.
LONG_PTR* UserDataOf(HWND handle, int index) {
    standin::Window* window = standin::LookUpWindow(handle);
    if (window == nullptr)
        return nullptr;
    if (index != GWLP_USERDATA) {
        standin::SetLastErrorCode(ERROR_INVALID_INDEX);
        return nullptr;
    }
    return &window->userData;
}

} // namespace

namespace standin {

void RegisterWindow(Window* window) {
    std::lock_guard<std::mutex> guard(windowsLock);
    LiveWindows().insert(window);
}

void UnregisterWindow(Window* window) {
    std::lock_guard<std::mutex> guard(windowsLock);
    LiveWindows().erase(window);
}

void DestroyWindowsOf(DWORD thread) {
    std::vector<Window*> ended;
    {
        std::lock_guard<std::mutex> guard(windowsLock);
        for (Window* window : LiveWindows())
            if (dynamic_cast<MessageWindow*>(window) != nullptr && window->Owner() == thread)
                ended.push_back(window);
        for (Window* window : ended)
            LiveWindows().erase(window);
    }
    for (Window* window : ended)
        delete window;
}

Window* LookUpWindow(HWND handle) {
    auto* window = reinterpret_cast<Window*>(handle);
    std::lock_guard<std::mutex> guard(windowsLock);
    if (LiveWindows().count(window) != 0)
        return window;
    SetLastErrorCode(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
}

} // namespace standin

extern "C" {

ATOM WINAPI RegisterClassA(const WNDCLASSA* windowClass) {
    if (windowClass == nullptr || windowClass->lpszClassName == nullptr ||
        windowClass->lpfnWndProc == nullptr) {
        standin::SetLastErrorCode(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::lock_guard<std::mutex> guard(windowsLock);
    auto& classes = Classes();
    if (classes.count(windowClass->lpszClassName) != 0) {
        standin::SetLastErrorCode(kErrorClassAlreadyExists);
        return 0;
    }
    classes[windowClass->lpszClassName] = windowClass->lpfnWndProc;
    // Atoms of registered classes start at 0xC000 on Windows.
    return static_cast<ATOM>(0xC000 + classes.size());
}

// Only message-only windows exist here: a window of any other parent has nowhere to appear.
HWND WINAPI CreateWindowExA(DWORD, LPCSTR className, LPCSTR, DWORD, int, int, int, int, HWND parent,
                            HMENU, HINSTANCE, LPVOID) {
    if (parent != HWND_MESSAGE || className == nullptr) {
        standin::SetLastErrorCode(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    WNDPROC procedure = nullptr;
    {
        std::lock_guard<std::mutex> guard(windowsLock);
        const auto found = Classes().find(className);
        if (found != Classes().end())
            procedure = found->second;
    }
    if (procedure == nullptr) {
        standin::SetLastErrorCode(kErrorClassDoesNotExist);
        return nullptr;
    }
    standin::EnsureMessageQueue(); // the window's messages go to its thread's queue
    auto* window = new MessageWindow(procedure, GetCurrentThreadId());
    standin::RegisterWindow(window);
    return window->AsHandle();
}

BOOL WINAPI DestroyWindow(HWND handle) {
    auto* window = dynamic_cast<MessageWindow*>(standin::LookUpWindow(handle));
    if (window == nullptr)
        return FALSE;
    if (window->Owner() != GetCurrentThreadId()) {
        standin::SetLastErrorCode(ERROR_ACCESS_DENIED); // another thread's window
        return FALSE;
    }
    standin::UnregisterWindow(window);
    delete window;
    return TRUE;
}

LRESULT WINAPI DefWindowProcA(HWND, UINT, WPARAM, LPARAM) {
    return 0;
}

LRESULT WINAPI SendMessageA(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD owner = 0;
    standin::Window* window = nullptr;
    {
        // Looked at under the lock: another thread's window may go at any moment.
        std::lock_guard<std::mutex> guard(windowsLock);
        window = reinterpret_cast<standin::Window*>(handle);
        if (LiveWindows().count(window) == 0) {
            standin::SetLastErrorCode(ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
        owner = window->Owner();
    }
    // A window of this thread (or one that answers on any) is destroyed only by this thread.
    if (owner == 0 || owner == GetCurrentThreadId())
        return window->Receive(message, wParam, lParam);
    LRESULT result = 0;
    standin::SendToThread(owner, handle, message, wParam, lParam, result);
    return result;
}

LONG_PTR WINAPI SetWindowLongPtrA(HWND handle, int index, LONG_PTR value) {
    LONG_PTR* userData = UserDataOf(handle, index);
    if (userData == nullptr)
        return 0;
    standin::SetLastErrorCode(ERROR_SUCCESS);
    return std::exchange(*userData, value);
}

LONG_PTR WINAPI GetWindowLongPtrA(HWND handle, int index) {
    const LONG_PTR* userData = UserDataOf(handle, index);
    return userData != nullptr ? *userData : 0;
}

} // extern "C"
