// Scoped changes to what every program in the test prefix shares. Tests
// that use them hold the matching CTest resource locks (system_proxy,
// log_markers).
#pragma once

#include <windows.h>

#include <string>

// The prefix's system proxy (HKCU Internet Settings) set to 127.0.0.1:port
// for the life of the object; the earlier values come back afterwards.
class scoped_system_proxy {
public:
    explicit scoped_system_proxy(const std::string& port);
    ~scoped_system_proxy();
    scoped_system_proxy(const scoped_system_proxy&) = delete;
    scoped_system_proxy& operator=(const scoped_system_proxy&) = delete;

private:
    bool had_enable_ = false;
    DWORD old_enable_ = 0;
    bool had_server_ = false;
    std::wstring old_server_;
};

// Both log marker files present, the process's log written to a fresh
// folder; the markers are removed afterwards.
class scoped_detail_log {
public:
    scoped_detail_log();
    ~scoped_detail_log();
    scoped_detail_log(const scoped_detail_log&) = delete;
    scoped_detail_log& operator=(const scoped_detail_log&) = delete;

    std::string text() const;

private:
    std::wstring folder_;
};
