#include "launcher_dlg.h"

#include <initializer_list>

#include "module.h"
#include "open_document.h"
#include "resource.h"
#include "resource_text.h"
#include "worker_control.h"

namespace {

constexpr COLORREF white = RGB(255, 255, 255);
// The size of the background bitmap, in pixels whatever the system font.
constexpr int client_width = 640;
constexpr int client_height = 440;

constexpr POINT install_position{125, 242};
constexpr POINT check_box_position{215, 303};
constexpr POINT guide_position{125, 342};
constexpr POINT reader_position{393, 342};
constexpr POINT close_position{515, 401};

// The system's shield icon in user32, from Windows Vista on; user32s that
// lack that id carry it under the standard shield id (IDI_SHIELD).
constexpr WORD shield_icon_id = 106;
constexpr WORD standard_shield_icon_id = 32518;
constexpr int shield_icon_size = 32;

// How long a stopped worker is given to end before it is terminated.
constexpr DWORD worker_stop_wait_ms = 1000;

constexpr char install_start_error[] = "CLauncherDlg launch_installer_proc beginthread error 0x%x";
constexpr char manual_start_error[] = "CLauncherDlg launch_manual_proc beginthread error 0x%x";

void move_to(HWND control, POINT position) {
    ::SetWindowPos(control, nullptr, position.x, position.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

HICON load_shield_icon() {
    HMODULE user32 = ::GetModuleHandleW(L"user32");
    for (WORD id : {shield_icon_id, standard_shield_icon_id}) {
        auto icon = static_cast<HICON>(::LoadImageW(user32, MAKEINTRESOURCEW(id), IMAGE_ICON, shield_icon_size,
                                                    shield_icon_size, LR_DEFAULTCOLOR));
        if (icon) return icon;
    }
    return nullptr;
}

void place_button(CzBitmapButton& button, POINT position, UINT normal, UINT selected, UINT focus,
                  UINT disabled, UINT hover) {
    move_to(button.m_hWnd, position);
    button.LoadStateBitmaps(normal, selected, focus, disabled, hover);
    button.SizeToContent();
}

}  // namespace

CLauncherDlg::CLauncherDlg(thread_proc install_proc, thread_proc manual_proc)
    : CDialog(IDD_LAUNCHER),
      white_brush_(::CreateSolidBrush(white)),
      window_icon_(::LoadIconW(program_module(), MAKEINTRESOURCEW(IDI_LAUNCHER))),
      install_proc_(install_proc),
      manual_proc_(manual_proc) {}

CLauncherDlg::CLauncherDlg(CDataControl& data) : CLauncherDlg() { data_ = &data; }

CLauncherDlg::~CLauncherDlg() {
    install_stop = 1;
    manual_stop = 1;
    end_worker(manual_worker_, &manual_stop, worker_stop_wait_ms);
    end_worker(install_worker_, &install_stop, worker_stop_wait_ms);
    // Only now: a running install worker may still use the window.
    destroy_progress_window();
}

void CLauncherDlg::DoDataExchange() {
    install_button.SubclassDlgItem(IDOK, m_hWnd);
    check_box.SubclassDlgItem(IDC_CHOOSE_FOLDER, m_hWnd);
    guide_button.SubclassDlgItem(IDC_GUIDE, m_hWnd);
    reader_button.SubclassDlgItem(IDC_READER, m_hWnd);
    close_button.SubclassDlgItem(IDCANCEL, m_hWnd);
}

BOOL CLauncherDlg::OnInitDialog() {
    RECT frame{0, 0, client_width, client_height};
    ::AdjustWindowRectEx(&frame, static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_STYLE)), FALSE,
                         static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE)));
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                   SWP_NOMOVE | SWP_NOZORDER);

    CDialog::OnInitDialog();

    ::SetWindowTextW(m_hWnd, load_resource_string(IDS_WINDOW_TITLE, program_module()).c_str());
    ::SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(window_icon_));
    ::SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(window_icon_));
    lay_out_controls();

    // Nothing is drawn focused.
    for (HWND control : {install_button.m_hWnd, check_box.m_hWnd, guide_button.m_hWnd,
                         reader_button.m_hWnd, close_button.m_hWnd})
        ::PostMessageW(control, WM_KILLFOCUS, 0, 0);
    return FALSE;
}

