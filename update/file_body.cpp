#include "file_body.h"

// Large enough that the file sees few writes, small beside any setup.
static const size_t write_block = 256u << 10;

file_body::file_body(const std::wstring& path, int wanted_status) : path_(path), wanted_status_(wanted_status) {}

bool file_body::begin(int status, DWORD) { return status == wanted_status_; }

bool file_body::append(const char* bytes, DWORD count) {
    if (failed()) return false;
    if (!file_) {
        // No sharing while it is written, as for a file written at once.
        file_.reset(CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
        if (!file_) {
            failure_ = GetLastError();
            return false;
        }
        pending_.reserve(write_block);
    }
    received_ += count;
    pending_.insert(pending_.end(), bytes, bytes + count);
    return pending_.size() < write_block || flush();
}

bool file_body::flush() {
    if (pending_.empty()) return true;
    const DWORD size = static_cast<DWORD>(pending_.size());
    DWORD written = 0;
    if (!WriteFile(file_.get(), pending_.data(), size, &written, nullptr)) {
        failure_ = GetLastError();
        return false;
    }
    // A write that stops short is a full disk.
    if (written != size) {
        failure_ = ERROR_HANDLE_DISK_FULL;
        return false;
    }
    pending_.clear();
    return true;
}

bool file_body::finish() {
    const bool written = !failed() && (!file_ || flush());
    file_.reset();
    return written;
}
