#include "file_information.h"
#include "file_digest.h"
#include "win_handle.h"

#include <cwchar>
#include <vector>

// The version resource keys, in the order of version_values.
static const wchar_t* const version_keys[file_information::version_key_count] = {
    L"\\CompanyName",    L"\\FileDescription", L"\\FileVersion",     L"\\InternalName",
    L"\\LegalCopyright", L"\\OriginalFileName", L"\\ProductName",    L"\\ProductVersion",
    L"\\Comments",       L"\\LegalTrademarks",  L"\\PrivateBuild",   L"\\SpecialBuild",
};

static const wchar_t translation_query[] = L"\\VarFileInfo\\Translation";
static const wchar_t string_file_info_prefix[] = L"\\StringFileInfo\\";
// "\StringFileInfo\", language and code page as four hexadecimal digits
// each, then the key.
static const wchar_t value_query_format[] = L"%ls%04x%04x%ls";
static const std::size_t value_query_length = 100;

// Used when the system reports no size for the version resource.
static const DWORD fallback_version_info_size = 3380;

// Only these kinds of file carry a version resource worth reading.
static const wchar_t* const versioned_extensions[] = {L"exe", L"dll", L"sys", L"mui"};

static wchar_t fold_ascii(wchar_t c) { return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

static bool equals_ignoring_ascii_case(const std::wstring& text, const wchar_t* word) {
    std::size_t i = 0;
    for (; i < text.size() && word[i] != L'\0'; ++i)
        if (fold_ascii(text[i]) != fold_ascii(word[i])) return false;
    return i == text.size() && word[i] == L'\0';
}

static bool has_versioned_extension(const std::wstring& extension) {
    for (const wchar_t* candidate : versioned_extensions)
        if (equals_ignoring_ascii_case(extension, candidate)) return true;
    return false;
}

file_information::file_information()
    : attributes(0), creation_time(), last_access_time(), last_write_time(), size_high(0), size_low(0) {}

file_information::~file_information() {}

bool file_information::collect(const std::wstring& path) {
    bool extension_found = split_extension(path);
    bool found = read_find_data(path);
    bool version_read = read_version_info(path);
    bool digest_made = read_md5(path);
    return extension_found && found && version_read && digest_made;
}

// The first character is never looked at, so a name whose only dot leads
// it (".profile") has no extension.
bool file_information::split_extension(const std::wstring& path) {
    for (std::size_t i = path.size(); i > 1; --i) {
        wchar_t c = path[i - 1];
        if (c == L'\\' || c == L'/') return false;
        if (c == L'.') {
            extension = path.substr(i);
            return true;
        }
    }
    return false;
}

bool file_information::read_find_data(const std::wstring& path) {
    WIN32_FIND_DATAW data;
    find_handle search(::FindFirstFileW(path.c_str(), &data));
    if (!search) return false;

    file_name = data.cFileName;
    attributes = data.dwFileAttributes;
    creation_time = data.ftCreationTime;
    last_access_time = data.ftLastAccessTime;
    last_write_time = data.ftLastWriteTime;
    size_high = data.nFileSizeHigh;
    size_low = data.nFileSizeLow;
    return true;
}

bool file_information::read_version_info(const std::wstring& path) {
    if (extension.empty()) split_extension(path);
    if (!has_versioned_extension(extension)) return false;

    for (std::wstring& value : version_values) value.clear();

    DWORD handle = 0;
    DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &handle);
    if (size == 0) size = fallback_version_info_size;
    std::vector<BYTE> buffer(size);
    if (!::GetFileVersionInfoW(path.c_str(), handle, size, buffer.data())) return false;

    struct language_and_code_page {
        WORD language;
        WORD code_page;
    };
    void* translations = nullptr;
    UINT translations_size = 0;
    if (!::VerQueryValueW(buffer.data(), translation_query, &translations, &translations_size)) return false;
    // An empty translation table names no block to read from.
    if (translations == nullptr || translations_size < sizeof(language_and_code_page)) return false;
    const language_and_code_page first = *static_cast<const language_and_code_page*>(translations);

    for (std::size_t key = 0; key < version_key_count; ++key) {
        wchar_t query[value_query_length];
        _snwprintf(query, value_query_length, value_query_format, string_file_info_prefix, first.language,
                   first.code_page, version_keys[key]);
        query[value_query_length - 1] = L'\0';

        void* value = nullptr;
        UINT value_length = 0;
        if (::VerQueryValueW(buffer.data(), query, &value, &value_length) && value != nullptr) {
            // The length bounds a value whose terminating zero is missing.
            const wchar_t* text = static_cast<const wchar_t*>(value);
            version_values[key].assign(text, ::wcsnlen(text, value_length));
        } else {
            ::GetLastError();  // a missing value is simply empty
        }
    }
    return true;
}

bool file_information::read_md5(const std::wstring& path) { return file_digest(path, md5); }
