// Where a worker run gets the installer list and the latest setup program
// from: the product's web server, or a stand-in in tests.
#pragma once

#include <windows.h>

#include <string>

#include "installer_downloader.h"
#include "installer_list.h"

class list_source {
public:
    virtual ~list_source() = default;
    // The list for this machine type; false when it cannot be had or
    // nothing in it was accepted. owner owns the prompts of the request.
    virtual bool fetch_list(HWND owner, installer_list& list) = 0;
    // Stores the file at url under destination; true when it was written.
    virtual bool download(const std::wstring& url, HWND owner, const std::wstring& destination) = 0;
};

// The product's web server through one CInstallerDownloader, which lives
// as long as the run, so proxy credentials typed for the list travel with
// the download.
class server_list_source : public list_source {
public:
    bool fetch_list(HWND owner, installer_list& list) override;
    bool download(const std::wstring& url, HWND owner, const std::wstring& destination) override;

private:
    CInstallerDownloader downloader_;
};
