#include "http/shared_state.h"

#include <shlwapi.h>

#include "http/test_servers.h"
#include "system_log.h"

static const wchar_t internet_settings[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
static const wchar_t saved_password_key[] = L"Software\\Wine\\Wine\\Mpr";
static const wchar_t marker_folder[] = L"C:\\temp";
static const wchar_t full_marker[] = L"C:\\temp\\ovn6_launcher_syslog_full.txt";
static const wchar_t booster_marker[] = L"C:\\temp\\ovn6_launcher_syslog_booster30.txt";

scoped_system_proxy::scoped_system_proxy(const std::string& port) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, internet_settings, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return;
    DWORD size = sizeof old_enable_;
    had_enable_ = RegQueryValueExW(key, L"ProxyEnable", nullptr, nullptr,
                                   reinterpret_cast<BYTE*>(&old_enable_), &size) == ERROR_SUCCESS;
    wchar_t server[512] = {};
    size = sizeof server - sizeof(wchar_t);
    had_server_ = RegQueryValueExW(key, L"ProxyServer", nullptr, nullptr, reinterpret_cast<BYTE*>(server),
                                   &size) == ERROR_SUCCESS;
    old_server_ = server;

    DWORD enable = 1;
    std::wstring text = L"127.0.0.1:" + std::wstring(port.begin(), port.end());
    RegSetValueExW(key, L"ProxyEnable", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&enable), sizeof enable);
    RegSetValueExW(key, L"ProxyServer", 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    // Passwords saved from an earlier dialog would fill the next one.
    SHDeleteKeyW(HKEY_CURRENT_USER, saved_password_key);
}

scoped_system_proxy::~scoped_system_proxy() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, internet_settings, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
    if (had_enable_)
        RegSetValueExW(key, L"ProxyEnable", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&old_enable_),
                       sizeof old_enable_);
    else
        RegDeleteValueW(key, L"ProxyEnable");
    if (had_server_)
        RegSetValueExW(key, L"ProxyServer", 0, REG_SZ, reinterpret_cast<const BYTE*>(old_server_.c_str()),
                       static_cast<DWORD>((old_server_.size() + 1) * sizeof(wchar_t)));
    else
        RegDeleteValueW(key, L"ProxyServer");
    RegCloseKey(key);
    SHDeleteKeyW(HKEY_CURRENT_USER, saved_password_key);
}

scoped_detail_log::scoped_detail_log() : folder_(scratch_folder(L"log")) {
    CreateDirectoryW(marker_folder, nullptr);
    write_whole_file_for_test(full_marker, "");
    write_whole_file_for_test(booster_marker, "");
    system_log().initialize(folder_, L"Launcher");
}

scoped_detail_log::~scoped_detail_log() {
    DeleteFileW(full_marker);
    DeleteFileW(booster_marker);
    RemoveDirectoryW(marker_folder);
}

std::string scoped_detail_log::text() const { return read_whole_file(folder_ + L"system.log"); }
