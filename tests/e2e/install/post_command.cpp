// ovn_post_command HWND ID: posts the command a click on control ID would
// send to the dialog HWND (WM_COMMAND, BN_CLICKED), whether or not that
// control is enabled, so a test can deliver a command that the window's
// own state would otherwise keep out. HWND as the driver prints it (0x...).
#include <windows.h>

#include <cwchar>

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) return 2;
    HWND dialog = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(std::wcstoull(argv[1], nullptr, 0)));
    const int id = static_cast<int>(std::wcstol(argv[2], nullptr, 0));
    return ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0) ? 0 : 1;
}
