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
    // The folder first, so the file is opened in a folder that is what its
    // path says and stays where it is.
    if (!folder_.hold(folder_part(path))) {
        last_error_ = folder_.last_error();
        return false;
    }
    // Read access only, so the shell can still open the program to start
    // it; sharing read only, so no one can write, rename or delete it.
    file_.reset(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN | open_link_itself, nullptr));
    if (!file_) {
        last_error_ = ::GetLastError();
        release();
        return false;
    }
    last_error_ = plain_file_error(file_.get());
    if (last_error_ != 0 || !read_digest() || (!expected_digest.empty() && digest_ != expected_digest) ||
        !from_publisher(path, file_.get(), publisher)) {
        release();
        return false;
    }
    // The shell is sent to the folder the held file is in, not to a path
    // that could be made to lead elsewhere; where the system cannot say,
    // to the folder held since the check.
    folder_path_ = real_folder_of(file_.get());
    if (folder_path_.empty()) folder_path_ = folder_part(path);
    name_ = name_part(path);
    return true;
}

void setup_hold::release() {
    file_.reset();
    folder_.release();
    folder_path_.clear();
    name_.clear();
}

bool setup_hold::read_digest() { return handle_digest(file_.get(), digest_, last_error_); }
