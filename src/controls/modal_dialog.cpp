// The dialog procedure behind CModalDialog and the module's own instance handle.
#include "controls/modal_dialog.h"

#include "common/firewall.h"

namespace {

// Any address inside the module names the module, and with it the resources it carries.
const char moduleAnchor = 0;

} // namespace

HINSTANCE ModuleInstance() {
    HMODULE module = nullptr;
    if (GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                               GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           &moduleAnchor, &module) == FALSE)
        return nullptr;
    return module;
}

CModalDialog::CModalDialog(int dialogTemplateId) : templateId(dialogTemplateId), window(nullptr) {}

INT_PTR CModalDialog::DoModal() {
    const INT_PTR result = DialogBoxParamA(ModuleInstance(), MAKEINTRESOURCEA(templateId), nullptr,
                                           DialogProc, reinterpret_cast<LPARAM>(this));
    window = nullptr;
    if (result == -1) {
        char line[64];
        wsprintfA(line, "Korvane: dialog %d could not be shown\n", templateId);
        OutputDebugStringA(line);
    }
    return result;
}

BOOL CModalDialog::OnInitDialog() {
    return TRUE;
}

void CModalDialog::OnOK() {
    EndDialog(IDOK);
}

void CModalDialog::EndDialog(INT_PTR result) {
    ::EndDialog(window, result);
}

LRESULT CModalDialog::SendItemMessage(int id, UINT message, WPARAM wParam, LPARAM lParam) const {
    return SendDlgItemMessageA(window, id, message, wParam, lParam);
}

INT_PTR CModalDialog::OnCommand(WORD id) {
    switch (id) {
    case IDOK:
        OnOK();
        return TRUE;
    case IDCANCEL:
        EndDialog(IDCANCEL);
        return TRUE;
    default:
        return FALSE;
    }
}

// The dialog object arrives with WM_INITDIALOG and is kept in the window's user data for the
// messages after it; messages before it (WM_SETFONT) go to the platform's defaults. The
// procedure is called from inside the platform, so nothing may raise out of it: a failure is
// reported and closes the dialog as cancelled.
INT_PTR CALLBACK CModalDialog::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    CModalDialog* self = nullptr;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<CModalDialog*>(lParam);
        SetWindowLongPtrA(dialog, GWLP_USERDATA, lParam);
        self->window = dialog;
    } else {
        self = reinterpret_cast<CModalDialog*>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
    }
    if (self == nullptr || (message != WM_INITDIALOG && message != WM_COMMAND))
        return FALSE;
    INT_PTR handled = FALSE;
    const bool completed = RunGuarded("a dialog", [&] {
        handled = message == WM_INITDIALOG ? self->OnInitDialog() : self->OnCommand(LOWORD(wParam));
    });
    if (!completed)
        ::EndDialog(dialog, IDCANCEL);
    return completed ? handled : TRUE;
}
