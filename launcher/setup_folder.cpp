#include "setup_folder.h"

#include <vector>

namespace {

using final_path_fn = DWORD(WINAPI*)(HANDLE, LPWSTR, DWORD, DWORD);

// The final path comes back in its long form, which the shell does not
// take as a working folder.
constexpr wchar_t long_prefix[] = L"\\\\?\\";
constexpr wchar_t long_unc_prefix[] = L"\\\\?\\UNC\\";
constexpr wchar_t unc_prefix[] = L"\\\\";
// A drive-letter path with the names as they are on disk.
constexpr DWORD final_path_dos_form = FILE_NAME_NORMALIZED | VOLUME_NAME_DOS;

bool starts_with(const std::wstring& text, const wchar_t* head) { return text.compare(0, wcslen(head), head) == 0; }

// Not on Windows XP, so looked up rather than imported.
final_path_fn system_final_path() {
    HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    if (!kernel) return nullptr;
    return reinterpret_cast<final_path_fn>(
        reinterpret_cast<void*>(::GetProcAddress(kernel, "GetFinalPathNameByHandleW")));
}

DWORD attributes_error(HANDLE handle, bool want_folder) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(handle, &info)) return ::GetLastError();
    if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) return ERROR_REPARSE_ATTRIBUTE_CONFLICT;
    const bool folder = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (folder != want_folder) return want_folder ? ERROR_DIRECTORY : ERROR_ACCESS_DENIED;
    return 0;
}

}  // namespace

bool setup_folder::hold(const std::wstring& folder) {
    folder_.reset();
    last_error_ = 0;
    // Backup semantics open a folder; without delete sharing no one can
    // rename or remove it (or what it holds, by renaming it away) meanwhile.
    folder_.reset(::CreateFileW(folder.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | open_link_itself, nullptr));
    if (!folder_) {
        last_error_ = ::GetLastError();
        return false;
    }
    last_error_ = attributes_error(folder_.get(), true);
    if (last_error_ != 0) folder_.reset();
    return held();
}

DWORD plain_file_error(HANDLE file) { return attributes_error(file, false); }

std::wstring real_folder_of(HANDLE file) {
    final_path_fn final_path = system_final_path();
    if (!final_path) return std::wstring();
    const DWORD needed = final_path(file, nullptr, 0, final_path_dos_form);
    if (needed == 0) return std::wstring();
    std::vector<wchar_t> buffer(needed + 1, L'\0');
    const DWORD written = final_path(file, buffer.data(), needed + 1, final_path_dos_form);
    if (written == 0 || written > needed) return std::wstring();
    std::wstring path(buffer.data(), written);
    if (starts_with(path, long_unc_prefix)) {
        path = unc_prefix + path.substr(wcslen(long_unc_prefix));
    } else if (starts_with(path, long_prefix)) {
        path.erase(0, wcslen(long_prefix));
    }
    return folder_part(path);
}

std::wstring folder_part(const std::wstring& path) {
    const size_t last = path.rfind(L'\\');
    return last == std::wstring::npos ? std::wstring() : path.substr(0, last + 1);
}

std::wstring name_part(const std::wstring& path) {
    const size_t last = path.rfind(L'\\');
    return last == std::wstring::npos ? path : path.substr(last + 1);
}
