// A downloaded setup program arrives under a staging name in the folder of
// its final path and takes that path only after its digest has been
// checked, so an unverified download never replaces the setup at hand.
#pragma once

#include <windows.h>

#include <string>

// The staging file beside final_path; empty when final_path is empty.
std::wstring staging_path_of(const std::wstring& final_path);

// Moves the staging file to final_path, replacing a file already there.
// Win32 error code, 0 on success.
DWORD commit_staged(const std::wstring& staging_path, const std::wstring& final_path);

// Removes a staging file that is not to be used; a missing one is fine.
void discard_staged(const std::wstring& staging_path);
