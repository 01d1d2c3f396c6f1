// A C++ object bound to a window. Dialog items are bound by subclassing:
// their messages reach WindowProc until the window is destroyed.
#pragma once

#include <windows.h>

class CWnd {
public:
    CWnd() = default;
    // Destroys a window that is still bound (it must belong to this thread).
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND GetSafeHwnd() const { return m_hWnd; }

    // Binds the item `id` of the dialog `parent`, or the window itself.
    bool SubclassDlgItem(UINT id, HWND parent);
    bool SubclassWindow(HWND window);

    // The object bound to a window of this thread by SubclassWindow.
    static CWnd* FromHandle(HWND window);

    bool DestroyWindow();

    // Owner drawing, handed on by the parent dialog.
    virtual void DrawItem(DRAWITEMSTRUCT* item);

    HWND m_hWnd = nullptr;

protected:
    // Messages of a subclassed window; the default passes them on.
    virtual LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam);
    // The window's own handling of the message being processed.
    LRESULT Default(UINT message, WPARAM wparam, LPARAM lparam);

private:
    void unsubclass();
    static LRESULT CALLBACK subclass_proc(HWND window, UINT message, WPARAM wparam,
                                          LPARAM lparam, UINT_PTR id, DWORD_PTR ref);
    bool subclassed_ = false;
};
