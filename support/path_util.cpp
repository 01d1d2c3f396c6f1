#include "path_util.h"

#include <windows.h>

#include <vector>

#include "win_handle.h"

namespace {

// A network path (\\server\share\...) starts with this pair; it is kept.
constexpr wchar_t unc_prefix[] = L"\\\\";
constexpr size_t unc_prefix_length = 2;

}  // namespace

std::wstring normalize_path(const std::wstring& path) {
    std::wstring result = path;
    for (wchar_t& c : result) {
        if (c == L'/') c = L'\\';
    }
    // One pass over the pairs: three backslashes in a row become two. The
    // leading pair of a network path is not a doubled separator.
    size_t position = result.compare(0, unc_prefix_length, unc_prefix) == 0 ? unc_prefix_length : 0;
    while ((position = result.find(L"\\\\", position)) != std::wstring::npos) {
        result.erase(position, 1);
        ++position;
    }
    return expand_environment(result);
}

std::wstring expand_environment(const std::wstring& text) {
    DWORD needed = ::ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
    if (needed == 0) return text;
    std::vector<wchar_t> buffer(static_cast<size_t>(needed) + 1, L'\0');
    DWORD written = ::ExpandEnvironmentStringsW(text.c_str(), buffer.data(), needed + 1);
    if (written == 0 || written > needed + 1) return text;
    std::wstring expanded(buffer.data());
    return expanded.empty() ? text : expanded;
}

std::wstring directory_of(const std::wstring& path) {
    std::wstring normal = normalize_path(path);
    size_t last = normal.rfind(L'\\');
    if (last == std::wstring::npos) return std::wstring();
    return normal.substr(0, last + 1);
}

std::wstring parent_directory_of(const std::wstring& path) {
    std::wstring normal = normalize_path(path);
    if (normal.empty() || normal.back() != L'\\') return directory_of(normal);
    normal.pop_back();
    size_t last = normal.rfind(L'\\');
    if (last == std::wstring::npos) return std::wstring();
    return normal.substr(0, last + 1);
}

std::wstring file_name_of(const std::wstring& path) {
    std::wstring normal = normalize_path(path);
    size_t last = normal.rfind(L'\\');
    if (last == std::wstring::npos) return normal;
    return normal.substr(last + 1);
}

bool file_exists(const std::wstring& path) {
    WIN32_FIND_DATAW data;
    find_handle search(::FindFirstFileW(path.c_str(), &data));
    return static_cast<bool>(search);
}
