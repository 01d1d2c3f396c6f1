// Every path of the launcher goes through these. Folders keep their
// trailing backslash.
#pragma once

#include <string>

std::wstring normalize_path(const std::wstring& path);
std::wstring expand_environment(const std::wstring& text);
std::wstring directory_of(const std::wstring& path);
std::wstring parent_directory_of(const std::wstring& path);
std::wstring file_name_of(const std::wstring& path);

// True when FindFirstFileW finds the exact path.
bool file_exists(const std::wstring& path);
