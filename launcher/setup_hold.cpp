#include "setup_hold.h"

#include "file_digest.h"
#include "publisher_check.h"

bool setup_hold::hold_matching(const std::wstring& path, const std::wstring& expected_digest,
                               const std::wstring& publisher) {
    release();
    digest_.clear();
    last_error_ = 0;
    if (path.empty()) {
        last_error_ = ERROR_INVALID_PARAMETER;
        return false;
    }
    // Read access only, so the shell can still open the program to start
    // it; sharing read only, so no one can write, rename or delete it.
    file_.reset(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file_) {
        last_error_ = ::GetLastError();
        return false;
    }
    if (!read_digest() || (!expected_digest.empty() && digest_ != expected_digest) ||
        !from_publisher(path, file_.get(), publisher)) {
        release();
        return false;
    }
    return true;
}

bool setup_hold::read_digest() { return handle_digest(file_.get(), digest_, last_error_); }
