#include "setup_hold.h"

#include <vector>

#include "md5.h"
#include "string_convert.h"

namespace {
constexpr DWORD read_chunk = 64 * 1024;
}

bool setup_hold::hold_matching(const std::wstring& path, const std::wstring& expected_digest) {
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
    if (!read_digest() || (!expected_digest.empty() && digest_ != expected_digest)) {
        release();
        return false;
    }
    return true;
}

bool setup_hold::read_digest() {
    md5_context context;
    md5_init(&context);
    std::vector<unsigned char> buffer(read_chunk);
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(file_.get(), buffer.data(), read_chunk, &got, nullptr)) {
            last_error_ = ::GetLastError();
            return false;
        }
        if (got == 0) break;
        md5_update(&context, buffer.data(), got);
    }
    unsigned char digest[16];
    md5_final(&context, digest);
    std::string digits;
    if (!digest_to_hex(digest, digits)) return false;
    digest_ = ansi_to_wide(digits);
    return true;
}
