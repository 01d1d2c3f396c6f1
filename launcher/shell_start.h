// Handing programs, documents and web pages to the shell: which verb asks
// for elevation, and how the shell reports a failed start. The calling
// thread must have initialised COM (com_apartment), as the shell may hand
// the target to extensions that need it.
#pragma once

#include <windows.h>

#include <string>

// "runas" from Windows Vista on, where it asks for elevation; "open" on
// older systems, which have no elevation.
const wchar_t* elevating_verb();

// ShellExecute and ShellExecuteEx report a failed start by an instance
// value of 32 or less.
bool shell_start_succeeded(HINSTANCE instance);

// The thread that hands a target to the shell. A worker thread ends right
// after the call, so its call returns only once the start is complete.
enum class shell_caller { window_thread, worker_thread };

// Opens a document or web page with the verb "open"; when access is denied,
// once more with the elevating verb (Vista and later only). True when the
// shell reports success. The shell shows no message of its own on failure.
bool shell_open(HWND owner, const std::wstring& target, shell_caller caller);
