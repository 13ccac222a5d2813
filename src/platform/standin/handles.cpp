// The live set of kernel handles, WaitForSingleObject and CloseHandle, and GetLastError.
#include "fibers.h"
#include "internal.h"

#include <mutex>
#include <unordered_set>

namespace {

std::mutex handlesLock;
std::unordered_set<standin::KernelObject*>& LiveHandles() {
    static std::unordered_set<standin::KernelObject*> live;
    return live;
}

thread_local DWORD lastError = ERROR_SUCCESS;

} // namespace

namespace standin {

HANDLE RegisterHandle(KernelObject* object) {
    std::lock_guard<std::mutex> guard(handlesLock);
    LiveHandles().insert(object);
    return object;
}

KernelObject* LookUpHandle(HANDLE handle) {
    std::lock_guard<std::mutex> guard(handlesLock);
    auto* object = static_cast<KernelObject*>(handle);
    return LiveHandles().count(object) != 0 ? object : nullptr;
}

void SetLastErrorCode(DWORD code) {
    lastError = code;
}

} // namespace standin

extern "C" {

DWORD WINAPI GetLastError(void) {
    return lastError;
}

DWORD WINAPI WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
    // The object stays alive while a thread waits on it: closing a handle that another thread
    // is waiting on is a caller's error on Windows too, and the module never does it.
    standin::KernelObject* object = standin::LookUpHandle(handle);
    if (object == nullptr) {
        standin::SetLastErrorCode(ERROR_INVALID_HANDLE);
        return WAIT_FAILED;
    }
    if (standin::Cooperative())
        return standin::CooperativeWait(*object, milliseconds);
    return object->Wait(milliseconds);
}

BOOL WINAPI CloseHandle(HANDLE handle) {
    auto* object = static_cast<standin::KernelObject*>(handle);
    {
        std::lock_guard<std::mutex> guard(handlesLock);
        if (LiveHandles().erase(object) == 0) {
            standin::SetLastErrorCode(ERROR_INVALID_HANDLE);
            return FALSE;
        }
    }
    delete object;
    return TRUE;
}

} // extern "C"
