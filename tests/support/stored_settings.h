// The plug-in's settings as the registry holds them, for the programs around the plug-in: the
// key under HKEY_CURRENT_USER, and a value written there as the settings dialog writes one.
#pragma once

#include <string>

#include "controls/key_assignment_store.h"

constexpr const char* kSettingsKey = KeyAssignmentStore::kSettingsKey;

// Stores `text` as the string value `valueName`; false when the key cannot be created or the
// value not written.
bool StoreSetting(const std::string& valueName, const std::string& text);
