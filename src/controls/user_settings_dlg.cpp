// The settings dialog: the Host's commands in a list per key, the assigned one preselected,
// and the choices stored on OK.
#include "controls/user_settings_dlg.h"

#include <cstring>

#include "resources/settings_dialog_layout.h"

CUserSettingsDlg::CUserSettingsDlg(KeyAssignmentStore& keys)
    : CModalDialog(KORVANE_SETTINGS_DIALOG_ID), store(keys) {}

BOOL CUserSettingsDlg::OnInitDialog() {
    CModalDialog::OnInitDialog();
    if (!store.HasHostCommands()) {
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
    for (int32_t i = 0; i < store.HostCommandCount(); ++i) {
        if (store.CommandName(i, name)) {
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

// A list without a chosen entry keeps its key's stored assignment: there is no name to store
// that the user picked.
void CUserSettingsDlg::OnOK() {
    char names[kKeyAssignmentCount][kCommandNameSize];
    const char* chosen[kKeyAssignmentCount];
    for (size_t row = 0; row < kKeyAssignmentCount; ++row)
        chosen[row] =
            ChosenName(theKeyAssignments[row].controlId, names[row]) ? names[row] : nullptr;
    if (!store.Save(chosen))
        OutputDebugStringA("Korvane: the key assignments could not be saved\n");
    CModalDialog::OnOK();
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
