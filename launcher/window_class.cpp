#include "window_class.h"

bool register_launcher_window_class(HINSTANCE module) {
    WNDCLASSW existing{};
    if (::GetClassInfoW(module, launcher_window_class, &existing)) return true;
    WNDCLASSW window_class{};
    window_class.style = CS_DBLCLKS;
    window_class.lpfnWndProc = ::DefDlgProcW;
    window_class.cbClsExtra = 0;
    window_class.cbWndExtra = DLGWINDOWEXTRA;
    window_class.hInstance = module;
    window_class.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    window_class.lpszClassName = launcher_window_class;
    return ::RegisterClassW(&window_class) != 0;
}
