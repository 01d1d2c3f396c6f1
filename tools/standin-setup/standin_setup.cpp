// Stand-in for the product's setup program. The launcher gives a setup a
// fixed command line, so what this one does is read from standin.ini
// beside it:
//
//   [standin]
//   exit_code=0      ; the exit code to end with
//   sleep_ms=0       ; how long to run before ending
//   record=PATH      ; where to append the record (default: standin-record.txt beside it)
//
// Each start appends one block of UTF-8 lines to the record:
//
//   [run]
//   process_id=1234
//   command_line=<the whole command line>
//   working_folder=<the working folder>
//   property_text=<the text after /v, one pair of outer quotes removed>
//   property=NAME=VALUE        (one line per installer property)
//   log_file=<file named by a /L option>
//   end
//
// Like the real setup, it hands the property text on as the installer
// would read it; a /L option makes it write the installer's log (relative
// to the working folder) listing the properties.
#include <windows.h>

#include <string>
#include <vector>

#include "win_handle.h"

namespace {

constexpr wchar_t ini_name[] = L"standin.ini";
constexpr wchar_t ini_section[] = L"standin";
constexpr wchar_t default_record_name[] = L"standin-record.txt";
constexpr DWORD text_capacity = 32768;

std::wstring own_folder() {
    std::vector<wchar_t> path(text_capacity, L'\0');
    DWORD length = ::GetModuleFileNameW(nullptr, path.data(), text_capacity - 1);
    std::wstring folder(path.data(), length);
    size_t last = folder.rfind(L'\\');
    return last == std::wstring::npos ? std::wstring() : folder.substr(0, last + 1);
}

std::wstring current_folder() {
    std::vector<wchar_t> path(text_capacity, L'\0');
    DWORD length = ::GetCurrentDirectoryW(text_capacity - 1, path.data());
    return std::wstring(path.data(), length < text_capacity ? length : 0);
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

// The command line without the program's own name.
std::wstring arguments_of(const std::wstring& command_line) {
    size_t position = 0;
    if (!command_line.empty() && command_line[0] == L'"') {
        size_t close = command_line.find(L'"', 1);
        position = close == std::wstring::npos ? command_line.size() : close + 1;
    } else {
        position = command_line.find_first_of(L" \t");
        if (position == std::wstring::npos) position = command_line.size();
    }
    while (position < command_line.size() && (command_line[position] == L' ' || command_line[position] == L'\t'))
        ++position;
    return command_line.substr(position);
}

// The text after /v with one pair of outer quotes removed, as the real
// setup hands it to the installer.
bool property_text_of(const std::wstring& arguments, std::wstring& text) {
    size_t switch_at = arguments.find(L"/v");
    if (switch_at == std::wstring::npos) return false;
    text = arguments.substr(switch_at + 2);
    if (text.size() >= 2 && text.front() == L'"' && text.back() == L'"') text = text.substr(1, text.size() - 2);
    return true;
}

// Splits as the installer does: blanks separate, quotes group and vanish.
std::vector<std::wstring> tokens_of(const std::wstring& text) {
    std::vector<std::wstring> tokens;
    std::wstring token;
    bool quoted = false;
    bool in_token = false;
    for (wchar_t c : text) {
        if (c == L'"') {
            quoted = !quoted;
            in_token = true;
        } else if (!quoted && (c == L' ' || c == L'\t')) {
            if (in_token) tokens.push_back(token);
            token.clear();
            in_token = false;
        } else {
            token += c;
            in_token = true;
        }
    }
    if (in_token) tokens.push_back(token);
    return tokens;
}

bool append_to(const std::wstring& path, const std::string& bytes) {
    file_handle file(::CreateFileW(path.c_str(), FILE_APPEND_DATA,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    return ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    const std::wstring folder = own_folder();
    const std::wstring ini = folder + ini_name;
    const UINT exit_code = ::GetPrivateProfileIntW(ini_section, L"exit_code", 0, ini.c_str());
    const UINT sleep_ms = ::GetPrivateProfileIntW(ini_section, L"sleep_ms", 0, ini.c_str());
    std::vector<wchar_t> configured(text_capacity, L'\0');
    ::GetPrivateProfileStringW(ini_section, L"record", L"", configured.data(), text_capacity, ini.c_str());
    std::wstring record = configured.data();
    if (record.empty()) record = folder + default_record_name;

    const std::wstring command_line = ::GetCommandLineW();
    std::wstring lines = L"[run]\r\n";
    lines += L"process_id=" + std::to_wstring(::GetCurrentProcessId()) + L"\r\n";
    lines += L"command_line=" + command_line + L"\r\n";
    lines += L"working_folder=" + current_folder() + L"\r\n";

    std::wstring property_text;
    std::wstring log_file;
    std::wstring installer_log;
    if (property_text_of(arguments_of(command_line), property_text)) {
        lines += L"property_text=" + property_text + L"\r\n";
        std::vector<std::wstring> tokens = tokens_of(property_text);
        for (size_t i = 0; i < tokens.size(); ++i) {
            const std::wstring& token = tokens[i];
            if (token.size() >= 2 && token[0] == L'/' && (token[1] == L'L' || token[1] == L'l')) {
                if (i + 1 < tokens.size()) log_file = tokens[++i];
            } else if (token.find(L'=') != std::wstring::npos) {
                lines += L"property=" + token + L"\r\n";
                size_t equals = token.find(L'=');
                installer_log += L"Property(S): " + token.substr(0, equals) + L" = " + token.substr(equals + 1) + L"\r\n";
            }
        }
    }
    if (!log_file.empty()) {
        lines += L"log_file=" + log_file + L"\r\n";
        append_to(log_file, utf8(L"=== Verbose logging started by the stand-in setup ===\r\n" + installer_log));
    }
    lines += L"end\r\n";
    append_to(record, utf8(lines));

    if (sleep_ms > 0) ::Sleep(sleep_ms);
    return static_cast<int>(exit_code);
}
