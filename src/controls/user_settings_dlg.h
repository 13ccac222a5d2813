// The settings dialog (template 1000) in which the user picks a Host command for each of the
// fifteen keys from the Host's own command list; OK stores the choices through the
// key-assignment store it is given. The assignments are module-wide, so an open controller
// uses the choices at once.
#pragma once

#include <cstdint>

#include "controls/key_assignment_store.h"
#include "controls/modal_dialog.h"

class CUserSettingsDlg : public CModalDialog {
public:
    static constexpr size_t kCommandNameSize = KeyAssignmentStore::kCommandNameSize;

    // The store lists the Host's commands and keeps the choices; it must outlive the dialog.
    explicit CUserSettingsDlg(KeyAssignmentStore& keys);

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;

private:
    void FillList(const KeyAssignment& row) const;
    void Preselect(int32_t listId, const char* name) const;
    bool ChosenName(int32_t listId, char (&name)[kCommandNameSize]) const;
    bool EntryText(int32_t listId, LRESULT index, char (&name)[kCommandNameSize]) const;
    bool EntryIs(int32_t listId, LRESULT index, const char* name) const;

    KeyAssignmentStore& store;
};
