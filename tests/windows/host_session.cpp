#include "host_session.h"

#include <algorithm>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

const std::vector<std::string>& HostCommandNames() {
    static const std::vector<std::string> names = {
        "Zoom Out Horizontally",
        "Mixer panel toggle",
        "Multitrack / Edit View toggle",
        "Save / Save Session",
        "Undo (1)",
        "Insert: Audio Track",
        kInvalidHostCommand,
        "Insert: MIDI Track",
        "Save All",
        "Redo",
        "Selection Anchor Left when playing",
        "Selection Anchor Right when playing",
        "Move Cursor to Beginning",
        "Move Cursor to End",
        "Metronome On/Off toggle",
        "Monitor Record Level toggle",
        "Record/Stop toggle",
        "Zoom In Horizontally",
        "Zoom Out Vertically",
        "Zoom In Vertically",
        "Clips: Punch In",
        "Edit: Cut",
        "Edit: Copy",
        "Edit: Paste",
        "Transport: Loop",
    };
    return names;
}

int32_t HostCommandIndex(const std::string& name) {
    const auto& names = HostCommandNames();
    const auto found = std::find(names.begin(), names.end(), name);
    return found == names.end() ? -1 : static_cast<int32_t>(found - names.begin());
}

void OfferHostCommands(RecordingHost& host) {
    for (const std::string& name : HostCommandNames())
        host.AddCommand(name, name != kInvalidHostCommand);
}

void ClearStoredSettings() {
    RegDeleteKeyA(HKEY_CURRENT_USER, kSettingsKey);
}

bool StoreSetting(const std::string& valueName, const std::string& text) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    const LSTATUS status = RegSetValueExA(key, valueName.c_str(), 0, REG_SZ,
                                          reinterpret_cast<const BYTE*>(text.c_str()),
                                          static_cast<DWORD>(text.size() + 1));
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
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
