// Started by the shell in place of a web browser or PDF viewer: appends
// what it was asked to open, one UTF-8 line per start, to the log named
// by OVN_SHELL_RECORDER_LOG, or to shell-recorder.log beside itself.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "win_handle.h"

namespace {

constexpr wchar_t log_variable[] = L"OVN_SHELL_RECORDER_LOG";
constexpr wchar_t default_log_name[] = L"shell-recorder.log";
constexpr DWORD path_capacity = 32768;

std::wstring log_path() {
    std::vector<wchar_t> text(path_capacity, L'\0');
    DWORD length = ::GetEnvironmentVariableW(log_variable, text.data(), path_capacity);
    if (length > 0 && length < path_capacity) return std::wstring(text.data(), length);
    length = ::GetModuleFileNameW(nullptr, text.data(), path_capacity - 1);
    std::wstring own(text.data(), length);
    return own.substr(0, own.rfind(L'\\') + 1) + default_log_name;
}

// The arguments as the program received them, joined by blanks.
std::wstring arguments() {
    int count = 0;
    LPWSTR* values = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!values) return std::wstring();
    std::wstring joined;
    for (int i = 1; i < count; ++i) {
        if (i > 1) joined += L' ';
        joined += values[i];
    }
    ::LocalFree(values);
    return joined;
}

std::string utf8(const std::wstring& text) {
    if (text.empty()) return std::string();
    int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                     nullptr);
    std::string result(static_cast<size_t>(size > 0 ? size : 0), '\0');
    if (size > 0) {
        ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &result[0], size, nullptr,
                              nullptr);
    }
    return result;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    const std::string line = utf8(arguments()) + "\r\n";
    // Appends from concurrent starts do not interleave within a line.
    file_handle log(::CreateFileW(log_path().c_str(), FILE_APPEND_DATA,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!log) return 1;
    DWORD written = 0;
    return ::WriteFile(log.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr) ? 0 : 1;
}
