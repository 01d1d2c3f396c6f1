#include "installer_downloader.h"

#include "platform.h"

CInstallerDownloader::CInstallerDownloader() : newer_release(false), list_manual_found(false) {}

CInstallerDownloader::~CInstallerDownloader() {}

installer_list CInstallerDownloader::list() const {
    installer_list list;
    list.latest_setup = {list_setup_version, list_setup_digest, list_setup_url};
    list.newer_release = {newer_release, newer_release_version, newer_release_url};
    list.manual = {list_manual_found, list_manual_digest, list_manual_page_url};
    return list;
}

void CInstallerDownloader::set_list(const installer_list& list) {
    list_setup_version = list.latest_setup.version;
    list_setup_digest = list.latest_setup.digest;
    list_setup_url = list.latest_setup.url;
    newer_release = list.newer_release.announced;
    newer_release_version = list.newer_release.version;
    newer_release_url = list.newer_release.page_url;
    list_manual_found = list.manual.found;
    list_manual_digest = list.manual.digest;
    list_manual_page_url = list.manual.page_url;
}

bool ParseLtFile(const std::vector<char>& body, CInstallerDownloader& downloader) {
    return ParseLtFile(body, downloader, is_64bit_windows());
}

bool ParseLtFile(const std::vector<char>& body, CInstallerDownloader& downloader, bool windows_64bit) {
    installer_list list = downloader.list();
    const bool accepted = read_installer_list(body, windows_64bit, list);
    downloader.set_list(list);
    return accepted;
}
