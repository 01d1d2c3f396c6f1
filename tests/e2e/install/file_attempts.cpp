// ovn_file_attempts PATH: another program trying to change a file. It
// tries to overwrite the file's first byte with itself, to rename it and
// to delete it, and prints one JSON object: for each attempt whether it
// succeeded, and the Win32 error when not. A rename that succeeds is
// undone at once.
#include <windows.h>

#include <cstdio>
#include <string>

#include "win_handle.h"

namespace {

struct attempt {
    bool done;
    DWORD error;
};

attempt outcome(bool done) { return {done, done ? 0 : ::GetLastError()}; }

attempt overwrite(const std::wstring& path) {
    file_handle file(::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return outcome(false);
    char first = 0;
    DWORD count = 0;
    if (!::ReadFile(file.get(), &first, 1, &count, nullptr) || count != 1) return outcome(false);
    ::SetFilePointer(file.get(), 0, nullptr, FILE_BEGIN);
    return outcome(::WriteFile(file.get(), &first, 1, &count, nullptr) && count == 1);
}

attempt rename(const std::wstring& path) {
    const std::wstring moved = path + L".moved";
    attempt result = outcome(::MoveFileW(path.c_str(), moved.c_str()) != FALSE);
    if (result.done) ::MoveFileW(moved.c_str(), path.c_str());
    return result;
}

attempt remove(const std::wstring& path) { return outcome(::DeleteFileW(path.c_str()) != FALSE); }

void print(const char* name, attempt result, bool last) {
    std::printf("\"%s\": %s, \"%s_error\": %lu%s", name, result.done ? "true" : "false", name,
                static_cast<unsigned long>(result.error), last ? "" : ", ");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::printf("{\"error\": \"usage: ovn_file_attempts PATH\"}\n");
        return 2;
    }
    const std::wstring path = argv[1];
    std::printf("{");
    print("write", overwrite(path), false);
    print("rename", rename(path), false);
    print("delete", remove(path), true);
    std::printf("}\n");
    return 0;
}
