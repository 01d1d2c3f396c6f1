// A downloaded setup program arrives under a staging name in the folder of
// its final path and takes that path only after its digest has been
// checked, so an unverified download never replaces the setup at hand.
#pragma once

#include <windows.h>

#include <string>

class setup_folder;

// The staging file beside final_path; empty when final_path is empty.
std::wstring staging_path_of(const std::wstring& final_path);

// Moves the staging file to final_path, replacing a file already there.
// Win32 error code, 0 on success.
DWORD commit_staged(const std::wstring& staging_path, const std::wstring& final_path);

// Removes a staging file that is not to be used; a missing one is fine.
void discard_staged(const std::wstring& staging_path);

// Makes final_path's folder when it is missing and holds it (see
// setup_folder.h) for the download; false, with a log line, when the
// folder cannot be held as it is, a reparse point among them.
bool hold_download_folder(setup_folder& folder, const std::wstring& final_path);
