// The settings: loading the key assignments by command name, finding Host commands, and the
// dialog that lets the user choose them.
#include "controls/user_settings_dlg.h"

#include <cstring>
#include <iterator>

#include "resources/settings_dialog_layout.h"

namespace {

const char kSettingsKey[] = "Software\\Quenmoor\\KorvaneHost";

constexpr size_t kNameSize = CUserSettingsDlg::kCommandNameSize;

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
    const bool opened = RegOpenKeyA(HKEY_CURRENT_USER, kSettingsKey, &key) == ERROR_SUCCESS;
    for (size_t row = 0; row < kKeyAssignmentCount; ++row) {
        stored[row][0] = '\0';
        if (opened)
            ReadStoredName(key, theKeyAssignments[row].valueName, stored[row]);
    }
    if (opened)
        RegCloseKey(key);
}

} // namespace

CUserSettingsDlg::CUserSettingsDlg()
    : CModalDialog(KORVANE_SETTINGS_DIALOG_ID), commandCount(0), enumerator(nullptr) {}

void CUserSettingsDlg::SetHostCommands(int32_t count, EnumCommandFn hostEnumerator) {
    commandCount = count;
    enumerator = hostEnumerator;
}

bool CUserSettingsDlg::CommandName(int32_t index, char (&name)[kCommandNameSize]) const {
    std::memset(name, 0, sizeof name);
    int32_t unused = 0;
    int32_t valid = 0;
    enumerator(index, name, static_cast<int32_t>(sizeof name), &unused, &valid);
    // A name without its terminator inside the buffer is cut for display and never used.
    const bool usable = valid != 0 && Terminated(name, sizeof name);
    name[sizeof name - 1] = '\0';
    return usable;
}

int32_t CUserSettingsDlg::FindCommand(const char* name) const {
    int32_t found = kNoCommand;
    FindCommands(&name, &found, 1);
    return found;
}

void CUserSettingsDlg::FindCommands(const char* const* names, int32_t* found, size_t count) const {
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
void CUserSettingsDlg::Load() {
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

int32_t CUserSettingsDlg::CommandFor(int32_t controlId) {
    for (const KeyAssignment& row : theKeyAssignments) {
        if (row.controlId == controlId)
            return LoadAssignedCommand(row);
    }
    return kNoCommand;
}

BOOL CUserSettingsDlg::OnInitDialog() {
    CModalDialog::OnInitDialog();
    if (enumerator == nullptr) {
        EndDialog(0);
        return TRUE;
    }
    for (const KeyAssignment& row : theKeyAssignments)
        FillList(row);
    return TRUE;
}

// Lists every usable Host command in the row's list, logs every index, and selects the
// row's assigned command.
void CUserSettingsDlg::FillList(const KeyAssignment& row) const {
    const int32_t assigned = LoadAssignedCommand(row);
    char selected[kCommandNameSize] = {};
    char name[kCommandNameSize];
    for (int32_t i = 0; i < commandCount; ++i) {
        if (CommandName(i, name)) {
            SendItemMessage(row.controlId, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
            if (assigned == i)
                std::memcpy(selected, name, sizeof selected);
        }
        char line[kCommandNameSize + 32];
        wsprintfA(line, "#%d: %s\n", i, name);
        OutputDebugStringA(line);
    }
    if (selected[0] != '\0')
        Preselect(row.controlId, selected);
}

// The platform's exact search ignores case. A Host may list names that differ only in case,
// and preselecting the wrong one would make OK store it for a key the user never touched, so
// the search goes on from match to match until it finds the entry spelled exactly as the name.
void CUserSettingsDlg::Preselect(int32_t listId, const char* name) const {
    const LRESULT first = SendItemMessage(listId, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                          reinterpret_cast<LPARAM>(name));
    LRESULT found = first;
    while (found != CB_ERR && !EntryIs(listId, found, name)) {
        found = SendItemMessage(listId, CB_FINDSTRINGEXACT, static_cast<WPARAM>(found),
                                reinterpret_cast<LPARAM>(name));
        if (found == first)
            break; // come round without an exact spelling: keep the platform's match
    }
    if (found != CB_ERR)
        SendItemMessage(listId, CB_SETCURSEL, static_cast<WPARAM>(found), 0);
}

void CUserSettingsDlg::OnOK() {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, const_cast<LPSTR>(""),
                        REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) == ERROR_SUCCESS) {
        for (KeyAssignment& row : theKeyAssignments)
            SaveChoice(key, row);
        RegCloseKey(key);
    } else {
        OutputDebugStringA("Korvane: the key assignments could not be saved\n");
    }
    CModalDialog::OnOK();
}

// Stores the entry chosen in the row's list and assigns its command. A list without a chosen
// entry keeps the stored assignment: there is no name to store that the user picked.
void CUserSettingsDlg::SaveChoice(HKEY key, KeyAssignment& row) const {
    char name[kCommandNameSize];
    if (!ChosenName(row.controlId, name))
        return;
    const DWORD size = static_cast<DWORD>(std::strlen(name) + 1);
    RegSetValueExA(key, row.valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(name), size);
    StoreAssignedCommand(row, FindCommand(name));
}

bool CUserSettingsDlg::ChosenName(int32_t listId, char (&name)[kCommandNameSize]) const {
    const LRESULT index = SendItemMessage(listId, CB_GETCURSEL, 0, 0);
    return index != CB_ERR && EntryText(listId, index, name);
}

bool CUserSettingsDlg::EntryText(int32_t listId, LRESULT index,
                                 char (&name)[kCommandNameSize]) const {
    // The entry text is copied without a size limit, so its length is checked first.
    const LRESULT length = SendItemMessage(listId, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length < 0 || length >= static_cast<LRESULT>(sizeof name))
        return false;
    return SendItemMessage(listId, CB_GETLBTEXT, static_cast<WPARAM>(index),
                           reinterpret_cast<LPARAM>(name)) != CB_ERR;
}

bool CUserSettingsDlg::EntryIs(int32_t listId, LRESULT index, const char* name) const {
    char entry[kCommandNameSize];
    return EntryText(listId, index, entry) && std::strcmp(entry, name) == 0;
}
