#include "easy_progress.h"

#include <commctrl.h>

#include <algorithm>

#include "gdi_util.h"
#include "module.h"
#include "progress_font.h"
#include "resource.h"
#include "resource_text.h"
#include "worker_control.h"

namespace {

constexpr COLORREF white = RGB(255, 255, 255);
constexpr COLORREF frame_blue = RGB(20, 99, 166);
constexpr int bar_distance_from_bottom = 20;
constexpr int bar_first_position = 1;
constexpr int bar_wrap_position = 255;  // the maximum, never reached
constexpr DWORD stop_wait_ms = 5000;

// The first line of a message; empty when it has no line feed.
std::wstring first_line(const std::wstring& text) {
    size_t feed = text.find(L'\n');
    return feed == std::wstring::npos ? std::wstring() : text.substr(0, feed);
}

SIZE client_size(HWND window) {
    RECT rect{};
    ::GetClientRect(window, &rect);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

}  // namespace

CEasyProgress::CEasyProgress()
    : CDialog(IDD_PROGRESS),
      background_brush_(::CreateSolidBrush(white)),
      frame_pen_(::CreatePen(PS_INSIDEFRAME, 1, frame_blue)),
      text_font_(create_progress_font()) {}

CEasyProgress::~CEasyProgress() {
    shut_down_thread();
    if (m_hWnd && ::IsWindow(m_hWnd)) ::DestroyWindow(m_hWnd);
}

bool CEasyProgress::Create() {
    if (!CDialog::Create(IDD_PROGRESS, nullptr)) return false;
    CenterWindow();
    ::ShowWindow(m_hWnd, SW_HIDE);
    return true;
}

void CEasyProgress::SetMessageText(const std::wstring& text) {
    message_text_ = text;
    HWND control = message_control_.m_hWnd;
    if (m_hWnd && control) ::SetWindowTextW(control, text.c_str());
}

void CEasyProgress::DoDataExchange() {
    message_control_.SubclassDlgItem(IDC_PROGRESS_TEXT, m_hWnd);
    progress_bar_.SubclassDlgItem(IDC_PROGRESS_BAR, m_hWnd);
}

BOOL CEasyProgress::OnInitDialog() {
    CDialog::OnInitDialog();
    HWND text = message_control_.m_hWnd;
    HWND bar = progress_bar_.m_hWnd;
    ::GetClientRect(m_hWnd, &window_rect_);
    SIZE dialog = {window_rect_.right - window_rect_.left, window_rect_.bottom - window_rect_.top};
    SIZE control = client_size(text);
    SIZE bar_size = client_size(bar);
    int margin_x = dialog.cx - control.cx;
    int margin_y = dialog.cy - control.cy;

    // Make room for the first line of the longest message.
    SIZE measured{0, 0};
    std::wstring line = first_line(load_resource_string(IDS_CHECKING_INSTALLER, program_module()));
    if (!line.empty()) {
        window_dc dc(m_hWnd);
        if (dc.get()) {
            select_object font(dc.get(), text_font_.get());
            ::GetTextExtentPoint32W(dc.get(), line.c_str(), static_cast<int>(line.size()), &measured);
        }
    }
    control.cx = std::max(control.cx, measured.cx);
    control.cy = std::max(control.cy, measured.cy);
    if (dialog.cx < control.cx + margin_x) window_rect_.right = window_rect_.left + control.cx + margin_x;
    if (dialog.cy < control.cy + margin_y) window_rect_.bottom = window_rect_.top + control.cy + margin_y;
    dialog = {window_rect_.right - window_rect_.left, window_rect_.bottom - window_rect_.top};

    ::SetWindowPos(m_hWnd, nullptr, 0, 0, dialog.cx, dialog.cy, SWP_NOMOVE | SWP_NOZORDER);
    ::SetWindowPos(text, nullptr, margin_x / 2, margin_y / 2, control.cx, control.cy, SWP_NOZORDER);
    ::SetWindowPos(bar, nullptr, margin_x / 2, dialog.cy - bar_distance_from_bottom, control.cx,
                   bar_size.cy, SWP_NOZORDER);
    // The static control draws with its own font; give it the measured one.
    if (text) ::SendMessageW(text, WM_SETFONT, reinterpret_cast<WPARAM>(text_font_.get()), FALSE);
    ::SendMessageW(bar, PBM_SETRANGE32, 0, bar_wrap_position);
    ::SendMessageW(bar, PBM_SETPOS, 0, 0);
    animated_bar_ = bar;

    LONG_PTR ex_style = ::GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE);
    ::SetWindowLongPtrW(m_hWnd, GWL_EXSTYLE, ex_style | WS_EX_APPWINDOW);
    return TRUE;
}

bool CEasyProgress::OnMessage(UINT message, WPARAM wparam, LPARAM, LRESULT& result) {
    switch (message) {
    case WM_ERASEBKGND:
        result = OnEraseBkgnd(reinterpret_cast<HDC>(wparam));
        return true;
    case WM_DESTROY:
        OnDestroy();
        return false;  // the default handling follows
    default:
        return false;
    }
}

HBRUSH CEasyProgress::OnCtlColor(HDC dc, HWND control, UINT type) {
    if (type == CTLCOLOR_MSGBOX || type == CTLCOLOR_EDIT || type == CTLCOLOR_LISTBOX) return nullptr;
    if (type == CTLCOLOR_STATIC) {
        if (!::IsWindowEnabled(control)) return nullptr;
        ::SetTextColor(dc, frame_blue);
        ::SelectObject(dc, text_font_.get());
        ::SetBkMode(dc, TRANSPARENT);
    }
    return background_brush_.get();
}

BOOL CEasyProgress::OnEraseBkgnd(HDC dc) {
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    // What the dialog's default erasing does: fill with its colour brush.
    ::FillRect(dc, &client, background_brush_.get());
    {
        select_object pen(dc, frame_pen_.get());
        select_object brush(dc, background_brush_.get());
        ::Rectangle(dc, client.left, client.top, client.right, client.bottom);
    }
    if (message_control_.m_hWnd) ::UpdateWindow(message_control_.m_hWnd);
    return TRUE;
}

void CEasyProgress::OnDestroy() {
    animated_bar_ = nullptr;
    shut_down_thread();
}

void CEasyProgress::shut_down_thread() { end_worker(thread_, &stop_, stop_wait_ms); }

int CEasyProgress::StartProgressThread() {
    return start_worker(thread_, progress_proc, this, &stop_, "progressdlg beginthread error 0x%x") ? 1 : 0;
}

int CEasyProgress::StopProgressThread() { return stop_worker(thread_, &stop_, stop_wait_ms) ? 1 : 0; }

UINT CEasyProgress::progress_proc(LPVOID param) {
    auto* self = static_cast<CEasyProgress*>(param);
    // The stop flag is cleared by StartProgressThread, before this thread
    // runs: clearing it here could lose a stop request made meanwhile.
    int position = bar_first_position;
    do {
        if (position >= bar_wrap_position) position = bar_first_position;
        // Posted, not sent: the window thread may be waiting for this thread.
        HWND bar = self->animated_bar_;
        if (bar) ::PostMessageW(bar, PBM_SETPOS, position, 0);
        ++position;
        ::Sleep(self->step_interval_ms);
    } while (!self->stop_);
    return 0;
}
