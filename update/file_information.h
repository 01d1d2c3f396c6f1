// What the launcher knows about one file on disk: its extension, what a
// directory search reports for it, the standard string values of its
// version resource and the MD5 digest of its content. One object per file:
// construct, collect once, read, destroy.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

class file_information {
public:
    static constexpr std::size_t version_key_count = 12;
    static constexpr std::size_t product_version_index = 7;

    file_information();
    virtual ~file_information();

    // Runs the four steps below with the same path, always all four; true
    // only when all of them succeeded.
    bool collect(const std::wstring& path);

    bool split_extension(const std::wstring& path);
    bool read_find_data(const std::wstring& path);
    bool read_version_info(const std::wstring& path);
    bool read_md5(const std::wstring& path);

    std::wstring get_product_version() const { return version_values[product_version_index]; }
    std::wstring get_md5() const { return md5; }

    std::wstring extension;  // without the dot
    std::wstring file_name;  // as the directory search reports it
    DWORD attributes;
    FILETIME creation_time;
    FILETIME last_access_time;
    FILETIME last_write_time;
    DWORD size_high;
    DWORD size_low;
    std::wstring version_values[version_key_count];  // in the order of the keys
    std::wstring md5;  // 32 lower-case hexadecimal digits
};
