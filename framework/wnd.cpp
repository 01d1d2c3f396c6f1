#include "wnd.h"

#include <commctrl.h>

namespace {
constexpr UINT_PTR subclass_id = 1;
// Where a bound window keeps its object, for FromHandle.
constexpr wchar_t object_property[] = L"OVN_FRAMEWORK_OBJECT";
}

CWnd::~CWnd() {
    if (!m_hWnd) return;
    HWND window = m_hWnd;
    unsubclass();
    if (::IsWindow(window)) ::DestroyWindow(window);
}

bool CWnd::SubclassDlgItem(UINT id, HWND parent) {
    return SubclassWindow(::GetDlgItem(parent, static_cast<int>(id)));
}

bool CWnd::SubclassWindow(HWND window) {
    if (!window || m_hWnd) return false;
    if (!::SetWindowSubclass(window, subclass_proc, subclass_id, reinterpret_cast<DWORD_PTR>(this)))
        return false;
    ::SetPropW(window, object_property, this);
    m_hWnd = window;
    subclassed_ = true;
    return true;
}

void CWnd::unsubclass() {
    if (subclassed_ && m_hWnd) {
        ::RemovePropW(m_hWnd, object_property);
        ::RemoveWindowSubclass(m_hWnd, subclass_proc, subclass_id);
    }
    subclassed_ = false;
    m_hWnd = nullptr;
}

CWnd* CWnd::FromHandle(HWND window) {
    if (!window || ::GetWindowThreadProcessId(window, nullptr) != ::GetCurrentThreadId()) return nullptr;
    return static_cast<CWnd*>(::GetPropW(window, object_property));
}

bool CWnd::DestroyWindow() {
    if (!m_hWnd) return false;
    return ::DestroyWindow(m_hWnd) != FALSE;
}

void CWnd::DrawItem(DRAWITEMSTRUCT*) {}

LRESULT CWnd::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
    return Default(message, wparam, lparam);
}

LRESULT CWnd::Default(UINT message, WPARAM wparam, LPARAM lparam) {
    return ::DefSubclassProc(m_hWnd, message, wparam, lparam);
}

LRESULT CALLBACK CWnd::subclass_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                     UINT_PTR, DWORD_PTR ref) {
    auto* self = reinterpret_cast<CWnd*>(ref);
    if (message == WM_NCDESTROY) {
        // The window goes away: the object forgets it before the last message.
        self->unsubclass();
        return ::DefSubclassProc(window, message, wparam, lparam);
    }
    // Nothing may unwind through the system's window code.
    try {
        return self->WindowProc(message, wparam, lparam);
    } catch (...) {
        return ::DefSubclassProc(window, message, wparam, lparam);
    }
}
