// Answers the platform's "Enter Network Password" dialog the way a user
// would: waits for it, types the user name and password, presses OK.
//   proxy_dialog_driver USER PASSWORD TIMEOUT_MS PID
// Only a dialog of process PID is answered, never another test's.
// Exit code 0 when a dialog was answered, 1 when none came in time.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "window_search.h"

static const int user_edit_id = 1027;
static const int password_edit_id = 1028;
static const DWORD poll_ms = 50;

// A visible #32770 window of `process` whose two edits exist: the password dialog.
static HWND find_dialog(DWORD process) {
    window_search::filter wanted;
    wanted.process_id = process;
    wanted.class_name = L"#32770";
    wanted.required_control = password_edit_id;
    wanted.visible_only = true;
    for (HWND window : window_search::top_level_windows(wanted))
        if (GetDlgItem(window, user_edit_id)) return window;
    return nullptr;
}

int wmain(int argc, wchar_t** argv) {
    if (argc < 5) return 2;
    const DWORD timeout = static_cast<DWORD>(_wtoi(argv[3]));
    const DWORD process = static_cast<DWORD>(_wtoi(argv[4]));
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < timeout) {
        if (HWND dialog = find_dialog(process)) {
            SendMessageW(GetDlgItem(dialog, user_edit_id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[1]));
            SendMessageW(GetDlgItem(dialog, password_edit_id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[2]));
            PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            return 0;
        }
        Sleep(poll_ms);
    }
    return 1;
}
