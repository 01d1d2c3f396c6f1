#include "installer_downloader.h"

CInstallerDownloader::CInstallerDownloader() : newer_release(false), list_manual_found(false) {}

CInstallerDownloader::~CInstallerDownloader() {}
