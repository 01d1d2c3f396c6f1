// The diagnostic log: timestamped lines in the ANSI code page, rotated at
// 1 MiB keeping ten files, serialised across processes by a named mutex,
// and switched on only by marker files.
#pragma once

#include <windows.h>

#include <string>

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

    // (private members follow in the implementation)
};

// The one process-wide log object.
my_system_log& system_log();
