// Keeps a setup program exactly as it was checked until it has been
// started: the file is held open for reading with writes and deletes
// denied to everyone else, and its digest and signature are checked
// through that handle.
#pragma once

#include <windows.h>

#include <string>

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
    void release() { file_.reset(); }

private:
    bool read_digest();

    file_handle file_;
    std::wstring digest_;
    DWORD last_error_ = 0;
};
