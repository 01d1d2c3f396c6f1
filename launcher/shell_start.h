// Handing programs, documents and web pages to the shell: which verb asks
// for elevation, and how the shell reports a failed start.
#pragma once

#include <windows.h>

#include <string>

// "runas" from Windows Vista on, where it asks for elevation; "open" on
// older systems, which have no elevation.
const wchar_t* elevating_verb();

// ShellExecute and ShellExecuteEx report a failed start by an instance
// value of 32 or less.
bool shell_start_succeeded(HINSTANCE instance);

// Opens a document or web page with the verb "open"; when access is denied,
// once more with the elevating verb (Vista and later only). True when the
// shell reports success.
bool shell_open(HWND owner, const std::wstring& target);
