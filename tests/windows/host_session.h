// What the Windows test programs set up around the plug-in: the settings that the plug-in keeps
// in the registry (HKEY_CURRENT_USER of the test's prefix), and the Host's command list
// (support/host_commands.h) with the recording Host that offers it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "support/host_commands.h"
#include "support/recording_host.h"
#include "support/stored_settings.h"

// The title of the settings dialog that ConfigureController shows.
constexpr char kSettingsDialogTitle[] = "Korvane User Settings";
// Long enough for a dialog to come up on a loaded machine; only a fault takes longer.
constexpr uint32_t kDialogWaitMs = 15000;

// Removes the settings' key (support/stored_settings.h) with every value in it.
void ClearStoredSettings();
// The string stored under valueName; nothing when the key or the value is missing.
std::optional<std::string> StoredSetting(const std::string& valueName);
