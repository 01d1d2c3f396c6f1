// The digest of a file's content in the form the launcher compares it in:
// the 32 lower-case hexadecimal characters of its MD5.
#pragma once

#include <windows.h>

#include <string>

// Opens the file by its wide path, letting others read and write it
// meanwhile. False, with digest unchanged, when the file cannot be read.
bool file_digest(const std::wstring& path, std::wstring& digest);

// Reads an open file from its current position to its end. False, with
// the Win32 error of the failed read, when the content cannot be read.
bool handle_digest(HANDLE file, std::wstring& digest, DWORD& error);
