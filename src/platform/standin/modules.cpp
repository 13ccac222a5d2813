// GetModuleHandleExA: a module is named by its base address, as on Windows, so that a module
// can find the resources (dialog templates) it registered for itself.
#include "internal.h"

#include <dlfcn.h>

extern "C" {

BOOL WINAPI GetModuleHandleExA(DWORD flags, LPCSTR moduleName, HMODULE* module) {
    if (module == nullptr) {
        standin::SetLastErrorCode(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *module = nullptr;
    // Only the lookup by an address inside the module is provided; modules have no names here.
    if ((flags & GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS) == 0 || moduleName == nullptr) {
        standin::SetLastErrorCode(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    Dl_info info{};
    if (dladdr(moduleName, &info) == 0 || info.dli_fbase == nullptr) {
        standin::SetLastErrorCode(ERROR_MOD_NOT_FOUND);
        return FALSE;
    }
    // Modules stay loaded while the process uses them here, so the reference count is moot.
    *module = static_cast<HMODULE>(info.dli_fbase);
    return TRUE;
}

} // extern "C"
