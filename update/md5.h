// RFC 1321 MD5, the launcher's own implementation, and the 32-character
// lower-case hexadecimal form in which digests are compared.
#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <string>

struct md5_context {
    std::uint32_t state[4];
    std::uint32_t count[2];  // bits fed so far, low word first
    unsigned char buffer[64];
};

void md5_init(md5_context* context);
void md5_update(md5_context* context, const unsigned char* input, std::size_t length);
void md5_final(md5_context* context, unsigned char digest[16]);

bool md5_stream(std::istream& stream, unsigned char digest[16]);
// A file named in the system ANSI code page.
bool md5_file(const std::string& path, unsigned char digest[16]);
// The same by its wide name, which reaches every file, also those whose
// names have no place in the ANSI code page.
bool md5_file(const std::wstring& path, unsigned char digest[16]);

bool digest_to_hex(const unsigned char* digest, std::string& text);
std::string hex_string(const unsigned char* bytes);
