// An installer body written to its file as it arrives, so the download of
// a setup larger than the address space needs no more memory than a small
// one. The file is created at the first byte of a status-200 body: an
// answer that is refused, or empty, leaves the path as it was.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "http_client.h"
#include "win_handle.h"

class file_body : public body_sink {
public:
    // Wants only the body of an answer with wanted_status.
    file_body(const std::wstring& path, int wanted_status);

    bool begin(int status, DWORD announced) override;
    // False when the file cannot be created or written (in use, a full
    // disk); failure() then holds the Win32 error.
    bool append(const char* bytes, DWORD count) override;
    DWORD failure() const override { return failure_; }

    // Writes what is still buffered and closes the file; false as append.
    bool finish();
    bool failed() const { return failure_ != 0; }
    // Bytes of the body that arrived.
    unsigned long long received() const { return received_; }

private:
    bool flush();

    std::wstring path_;
    int wanted_status_;
    file_handle file_;
    std::vector<char> pending_;
    unsigned long long received_ = 0;
    DWORD failure_ = 0;
};
