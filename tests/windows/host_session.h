// What the Windows test programs set up around the plug-in: the Host's command list and the
// settings that the plug-in keeps in the registry (HKEY_CURRENT_USER of the test's prefix).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "support/recording_host.h"

// The Host's command list, in the Host's (unsorted) order: every default of the fifteen keys,
// a few others, and one entry the Host reports as invalid.
const std::vector<std::string>& HostCommandNames();
constexpr char kInvalidHostCommand[] = "Retired: Old Command";
// The index of a command in that list; -1 when absent.
int32_t HostCommandIndex(const std::string& name);
// Adds the whole list to the Host.
void OfferHostCommands(RecordingHost& host);

// The title of the settings dialog that ConfigureController shows.
constexpr char kSettingsDialogTitle[] = "Korvane User Settings";
// Long enough for a dialog to come up on a loaded machine; only a fault takes longer.
constexpr uint32_t kDialogWaitMs = 15000;

// The registry key under HKEY_CURRENT_USER that holds the key assignments.
constexpr char kSettingsKey[] = "Software\\Quenmoor\\KorvaneHost";
// Removes the key with every value in it.
void ClearStoredSettings();
// False when the key cannot be created or the value not written.
bool StoreSetting(const std::string& valueName, const std::string& text);
// The string stored under valueName; nothing when the key or the value is missing.
std::optional<std::string> StoredSetting(const std::string& valueName);
