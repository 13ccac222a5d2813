// The user settings: the Host commands assigned to the fifteen keys, loaded from and saved to
// the registry by command name, and the dialog (template 1000) in which the user picks them
// from the Host's own command list. The controller holds one that is never shown; the
// configuration call shows one of its own. Both work on the module-wide theKeyAssignments.
#pragma once

#include <cstddef>
#include <cstdint>

#include "controls/key_assignments.h"
#include "controls/modal_dialog.h"
#include "host/host_bridge.h"

class CUserSettingsDlg : public CModalDialog {
public:
    // Host command names and stored values travel in buffers of this size, terminator
    // included.
    static constexpr size_t kCommandNameSize = 128;

    CUserSettingsDlg();

    // The Host's command count and enumerator (null when the Host gives none).
    void SetHostCommands(int32_t count, EnumCommandFn hostEnumerator);
    // Fills every row's command from the stored names, falling back to the row's default.
    void Load();
    // The number of the first usable Host command with exactly this name; kNoCommand if none.
    int32_t FindCommand(const char* name) const;
    // The same for names[0..count-1] at once (at most twice the number of keys), in one pass
    // over the Host's list; a null name finds nothing.
    void FindCommands(const char* const* names, int32_t* found, size_t count) const;
    // The command assigned to the key with this list id; kNoCommand for any other id.
    static int32_t CommandFor(int32_t controlId);

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;

private:
    // Asks the enumerator for command `index`; true when the Host marks it valid and the name
    // ends inside the buffer. The buffer always ends terminated.
    bool CommandName(int32_t index, char (&name)[kCommandNameSize]) const;
    void FillList(const KeyAssignment& row) const;
    void Preselect(int32_t listId, const char* name) const;
    void SaveChoice(HKEY key, KeyAssignment& row) const;
    bool ChosenName(int32_t listId, char (&name)[kCommandNameSize]) const;
    bool EntryText(int32_t listId, LRESULT index, char (&name)[kCommandNameSize]) const;
    bool EntryIs(int32_t listId, LRESULT index, const char* name) const;

    int32_t commandCount;
    EnumCommandFn enumerator;
};
