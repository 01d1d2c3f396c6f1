#include "dialog.h"

#include "module.h"

namespace {

// The seven colour requests, WM_CTLCOLORMSGBOX to WM_CTLCOLORSTATIC, in
// the order of their CTLCOLOR_* types.
bool is_colour_request(UINT message) { return message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC; }

// Messages whose result a dialog procedure returns directly instead of
// through DWLP_MSGRESULT.
bool returns_result_directly(UINT message) {
    if (is_colour_request(message)) return true;
    switch (message) {
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
    case WM_INITDIALOG:
        return true;
    default:
        return false;
    }
}

}  // namespace

CDialog::CDialog(UINT template_id, HWND parent) : template_id_(template_id), parent_(parent) {}

CDialog::~CDialog() {
    if (m_hWnd && ::IsWindow(m_hWnd)) ::DestroyWindow(m_hWnd);
    m_hWnd = nullptr;
}

INT_PTR CDialog::DoModal() {
    return ::DialogBoxParamW(program_module(), MAKEINTRESOURCEW(template_id_), parent_, dialog_proc,
                             reinterpret_cast<LPARAM>(this));
}

bool CDialog::Create(UINT template_id, HWND parent) {
    template_id_ = template_id;
    parent_ = parent;
    HWND window = ::CreateDialogParamW(program_module(), MAKEINTRESOURCEW(template_id), parent,
                                       dialog_proc, reinterpret_cast<LPARAM>(this));
    return window != nullptr;
}

void CDialog::EndDialog(INT_PTR result) {
    if (m_hWnd) ::EndDialog(m_hWnd, result);
}

void CDialog::CenterWindow(HWND alternate_owner) {
    if (!m_hWnd) return;
    RECT window{};
    ::GetWindowRect(m_hWnd, &window);
    HWND owner = alternate_owner ? alternate_owner : ::GetWindow(m_hWnd, GW_OWNER);
    RECT area{};
    if (owner && ::IsWindowVisible(owner) && !::IsIconic(owner)) {
        ::GetWindowRect(owner, &area);
    } else {
        MONITORINFO info{};
        info.cbSize = sizeof(info);
        ::GetMonitorInfoW(::MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTOPRIMARY), &info);
        area = info.rcWork;
    }
    int width = window.right - window.left;
    int height = window.bottom - window.top;
    int x = area.left + ((area.right - area.left) - width) / 2;
    int y = area.top + ((area.bottom - area.top) - height) / 2;
    ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL CDialog::OnInitDialog() {
    DoDataExchange();
    return TRUE;
}

void CDialog::OnOK() { EndDialog(IDOK); }

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

bool CDialog::OnButtonClicked(UINT) { return false; }

HBRUSH CDialog::OnCtlColor(HDC, HWND, UINT) { return nullptr; }

bool CDialog::OnMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

INT_PTR CDialog::dispatch(UINT message, WPARAM wparam, LPARAM lparam) {
    // A null brush is FALSE: the system's default handling.
    if (is_colour_request(message))
        return reinterpret_cast<INT_PTR>(OnCtlColor(reinterpret_cast<HDC>(wparam), reinterpret_cast<HWND>(lparam),
                                                    message - WM_CTLCOLORMSGBOX));
    LRESULT result = 0;
    if (OnMessage(message, wparam, lparam, result)) {
        if (returns_result_directly(message)) return static_cast<INT_PTR>(result);
        ::SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, result);
        return TRUE;
    }
    switch (message) {
    case WM_COMMAND: {
        UINT code = HIWORD(wparam);
        UINT id = LOWORD(wparam);
        bool clicked = code == BN_CLICKED || (code == BN_DOUBLECLICKED && DoubleClickIsClick());
        if (!clicked) return FALSE;
        if (id == IDOK) {
            OnOK();
            return TRUE;
        }
        if (id == IDCANCEL) {
            OnCancel();
            return TRUE;
        }
        return OnButtonClicked(id) ? TRUE : FALSE;
    }
    case WM_DRAWITEM: {
        auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lparam);
        if (wparam == 0 || !item) return FALSE;  // menus are not ours
        CWnd* control = CWnd::FromHandle(item->hwndItem);
        if (!control) return FALSE;
        control->DrawItem(item);
        return TRUE;
    }
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK CDialog::dialog_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    // Nothing may unwind through the system's dialog code.
    try {
        if (message == WM_INITDIALOG) {
            auto* self = reinterpret_cast<CDialog*>(lparam);
            ::SetWindowLongPtrW(window, DWLP_USER, lparam);
            self->m_hWnd = window;
            return self->OnInitDialog();
        }
        auto* self = reinterpret_cast<CDialog*>(::GetWindowLongPtrW(window, DWLP_USER));
        if (!self) return FALSE;
        if (message == WM_NCDESTROY) {
            ::SetWindowLongPtrW(window, DWLP_USER, 0);
            self->m_hWnd = nullptr;
            return FALSE;
        }
        return self->dispatch(message, wparam, lparam);
    } catch (...) {
        return FALSE;
    }
}
