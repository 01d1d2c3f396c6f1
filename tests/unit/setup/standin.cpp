#include "standin.h"

#include <psapi.h>

#include "locations/scratch_folder.h"
#include "win_handle.h"

namespace {

constexpr wchar_t record_name[] = L"standin-record.txt";
constexpr wchar_t verb_record_name[] = L"shell-verbs.txt";
constexpr DWORD end_wait_ms = 5000;

std::wstring wide_from_utf8(const std::string& text) {
    if (text.empty()) return std::wstring();
    int size = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring result(static_cast<size_t>(size > 0 ? size : 0), L'\0');
    if (size > 0) ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &result[0], size);
    return result;
}

// The lines of a UTF-8 record file, each without its CR LF.
std::vector<std::wstring> record_lines(const std::wstring& path) {
    std::vector<std::wstring> lines;
    std::string bytes;
    if (!read_file(path, bytes)) return lines;
    std::wstring text = wide_from_utf8(bytes);
    size_t position = 0;
    while (position < text.size()) {
        size_t end = text.find(L"\r\n", position);
        if (end == std::wstring::npos) end = text.size();
        lines.push_back(text.substr(position, end - position));
        position = end + 2;
    }
    return lines;
}

}  // namespace

std::wstring standin_run::value(const wchar_t* key) const {
    auto found = values.find(key);
    return found == values.end() ? std::wstring() : found->second;
}

bool place_standin(const std::wstring& path, unsigned exit_code, unsigned sleep_ms) {
    const std::wstring folder = path.substr(0, path.rfind(L'\\') + 1);
    if (!make_folders(folder)) return false;
    if (!::CopyFileW(OVN_STANDIN_SETUP, path.c_str(), FALSE)) return false;
    std::string ini = "[standin]\r\nexit_code=" + std::to_string(exit_code) + "\r\nsleep_ms=" + std::to_string(sleep_ms) +
                      "\r\n";
    return write_file(folder + L"standin.ini", ini);
}

std::vector<standin_run> standin_runs(const std::wstring& folder) {
    std::vector<standin_run> runs;
    for (const std::wstring& line : record_lines(folder + record_name)) {
        if (line == L"[run]") {
            runs.emplace_back();
            continue;
        }
        size_t equals = line.find(L'=');
        if (runs.empty() || equals == std::wstring::npos) continue;
        std::wstring key = line.substr(0, equals);
        if (key == L"property") {
            runs.back().properties.push_back(line.substr(equals + 1));
        } else {
            runs.back().values[key] = line.substr(equals + 1);
        }
    }
    return runs;
}

void end_standins(const std::wstring& folder) {
    for (const standin_run& run : standin_runs(folder)) {
        DWORD id = static_cast<DWORD>(std::stoul(L"0" + run.value(L"process_id")));
        kernel_handle process(::OpenProcess(PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | SYNCHRONIZE,
                                            FALSE, id));
        if (!process) continue;
        // Only a process started from this folder: ids are reused.
        wchar_t image[MAX_PATH + 1] = {};
        DWORD length = ::GetModuleFileNameExW(process.get(), nullptr, image, MAX_PATH);
        if (length == 0) continue;
        std::wstring image_folder(image, length);
        image_folder.erase(image_folder.rfind(L'\\') + 1);
        if (::lstrcmpiW(image_folder.c_str(), folder.c_str()) != 0) continue;
        // Waited for, so its folder can be removed next.
        if (::TerminateProcess(process.get(), 1)) ::WaitForSingleObject(process.get(), end_wait_ms);
    }
}

std::vector<std::wstring> shell_verbs(const std::wstring& folder) { return record_lines(folder + verb_record_name); }

current_folder_scope::current_folder_scope(const std::wstring& folder) {
    DWORD length = ::GetCurrentDirectoryW(0, nullptr);
    previous_.resize(length);
    previous_.resize(length > 0 ? ::GetCurrentDirectoryW(length, &previous_[0]) : 0);
    ::SetCurrentDirectoryW(folder.c_str());
}

current_folder_scope::~current_folder_scope() {
    if (!previous_.empty()) ::SetCurrentDirectoryW(previous_.c_str());
}
