// The folders and files a setup program is started from must be what
// their paths say: neither the folder nor the file may be a reparse point
// (a junction, a mount point or a symbolic link) that someone could point
// elsewhere between the check and the start. A held folder cannot be
// renamed or removed while the launcher works in it.
#pragma once

#include <windows.h>

#include <string>

#include "win_handle.h"

class setup_folder {
public:
    setup_folder() = default;
    setup_folder(const setup_folder&) = delete;
    setup_folder& operator=(const setup_folder&) = delete;

    // Opens folder itself (a link is not followed) and holds it; false,
    // holding nothing, when it cannot be opened, is not a folder or is a
    // reparse point. last_error() then says why (ERROR_REPARSE_ATTRIBUTE_CONFLICT
    // for a reparse point, ERROR_DIRECTORY for a file).
    bool hold(const std::wstring& folder);
    bool held() const { return static_cast<bool>(folder_); }
    void release() { folder_.reset(); }
    DWORD last_error() const { return last_error_; }

private:
    file_handle folder_;
    DWORD last_error_ = 0;
};

// Flags for CreateFileW that open a reparse point itself instead of what it
// points to, so plain_file() can see it.
constexpr DWORD open_link_itself = FILE_FLAG_OPEN_REPARSE_POINT;

// 0 when the open file is a plain file; ERROR_REPARSE_ATTRIBUTE_CONFLICT
// for a reparse point, ERROR_ACCESS_DENIED for a folder, or the error of
// the query.
DWORD plain_file_error(HANDLE file);

// The folder the open file really lies in, with its trailing backslash, as
// the system resolves it; empty where the system cannot say (Windows XP
// has no such call) or on failure.
std::wstring real_folder_of(HANDLE file);

// The folder and the name of path, split at its last backslash; unlike
// directory_of and file_name_of, nothing in path is expanded again.
std::wstring folder_part(const std::wstring& path);
std::wstring name_part(const std::wstring& path);
