#include "open_document.h"

#include <string>

#include "data_control.h"
#include "message_box.h"
#include "resource.h"
#include "shell_start.h"
#include "string_convert.h"
#include "url_components.h"

namespace {

// The maker's customer-support site, offered when the list file names no
// manual page.
constexpr wchar_t support_host[] = L"www.milbek.co.jp";
constexpr wchar_t support_path[] = L"/cs/";
// The PDF reader vendor's download site.
constexpr wchar_t reader_host[] = L"www.adobe.com";
constexpr wchar_t reader_path[] = L"/products/acrobat/readstep2.html";

std::wstring http_address(const wchar_t* host, const wchar_t* path) {
    return std::wstring(L"http://") + host + path;
}

// A page named by the list file, or empty when it is no web address: the
// shell would run a program or open a file for a path or another scheme.
// The page came from the list's own code page, so its narrow form is the
// text the list held.
std::wstring web_page_or_empty(const std::wstring& page) {
    return is_web_address(wide_to_ansi(page)) ? page : std::wstring();
}

}  // namespace

bool open_release_page(const CDataControl& data) {
    const std::wstring page = web_page_or_empty(data.install().list.newer_release.page_url);
    if (page.empty()) return false;
    return shell_open(nullptr, page, shell_caller::worker_thread);
}

bool open_latest_manual_page(const CDataControl& data) {
    const std::wstring page = web_page_or_empty(data.manual().list.manual.page_url);
    return shell_open(nullptr, page.empty() ? http_address(support_host, support_path) : page,
                      shell_caller::worker_thread);
}

bool open_local_manual(const CDataControl& data) {
    const std::wstring& path = data.manual().manual_path;
    if (path.empty()) return false;
    return shell_open(nullptr, path, shell_caller::worker_thread);
}

bool open_reader_page(HWND owner) {
    if (!shell_open(owner, http_address(reader_host, reader_path), shell_caller::window_thread)) return false;
    message_box_by_id(owner, IDS_READER_NEEDED, MB_OK | MB_ICONINFORMATION);
    return true;
}
