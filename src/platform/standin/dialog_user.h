// The far side of the stand-in's dialogs: the templates a module carries (what a resource
// compiler puts into a Windows DLL), and the user who sits in front of a modal dialog.
//
// DialogBoxParamA builds a headless dialog from a registered template, sends WM_INITDIALOG
// and then calls the installed dialog user on the dialog's thread. The user reads the lists
// with the ordinary CB_* messages, picks entries, types into a list's edit field and presses
// buttons. A dialog that is still open when the user returns, or that is shown while no user
// is installed, is closed as if the user pressed Cancel: a headless dialog never blocks.
#pragma once

#include "windows_api.h"

#ifdef __cplusplus
extern "C" {
#endif

// ---- Templates -----------------------------------------------------------------------------

// One control, as a dialog template's CONTROL statement gives it.
typedef struct StandinDialogControl {
    const char* windowClass; // "BUTTON", "COMBOBOX" or "STATIC"
    const char* text;
    int id;
    short x;
    short y;
    short width;
    short height;
    DWORD style;
} StandinDialogControl;

typedef struct StandinDialogTemplate {
    const char* caption;
    const char* fontName;
    int fontPoints;
    short width;
    short height;
    DWORD style;
    const StandinDialogControl* controls; // in tab order
    int controlCount;
} StandinDialogTemplate;

// Makes `dialog` the template `id` of `module`, as the resource compiler does for a Windows
// DLL. The stand-in keeps a copy. Registering the same module and id again replaces it.
STANDIN_API void StandinRegisterDialogTemplate(HMODULE module, int id,
                                               const StandinDialogTemplate* dialog);
// The registered template, or null. It stays valid until the same module and id are
// registered again.
STANDIN_API const StandinDialogTemplate* StandinFindDialogTemplate(HMODULE module, int id);

// ---- The user in front of a dialog ----------------------------------------------------------

// Called once per modal dialog, after WM_INITDIALOG, on the dialog's thread. A user of null
// leaves dialogs without one (they close as cancelled).
typedef void (*StandinDialogUser)(HWND dialog, void* context);
STANDIN_API void StandinSetDialogUser(StandinDialogUser user, void* context);

// The dialog's template id and caption; null for a window that is not an open dialog.
STANDIN_API const StandinDialogTemplate* StandinDialogTemplateOf(HWND dialog);

// Picks entry `index` of list `id`: the entry becomes the selection and the edit field's text,
// and the dialog receives CBN_SELCHANGE. FALSE when the dialog has no such list or entry, or
// has already ended.
STANDIN_API BOOL StandinDialogSelect(HWND dialog, int id, int index);
// Replaces the text of list `id`'s edit field, as typing does while the list is closed: the
// list's selection is cleared and the dialog receives CBN_EDITCHANGE.
STANDIN_API BOOL StandinDialogType(HWND dialog, int id, const char* text);
// Clicks button `id`: the dialog receives WM_COMMAND with BN_CLICKED.
STANDIN_API BOOL StandinDialogPress(HWND dialog, int id);
// Whether EndDialog has been called for the dialog.
STANDIN_API BOOL StandinDialogHasEnded(HWND dialog);

#ifdef __cplusplus
}
#endif
