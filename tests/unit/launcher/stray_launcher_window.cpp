// A launcher-class window of another process, standing for another test's
// launcher on the desktop that every test of the prefix shares. Tests that
// work their own launcher window must never take this one for theirs.
//   stray_launcher_window PARENT_PID
// The window stays until process PARENT_PID ends or the thread is told to
// quit (WM_QUIT).
#include <windows.h>

#include <cwchar>

#include "win_handle.h"
#include "window_class.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR command_line, int) {
    const DWORD parent_id = std::wcstoul(command_line, nullptr, 10);
    kernel_handle parent(::OpenProcess(SYNCHRONIZE, FALSE, parent_id));
    if (!parent || !register_launcher_window_class(instance)) return 1;
    HWND window = ::CreateWindowExW(0, launcher_window_class, L"stray launcher", WS_POPUP | WS_CAPTION | WS_VISIBLE,
                                    0, 0, 640, 440, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    HANDLE parent_end = parent.get();
    for (;;) {
        const DWORD woke = ::MsgWaitForMultipleObjects(1, &parent_end, FALSE, INFINITE, QS_ALLINPUT);
        if (woke != WAIT_OBJECT_0 + 1) break;  // the parent ended, or the wait failed
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                ::DestroyWindow(window);
                return 0;
            }
            ::DispatchMessageW(&message);
        }
    }
    ::DestroyWindow(window);
    return 0;
}
