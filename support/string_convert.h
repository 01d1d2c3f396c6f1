// Conversions between the launcher's two string forms: wide (UTF-16) for
// the user interface and paths, narrow in the system ANSI code page for
// HTTP, the installer list file, digests and the log file.
#pragma once

#include <windows.h>

#include <string>

std::wstring multibyte_to_wide(UINT code_page, const std::string& text);
std::wstring ansi_to_wide(const std::string& text);
std::string wide_to_ansi(const std::wstring& text);
