#include "controls/key_assignment_store.h"

#include <cstring>
#include <iterator>

#include "platform/platform.h"

namespace {

constexpr size_t kNameSize = KeyAssignmentStore::kCommandNameSize;

// A text of the buffer is usable only when it ends within the buffer.
bool Terminated(const char* text, size_t size) {
    return std::memchr(text, '\0', size) != nullptr;
}

// The name stored under valueName, or an empty text when nothing usable is stored: a missing
// value, a value that is not a string, or one that does not fit the buffer with its terminator.
void ReadStoredName(HKEY key, const char* valueName, char* name) {
    std::memset(name, 0, kNameSize);
    DWORD type = 0;
    DWORD size = kNameSize;
    const LSTATUS status =
        RegQueryValueExA(key, valueName, nullptr, &type, reinterpret_cast<LPBYTE>(name), &size);
    if (status != ERROR_SUCCESS || type != REG_SZ || size > kNameSize ||
        (size == kNameSize && !Terminated(name, kNameSize)))
        name[0] = '\0';
}

// Every key's stored name, in the table's order; all empty when the key does not exist.
void ReadStoredNames(char (&stored)[kKeyAssignmentCount][kNameSize]) {
    HKEY key = nullptr;
    const bool opened =
        RegOpenKeyA(HKEY_CURRENT_USER, KeyAssignmentStore::kSettingsKey, &key) == ERROR_SUCCESS;
    for (size_t row = 0; row < kKeyAssignmentCount; ++row) {
        stored[row][0] = '\0';
        if (opened)
            ReadStoredName(key, theKeyAssignments[row].valueName, stored[row]);
    }
    if (opened)
        RegCloseKey(key);
}

} // namespace

void KeyAssignmentStore::SetHostCommands(int32_t count, EnumCommandFn hostEnumerator) {
    commandCount = count;
    enumerator = hostEnumerator;
}

bool KeyAssignmentStore::CommandName(int32_t index, char (&name)[kCommandNameSize]) const {
    std::memset(name, 0, sizeof name);
    int32_t unused = 0;
    int32_t valid = 0;
    enumerator(index, name, static_cast<int32_t>(sizeof name), &unused, &valid);
    // A name without its terminator inside the buffer is cut for display and never used.
    const bool usable = valid != 0 && Terminated(name, sizeof name);
    name[sizeof name - 1] = '\0';
    return usable;
}

int32_t KeyAssignmentStore::FindCommand(const char* name) const {
    int32_t found = kNoCommand;
    FindCommands(&name, &found, 1);
    return found;
}

void KeyAssignmentStore::FindCommands(const char* const* names, int32_t* found,
                                      size_t count) const {
    // The names not found yet, by their place in `names`.
    size_t pending[2 * kKeyAssignmentCount];
    size_t pendingCount = 0;
    for (size_t k = 0; k < count; ++k) {
        found[k] = kNoCommand;
        if (names[k] != nullptr && pendingCount < std::size(pending))
            pending[pendingCount++] = k;
    }
    if (enumerator == nullptr)
        return;
    char candidate[kCommandNameSize];
    for (int32_t i = 0; i < commandCount && pendingCount > 0; ++i) {
        if (!CommandName(i, candidate))
            continue;
        for (size_t p = 0; p < pendingCount;) {
            const size_t k = pending[p];
            if (std::strcmp(candidate, names[k]) == 0) {
                found[k] = i;
                pending[p] = pending[--pendingCount];
            } else {
                ++p;
            }
        }
    }
}

// Every key's stored command, or its default when nothing usable is stored or the Host lacks
// the stored one. A Host lists hundreds of commands: one pass over the list finds them all.
void KeyAssignmentStore::Load() {
    char stored[kKeyAssignmentCount][kNameSize];
    ReadStoredNames(stored);
    const char* wanted[2 * kKeyAssignmentCount];
    for (size_t row = 0; row < kKeyAssignmentCount; ++row) {
        wanted[2 * row] = stored[row][0] != '\0' ? stored[row] : nullptr;
        wanted[2 * row + 1] = theKeyAssignments[row].defaultCommand;
    }
    int32_t found[2 * kKeyAssignmentCount];
    FindCommands(wanted, found, 2 * kKeyAssignmentCount);
    for (size_t row = 0; row < kKeyAssignmentCount; ++row) {
        const int32_t chosen = found[2 * row] != kNoCommand ? found[2 * row] : found[2 * row + 1];
        StoreAssignedCommand(theKeyAssignments[row], chosen);
    }
}

bool KeyAssignmentStore::Save(const char* const (&chosen)[kKeyAssignmentCount]) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, KeyAssignmentStore::kSettingsKey, 0,
                        const_cast<LPSTR>(""), REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return false;
    for (size_t row = 0; row < kKeyAssignmentCount; ++row) {
        const char* name = chosen[row];
        if (name == nullptr)
            continue;
        KeyAssignment& assignment = theKeyAssignments[row];
        const DWORD size = static_cast<DWORD>(std::strlen(name) + 1);
        RegSetValueExA(key, assignment.valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(name),
                       size);
        StoreAssignedCommand(assignment, FindCommand(name));
    }
    RegCloseKey(key);
    return true;
}

int32_t KeyAssignmentStore::CommandFor(int32_t controlId) {
    for (const KeyAssignment& row : theKeyAssignments) {
        if (row.controlId == controlId)
            return LoadAssignedCommand(row);
    }
    return kNoCommand;
}
