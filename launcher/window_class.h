// The window class that the launcher dialog's template names.
#pragma once

#include <windows.h>

constexpr wchar_t launcher_window_class[] = L"OVN6_WINDOWCLASS_INSTLAUNCHER";

// True when the class is registered for the module afterwards (also when
// it already was).
bool register_launcher_window_class(HINSTANCE module);
