#include "open_document.h"

#include <shellapi.h>

#include <string>

#include "data_control.h"
#include "message_box.h"
#include "platform.h"
#include "resource.h"

namespace {

// The maker's customer-support site, offered when the list file names no
// manual page.
constexpr wchar_t support_host[] = L"www.milbek.co.jp";
constexpr wchar_t support_path[] = L"/cs/";
// The PDF reader vendor's download site.
constexpr wchar_t reader_host[] = L"www.adobe.com";
constexpr wchar_t reader_path[] = L"/products/acrobat/readstep2.html";

constexpr INT_PTR last_failing_result = 32;

std::wstring http_address(const wchar_t* host, const wchar_t* path) {
    return std::wstring(L"http://") + host + path;
}

bool open_with_shell(HWND owner, const std::wstring& target) {
    INT_PTR result = reinterpret_cast<INT_PTR>(
        ::ShellExecuteW(owner, L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    if (result == SE_ERR_ACCESSDENIED) {
        // Access may need elevation, which exists only from Vista on.
        if (!is_vista_or_later()) return false;
        result = reinterpret_cast<INT_PTR>(
            ::ShellExecuteW(owner, L"runas", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    }
    return result > last_failing_result;
}

}  // namespace

bool open_release_page(const CDataControl& data) {
    const std::wstring& page = data.install().newer_release_url;
    if (page.empty()) return false;
    return open_with_shell(nullptr, page);
}

bool open_latest_manual_page(const CDataControl& data) {
    const std::wstring& page = data.manual().list_manual_page_url;
    return open_with_shell(nullptr, page.empty() ? http_address(support_host, support_path) : page);
}

bool open_local_manual(const CDataControl& data) {
    const std::wstring& path = data.manual().manual_path;
    if (path.empty()) return false;
    return open_with_shell(nullptr, path);
}

bool open_reader_page(HWND owner) {
    if (!open_with_shell(owner, http_address(reader_host, reader_path))) return false;
    message_box_by_id(owner, IDS_READER_NEEDED, MB_OK | MB_ICONINFORMATION);
    return true;
}
