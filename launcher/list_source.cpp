#include "list_source.h"

bool server_list_source::fetch_list(HWND owner, installer_list& list) {
    if (!downloader_.DownloadLtFile(owner)) return false;
    list = downloader_.list();
    list.accepted = true;
    return true;
}

bool server_list_source::download(const std::wstring& url, HWND owner, const std::wstring& destination) {
    return downloader_.DownloadFile(url, owner, destination);
}
