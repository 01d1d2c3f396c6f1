// Enabling and disabling the launcher window's controls from a worker
// thread; each call changes a control only when its state differs.
#pragma once

#include <windows.h>

inline void disable_if_enabled(HWND control) {
    if (control && ::IsWindowEnabled(control)) ::EnableWindow(control, FALSE);
}

inline void enable_if_disabled(HWND control) {
    if (control && !::IsWindowEnabled(control)) ::EnableWindow(control, TRUE);
}
