// A modal dialog built on a dialog template of the module's own resources: the platform's
// dialog-box call with a procedure that hands initialisation and OK to virtual operations.
// Cancel (the button, Escape or the close box) ends the dialog and nothing else.
#pragma once

#include "platform/platform.h"

// The module's own instance handle, which names the resources it carries.
HINSTANCE ModuleInstance();

class CModalDialog {
public:
    explicit CModalDialog(int templateId);
    virtual ~CModalDialog() = default;
    CModalDialog(const CModalDialog&) = delete;
    CModalDialog& operator=(const CModalDialog&) = delete;

    // Shows the dialog without a parent window on the calling thread and returns when it has
    // closed: the result that ended it (IDOK, IDCANCEL or another), or -1 when it could not be
    // shown.
    INT_PTR DoModal();

protected:
    // Runs once the controls exist. The result tells the platform whether to set the initial
    // focus itself (TRUE).
    virtual BOOL OnInitDialog();
    // The OK button (or Enter): ends the dialog with IDOK.
    virtual void OnOK();

    // Closes the dialog once the current message has been handled.
    void EndDialog(INT_PTR result);
    LRESULT SendItemMessage(int id, UINT message, WPARAM wParam, LPARAM lParam) const;
    HWND Window() const { return window; }

private:
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR OnCommand(WORD id);

    const int templateId;
    HWND window;
};
