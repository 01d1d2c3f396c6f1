// The module whose resources (dialog templates, bitmaps, strings) the
// framework loads: the program itself.
#pragma once

#include <windows.h>

inline HINSTANCE program_module() { return ::GetModuleHandleW(nullptr); }
