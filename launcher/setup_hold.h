// Keeps a setup program exactly as it was checked until it has been
// started: its folder and the file are held open, neither may be a reparse
// point, writes and deletes are denied to everyone else, and the digest and
// signature are checked through the file's handle.
#pragma once

#include <windows.h>

#include <string>

#include "setup_folder.h"
#include "win_handle.h"

class setup_hold {
public:
    setup_hold() = default;
    setup_hold(const setup_hold&) = delete;
    setup_hold& operator=(const setup_hold&) = delete;

    // Opens path and reads its whole content through the held handle; true
    // when its MD5 hex digest equals expected_digest exactly. An empty
    // expected digest (the first one could not be made) leaves nothing to
    // compare: the file is held whatever it holds. With a publisher, the
    // file must also be signed by it (see publisher_check.h). On false the
    // file is not held and last_error() says why (0 for a mismatch).
    bool hold_matching(const std::wstring& path, const std::wstring& expected_digest,
                       const std::wstring& publisher = std::wstring());

    // The digest read under the hold; empty before a successful read.
    const std::wstring& digest() const { return digest_; }
    DWORD last_error() const { return last_error_; }
    bool held() const { return static_cast<bool>(file_); }
    void release();

    // Where the shell starts the held file: the folder it really lies in
    // (trailing backslash) and its name; empty when nothing is held.
    const std::wstring& folder() const { return folder_path_; }
    const std::wstring& name() const { return name_; }

private:
    bool read_digest();

    setup_folder folder_;
    file_handle file_;
    std::wstring folder_path_;
    std::wstring name_;
    std::wstring digest_;
    DWORD last_error_ = 0;
};
