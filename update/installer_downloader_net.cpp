// The downloader's talks with the web server: the list file, one installer,
// and the folders a download needs.
#include "installer_downloader.h"

#include "file_body.h"
#include "http_client.h"
#include "path_util.h"
#include "string_convert.h"
#include "system_log.h"
#include "url_components.h"
#include "win_handle.h"

// The list file's server is fixed when the launcher is built; test builds
// point it at a local server.
#ifndef OVN_LIST_HOST
#error "OVN_LIST_HOST must name the host of the installer list file"
#endif
#ifndef OVN_LIST_PORT
#define OVN_LIST_PORT ""
#endif

static const char list_file_path[] = "/launcher/installer6.lt";
static const char request_verb[] = "GET";
static const int accepted_status = 200;

static std::string list_file_address() {
    std::string address = std::string("http://") + OVN_LIST_HOST;
    const std::string port = OVN_LIST_PORT;
    if (!port.empty()) address += ":" + port;
    return address + list_file_path;
}

// The request for address; whether the address split is not looked at, so
// one that does not leaves the pieces empty.
static void build_request(const std::string& address, const std::string& proxy_user,
                          const std::string& proxy_password, http_request& request) {
    request.reset();
    url_components components;
    components.parse(address);
    request.host = components.host;
    request.port = components.port;
    request.path = request_target(components);
    request.secure = components.scheme == "https";
    request.verb = request_verb;
    if (!proxy_user.empty()) {
        request.proxy_user = proxy_user;
        request.proxy_password = proxy_password;
    }
}

// True for status 200; then credentials are those the request ended with.
static bool fetch(http_request& request, HWND parent, std::vector<char>& body,
                  proxy_credentials& credentials) {
    std::string headers;
    int status = 0;
    DWORD result = get_data_by_wininet(request, headers, parent, status, body, credentials);
    return result == 0 && status == accepted_status;
}

bool CInstallerDownloader::DownloadLtFile(HWND parent) {
    set_list(installer_list());

    http_request request;
    build_request(list_file_address(), proxy_user, proxy_password, request);
    system_log().write_w(log_level_detail, L"get_data_by_wininet DownloadLtFile");

    std::vector<char> body;
    proxy_credentials credentials;
    if (!fetch(request, parent, body, credentials)) return false;
    proxy_user = credentials.user;
    proxy_password = credentials.password;
    return ParseLtFile(body, *this);
}

bool CInstallerDownloader::DownloadFile(const std::wstring& url, HWND parent,
                                        const std::wstring& destination) {
    if (!EnsureDirectory(destination)) return false;

    http_request request;
    build_request(wide_to_ansi(url), proxy_user, proxy_password, request);
    system_log().write_w(log_level_detail, L"get_data_by_wininet DownloadFile %s \u21D2 %s", url.c_str(),
                         destination.c_str());

    // Streamed to the file: a setup of any size fits. The file is made at
    // the body's first byte, so a refused or empty answer leaves it as it was.
    file_body file(destination, accepted_status);
    std::string headers;
    int status = 0;
    proxy_credentials credentials;
    const DWORD result = get_data_by_wininet(request, headers, parent, status, file, credentials);
    if (status == accepted_status && (result == 0 || file.failed())) {
        proxy_user = credentials.user;
        proxy_password = credentials.password;
    }
    const bool answered = result == 0 && status == accepted_status && file.received() != 0;
    const bool written = file.finish();
    if (file.failed()) {
        // Narrow digits widened: the wide conversion would pull the C runtime's
        // stream printing into the shipped exe.
        const std::string digits = std::to_string(file.received());
        const std::wstring reached(digits.begin(), digits.end());
        system_log().write_w(log_level_info, L"CInstallerDownloader DownloadFile write error 0x%x at %s bytes",
                             file.failure(), reached.c_str());
    }
    return answered && written;
}

bool CInstallerDownloader::EnsureDirectory(const std::wstring& path) {
    const std::wstring folder = directory_of(path);
    if (folder.empty()) return false;

    WIN32_FIND_DATAW entry;
    find_handle search(FindFirstFileW(folder.c_str(), &entry));
    if (search && (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return true;
    search.reset();

    if (CreateDirectoryW(folder.c_str(), nullptr)) return true;
    const DWORD error = GetLastError();
    // A file of that name in the way also lands here; opening the
    // destination fails later.
    if (error == ERROR_ALREADY_EXISTS) return true;
    if (error == ERROR_PATH_NOT_FOUND) {
        if (!EnsureDirectory(parent_directory_of(folder))) return false;
        return CreateDirectoryW(folder.c_str(), nullptr) != FALSE;
    }
    return false;
}
