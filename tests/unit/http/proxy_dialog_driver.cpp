// Answers the platform's "Enter Network Password" dialog the way a user
// would: waits for it, types the user name and password, presses OK.
//   proxy_dialog_driver USER PASSWORD TIMEOUT_MS
// Exit code 0 when a dialog was answered, 1 when none came in time.
#include <windows.h>

#include <cstdlib>
#include <string>

static const int user_edit_id = 1027;
static const int password_edit_id = 1028;
static const DWORD poll_ms = 50;

struct search {
    HWND dialog = nullptr;
};

// A visible #32770 window whose two edits exist: the password dialog.
static BOOL CALLBACK find_dialog(HWND window, LPARAM context) {
    wchar_t class_name[16] = {};
    GetClassNameW(window, class_name, 16);
    if (std::wstring(class_name) != L"#32770" || !IsWindowVisible(window)) return TRUE;
    if (!GetDlgItem(window, user_edit_id) || !GetDlgItem(window, password_edit_id)) return TRUE;
    reinterpret_cast<search*>(context)->dialog = window;
    return FALSE;
}

int wmain(int argc, wchar_t** argv) {
    if (argc < 4) return 2;
    const DWORD timeout = static_cast<DWORD>(_wtoi(argv[3]));
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < timeout) {
        search found;
        EnumWindows(find_dialog, reinterpret_cast<LPARAM>(&found));
        if (found.dialog) {
            SendMessageW(GetDlgItem(found.dialog, user_edit_id), WM_SETTEXT, 0,
                         reinterpret_cast<LPARAM>(argv[1]));
            SendMessageW(GetDlgItem(found.dialog, password_edit_id), WM_SETTEXT, 0,
                         reinterpret_cast<LPARAM>(argv[2]));
            PostMessageW(found.dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            return 0;
        }
        Sleep(poll_ms);
    }
    return 1;
}
