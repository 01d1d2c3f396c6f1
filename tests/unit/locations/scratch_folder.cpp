#include "scratch_folder.h"

#include "win_handle.h"

namespace {

LONG next_number = 0;

}  // namespace

scratch_folder::scratch_folder() {
    wchar_t temp[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH, temp);
    path_ = std::wstring(temp) + L"ovn-test-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
            std::to_wstring(::InterlockedIncrement(&next_number)) + L"-" + std::to_wstring(::GetTickCount()) + L"\\";
    make_folders(path_);
}

scratch_folder::~scratch_folder() { remove_tree(path_); }

bool make_folders(const std::wstring& folder) {
    for (size_t at = folder.find(L'\\', 3); at != std::wstring::npos; at = folder.find(L'\\', at + 1)) {
        ::CreateDirectoryW(folder.substr(0, at).c_str(), nullptr);
    }
    DWORD attributes = ::GetFileAttributesW(folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool write_file(const std::wstring& path, const std::string& content) {
    make_folders(path.substr(0, path.rfind(L'\\') + 1));
    file_handle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                   nullptr));
    if (!file) return false;
    DWORD written = 0;
    return ::WriteFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &written, nullptr) &&
           written == content.size();
}

bool read_file(const std::wstring& path, std::string& content) {
    file_handle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    content.clear();
    char buffer[4096];
    DWORD got = 0;
    while (::ReadFile(file.get(), buffer, sizeof(buffer), &got, nullptr) && got > 0) content.append(buffer, got);
    return true;
}

void remove_tree(const std::wstring& folder) {
    if (folder.empty()) return;
    WIN32_FIND_DATAW entry;
    find_handle search(::FindFirstFileW((folder + L"*").c_str(), &entry));
    if (search) {
        do {
            std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring full = folder + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                remove_tree(full + L"\\");
            } else {
                ::SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileW(full.c_str());
            }
        } while (::FindNextFileW(search.get(), &entry));
    }
    search.reset();
    ::RemoveDirectoryW(folder.c_str());
}
