// The diagnostic log: timestamped lines in the ANSI code page, rotated at
// 1 MiB keeping ten files, serialised across processes by a named mutex,
// and switched on only by marker files.
#pragma once

#include <windows.h>

#include <string>

#include "win_handle.h"

// Levels the launcher submits lines at.
constexpr unsigned log_level_error = 10;   // start-up errors
constexpr unsigned log_level_info = 20;    // banner, thread-start failures
constexpr unsigned log_level_detail = 30;  // HTTP and download detail

class my_system_log {
public:
    my_system_log();
    virtual ~my_system_log();
    my_system_log(const my_system_log&) = delete;
    my_system_log& operator=(const my_system_log&) = delete;

    bool initialize(const std::wstring& directory, const std::wstring& module_name);
    bool write_a(unsigned level, const char* format, ...);
    bool write_w(unsigned level, const wchar_t* format, ...);

private:
    bool write_line(const char* message, unsigned level);
    bool open_file();
    bool rotate();
    std::wstring generation_path(int generation) const;

    static constexpr LONG default_max_size = 0x100000;  // 1 MiB
    static constexpr LONG default_generations = 10;
    static constexpr size_t line_buffer_size = 2048;

    DWORD level_ = 0;                 // lines at or below this level are written
    LONG max_size_ = default_max_size;        // rotate at or above this many bytes
    LONG generations_ = default_generations;  // the current file and nine numbered ones
    std::wstring directory_;          // ends with a separator
    std::wstring file_name_ = L"system.log";
    std::wstring file_path_;          // directory_ + file_name_
    DWORD process_id_ = 0;
    std::string user_name_;           // ANSI
    std::string module_name_;         // ANSI
    kernel_handle mutex_;
    char line_buffer_[line_buffer_size] = {};     // each line is built here, under the lock
};

// The one process-wide log object.
my_system_log& system_log();
