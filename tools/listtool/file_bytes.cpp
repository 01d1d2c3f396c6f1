#include "file_bytes.h"

#include "win_handle.h"

#include <algorithm>

static const DWORD io_chunk = 1 << 20;
static const wchar_t temporary_suffix[] = L".writing";

bool read_file_bytes(const std::wstring& path, std::vector<char>& bytes, DWORD& error) {
    bytes.clear();
    file_handle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        error = ::GetLastError();
        return false;
    }
    std::vector<char> chunk(io_chunk);
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(file.get(), chunk.data(), io_chunk, &got, nullptr)) {
            error = ::GetLastError();
            return false;
        }
        if (got == 0) break;
        bytes.insert(bytes.end(), chunk.begin(), chunk.begin() + got);
    }
    error = ERROR_SUCCESS;
    return true;
}

static bool write_all(HANDLE file, const std::vector<char>& bytes, DWORD& error) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD part = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, io_chunk));
        DWORD written = 0;
        if (!::WriteFile(file, bytes.data() + done, part, &written, nullptr)) {
            error = ::GetLastError();
            return false;
        }
        if (written == 0) {
            error = ERROR_WRITE_FAULT;
            return false;
        }
        done += written;
    }
    if (!::FlushFileBuffers(file)) {
        error = ::GetLastError();
        return false;
    }
    return true;
}

bool replace_file_bytes(const std::wstring& path, const std::vector<char>& bytes, DWORD& error) {
    std::wstring temporary = path + temporary_suffix;
    {
        file_handle file(::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            error = ::GetLastError();
            return false;
        }
        if (!write_all(file.get(), bytes, error)) {
            file.reset();
            ::DeleteFileW(temporary.c_str());
            return false;
        }
    }
    if (!::MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        error = ::GetLastError();
        ::DeleteFileW(temporary.c_str());
        return false;
    }
    error = ERROR_SUCCESS;
    return true;
}
