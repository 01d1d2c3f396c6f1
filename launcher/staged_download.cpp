#include "staged_download.h"

#include "setup_folder.h"
#include "system_log.h"

namespace {
// Appended to the final name: same folder, so the move is a rename.
constexpr wchar_t staging_suffix[] = L".download";
}

std::wstring staging_path_of(const std::wstring& final_path) {
    if (final_path.empty()) return std::wstring();
    return final_path + staging_suffix;
}

DWORD commit_staged(const std::wstring& staging_path, const std::wstring& final_path) {
    if (staging_path.empty() || final_path.empty()) return ERROR_INVALID_PARAMETER;
    if (::MoveFileExW(staging_path.c_str(), final_path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return 0;
    return ::GetLastError();
}

void discard_staged(const std::wstring& staging_path) {
    if (!staging_path.empty()) ::DeleteFileW(staging_path.c_str());
}

bool hold_download_folder(setup_folder& folder, const std::wstring& final_path) {
    const std::wstring path = folder_part(final_path);
    if (path.empty()) return false;
    ::CreateDirectoryW(path.c_str(), nullptr);  // one that is there already is fine
    if (folder.hold(path)) return true;
    system_log().write_w(log_level_info, L"download folder refused (error %u): %s",
                         static_cast<unsigned>(folder.last_error()), path.c_str());
    return false;
}
