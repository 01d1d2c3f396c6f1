// Dialogs from templates of the program's resources, modal (DoModal) or
// modeless (Create). Messages reach the object through one static dialog
// procedure that binds the object at WM_INITDIALOG and lets it go at
// WM_NCDESTROY.
#pragma once

#include <windows.h>

#include "wnd.h"

class CDialog : public CWnd {
public:
    explicit CDialog(UINT template_id, HWND parent = nullptr);
    ~CDialog() override;

    // Runs the dialog modally; the EndDialog result, or -1 when the dialog
    // could not be created.
    INT_PTR DoModal();
    // Creates the dialog modeless; true when its window exists.
    bool Create(UINT template_id, HWND parent = nullptr);
    void EndDialog(INT_PTR result);

    // Centres the window over its owner (or the alternate owner), or over
    // the work area of its monitor when it has none.
    void CenterWindow(HWND alternate_owner = nullptr);

protected:
    // Binds the dialog items to their objects; run by OnInitDialog.
    virtual void DoDataExchange() {}
    // FALSE when the dialog set the focus itself.
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    // A click of a button other than OK and Cancel; true when handled.
    virtual bool OnButtonClicked(UINT id);
    // What a fast second click on an owner-drawn button, which the button
    // reports as a double click, means to this window: by default a click
    // like any other; a window that acts on clicks only returns false.
    virtual bool DoubleClickIsClick() const { return true; }
    // A colour request (WM_CTLCOLOR*) of the dialog or one of its controls;
    // type is the CTLCOLOR_* value. The brush to paint with, or null for
    // the system's default handling.
    virtual HBRUSH OnCtlColor(HDC dc, HWND control, UINT type);
    // Any other message; true when handled, with its result in `result`.
    virtual bool OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result);

    UINT template_id_;
    HWND parent_;

private:
    static INT_PTR CALLBACK dialog_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    INT_PTR dispatch(UINT message, WPARAM wparam, LPARAM lparam);
};
