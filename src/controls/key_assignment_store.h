// The fifteen keys' Host commands: found in the Host's command list by the names stored in
// the registry (a key's default where nothing usable is stored), looked up by name for the
// fixed gestures, and stored by name when the user confirms the settings dialog. Works on the
// module-wide theKeyAssignments.
#pragma once

#include <cstddef>
#include <cstdint>

#include "controls/key_assignments.h"
#include "host/host_api.h"

class KeyAssignmentStore {
public:
    // Host command names and stored values travel in buffers of this size, terminator
    // included.
    static constexpr size_t kCommandNameSize = 128;
    // The key under HKEY_CURRENT_USER that holds one string value per key: its command's name.
    static constexpr char kSettingsKey[] = "Software\\Quenmoor\\KorvaneHost";

    // The Host's command count and enumerator (null when the Host gives none).
    void SetHostCommands(int32_t count, EnumCommandFn hostEnumerator);
    bool HasHostCommands() const { return enumerator != nullptr; }
    int32_t HostCommandCount() const { return commandCount; }
    // Asks the enumerator for command `index`; true when the Host marks it valid and the name
    // ends inside the buffer. The buffer always ends terminated.
    bool CommandName(int32_t index, char (&name)[kCommandNameSize]) const;

    // Fills every key's command from the stored names, falling back to the key's default.
    void Load();
    // The number of the first usable Host command with exactly this name; kNoCommand if none.
    int32_t FindCommand(const char* name) const;
    // The same for names[0..count-1] at once (at most twice the number of keys), in one pass
    // over the Host's list; a null name finds nothing.
    void FindCommands(const char* const* names, int32_t* found, size_t count) const;
    // Stores the name chosen for each key (null keeps the key as it is) and assigns its
    // command; false, with nothing stored, when the registry key cannot be created.
    bool Save(const char* const (&chosen)[kKeyAssignmentCount]);
    // The command assigned to the key with this list id; kNoCommand for any other id.
    static int32_t CommandFor(int32_t controlId);

private:
    int32_t commandCount = 0;
    EnumCommandFn enumerator = nullptr;
};
