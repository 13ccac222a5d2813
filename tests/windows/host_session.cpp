#include "host_session.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

void ClearStoredSettings() {
    RegDeleteKeyA(HKEY_CURRENT_USER, kSettingsKey);
}

std::optional<std::string> StoredSetting(const std::string& valueName) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return std::nullopt;
    char text[256] = {};
    DWORD type = 0;
    DWORD size = sizeof text - 1;
    const LSTATUS status = RegQueryValueExA(key, valueName.c_str(), nullptr, &type,
                                            reinterpret_cast<BYTE*>(text), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || type != REG_SZ)
        return std::nullopt;
    return std::string(text);
}
