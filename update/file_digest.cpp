#include "file_digest.h"

#include <vector>

#include "md5.h"
#include "string_convert.h"

namespace {

constexpr DWORD handle_read_size = 64 * 1024;

bool to_text(const unsigned char (&digest)[16], std::wstring& text) {
    std::string digits;
    if (!digest_to_hex(digest, digits)) return false;
    text = ansi_to_wide(digits);
    return true;
}

}  // namespace

bool file_digest(const std::wstring& path, std::wstring& digest) {
    unsigned char bytes[16];
    return md5_file(path, bytes) && to_text(bytes, digest);
}

bool handle_digest(HANDLE file, std::wstring& digest, DWORD& error) {
    md5_context context;
    md5_init(&context);
    std::vector<unsigned char> buffer(handle_read_size);
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(file, buffer.data(), handle_read_size, &got, nullptr)) {
            error = ::GetLastError();
            return false;
        }
        if (got == 0) break;
        md5_update(&context, buffer.data(), got);
    }
    unsigned char bytes[16];
    md5_final(&context, bytes);
    return to_text(bytes, digest);
}
