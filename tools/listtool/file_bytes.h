// Whole-file reads and writes for the list tool, with the Win32 error of
// a failure.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

bool read_file_bytes(const std::wstring& path, std::vector<char>& bytes, DWORD& error);

// Writes a sibling file first and moves it over path, so a file being
// published is never seen half written.
bool replace_file_bytes(const std::wstring& path, const std::vector<char>& bytes, DWORD& error);