void CLauncherDlg::lay_out_controls() {
    place_button(install_button, install_position, IDB_INSTALL_NORMAL, IDB_INSTALL_SELECTED,
                 IDB_INSTALL_FOCUS, IDB_INSTALL_NORMAL, IDB_INSTALL_FOCUS);
    move_to(check_box.m_hWnd, check_box_position);
    ::SetWindowTextW(check_box.m_hWnd, load_resource_string(IDS_CHOOSE_FOLDER, program_module()).c_str());
    place_button(guide_button, guide_position, IDB_GUIDE_NORMAL, IDB_GUIDE_SELECTED,
                 IDB_GUIDE_FOCUS, IDB_GUIDE_NORMAL, IDB_GUIDE_FOCUS);
    place_button(reader_button, reader_position, IDB_READER, 0, 0, 0, 0);
    place_button(close_button, close_position, IDB_CLOSE_NORMAL, IDB_CLOSE_SELECTED,
                 IDB_CLOSE_FOCUS, IDB_CLOSE_NORMAL, IDB_CLOSE_FOCUS);

    install_button.show_icon = 1;
    install_button.icon.reset(load_shield_icon());
    ::SendMessageW(install_button.m_hWnd, BM_SETIMAGE, IMAGE_ICON,
                   reinterpret_cast<LPARAM>(install_button.icon.get()));
}

void CLauncherDlg::OnOK() {
    // The running install worker uses the progress window: it stays, and
    // no second run starts.
    if (install_worker_ && install_worker_->is_running()) return;
    replace_progress_window();
    start_install_worker();
}

void CLauncherDlg::replace_progress_window() {
    destroy_progress_window();
    progress_ = std::make_unique<CEasyProgress>();
    progress_->Create();  // centred and hidden when it succeeds
    progress_->StartProgressThread();
}

void CLauncherDlg::destroy_progress_window() {
    if (!progress_) return;
    if (progress_->m_hWnd) progress_->DestroyWindow();
    progress_.reset();
}

void CLauncherDlg::OnCancel() {
    if (install_worker_ && install_worker_->is_running()) return;
    if (manual_worker_ && manual_worker_->is_running()) return;
    CDialog::OnCancel();
}

bool CLauncherDlg::OnButtonClicked(UINT id) {
    switch (id) {
    case IDC_GUIDE:
        start_manual_worker();
        return true;
    case IDC_READER:
        open_reader_page(m_hWnd);
        return true;
    default:
        return false;
    }
}

bool CLauncherDlg::start_install_worker() {
    return start_worker(install_worker_, install_proc_, this, &install_stop, install_start_error);
}

bool CLauncherDlg::start_manual_worker() {
    return start_worker(manual_worker_, manual_proc_, this, &manual_stop, manual_start_error);
}

bool CLauncherDlg::stop_install_worker() { return stop_worker(install_worker_, &install_stop, worker_stop_wait_ms); }

bool CLauncherDlg::stop_manual_worker() { return stop_worker(manual_worker_, &manual_stop, worker_stop_wait_ms); }

bool CLauncherDlg::OnMessage(UINT message, WPARAM, LPARAM, LRESULT& result) {
    switch (message) {
    case WM_PAINT:
        return OnPaint();
    case WM_QUERYDRAGICON:
        result = reinterpret_cast<LRESULT>(window_icon_);
        return true;
    default:
        return false;
    }
}

bool CLauncherDlg::OnPaint() {
    if (!::IsIconic(m_hWnd)) return false;  // the default painting
    PAINTSTRUCT paint{};
    HDC dc = ::BeginPaint(m_hWnd, &paint);
    ::SendMessageW(m_hWnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    int icon_width = ::GetSystemMetrics(SM_CXICON);
    int icon_height = ::GetSystemMetrics(SM_CYICON);
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    int x = (client.right - client.left - icon_width + 1) / 2;
    int y = (client.bottom - client.top - icon_height + 1) / 2;
    ::DrawIcon(dc, x, y, window_icon_);
    ::EndPaint(m_hWnd, &paint);
    return true;
}

HBRUSH CLauncherDlg::OnCtlColor(HDC dc, HWND control, UINT type) {
    if (type == CTLCOLOR_MSGBOX || type == CTLCOLOR_EDIT || type == CTLCOLOR_LISTBOX) return nullptr;
    if (control && ::GetDlgCtrlID(control) == IDC_CHOOSE_FOLDER) return white_brush_.get();
    if (type == CTLCOLOR_STATIC && !::IsWindowEnabled(control)) return nullptr;
    ::SetBkMode(dc, TRANSPARENT);
    return white_brush_.get();
}
