// The launcher's client of the product's web server: fetches the installer
// list file and the latest installer. One downloader lives for one worker
// run; it is never copied nor shared between threads.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "installer_list.h"

class CInstallerDownloader {
public:
    CInstallerDownloader();
    virtual ~CInstallerDownloader();

    CInstallerDownloader(const CInstallerDownloader&) = delete;
    CInstallerDownloader& operator=(const CInstallerDownloader&) = delete;

    // Fetches "/launcher/installer6.lt" and fills the list fields.
    bool DownloadLtFile(HWND parent);
    // Fetches url and stores the body at destination, creating missing
    // folders first.
    bool DownloadFile(const std::wstring& url, HWND parent, const std::wstring& destination);
    // Makes sure the folder of path exists, creating it outermost first.
    bool EnsureDirectory(const std::wstring& path);

    std::wstring GetSetupVersion() const { return list_setup_version; }
    std::wstring GetSetupDigest() const { return list_setup_digest; }
    std::wstring GetSetupUrl() const { return list_setup_url; }
    std::wstring GetNewerReleaseVersion() const { return newer_release_version; }
    std::wstring GetNewerReleaseUrl() const { return newer_release_url; }
    std::wstring GetManualDigest() const { return list_manual_digest; }
    std::wstring GetManualPageUrl() const { return list_manual_page_url; }

    // The list fields as one value, and back.
    installer_list list() const;
    void set_list(const installer_list& list);

    // List fields, filled by ParseLtFile; the install flow reads
    // newer_release directly.
    bool newer_release;
    std::wstring newer_release_version;
    std::wstring newer_release_url;
    std::wstring list_setup_version;
    std::wstring list_setup_digest;
    std::wstring list_setup_url;
    bool list_manual_found;
    std::wstring list_manual_digest;
    std::wstring list_manual_page_url;

    // Proxy credentials carried from one successful request to the next.
    std::string proxy_user;
    std::string proxy_password;
};

// Reads an installer list file body (read_installer_list) into the
// downloader's list fields for the processor type of this machine. Never
// clears a field. True when a latest-installer line with all four fields
// or a newer-release line was accepted.
bool ParseLtFile(const std::vector<char>& body, CInstallerDownloader& downloader);

// The same for a chosen processor type, so both branches can be exercised
// on any machine.
bool ParseLtFile(const std::vector<char>& body, CInstallerDownloader& downloader, bool windows_64bit);
