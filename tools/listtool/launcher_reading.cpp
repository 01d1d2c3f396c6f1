#include "launcher_reading.h"

#include "installer_downloader.h"

// A one-entry file around the field under test. The other fields are
// chosen so that only the field under test can make the entry fail.
static const std::string probe_header = "probe\n";
static const std::string probe_platform = "both";
static const std::string probe_version = "6.0.0.0";
static const std::string probe_tail = " 00000000000000000000000000000000 http://probe/";

static std::vector<char> body_of(const std::string& text) { return std::vector<char>(text.begin(), text.end()); }

list_values read_as_launcher(const std::vector<char>& body, bool windows_64bit) {
    CInstallerDownloader downloader;
    list_values values;
    values.usable = ParseLtFile(body, downloader, windows_64bit);
    values.newer_release = downloader.newer_release;
    values.newer_release_version = downloader.newer_release_version;
    values.newer_release_url = downloader.newer_release_url;
    values.setup_version = downloader.list_setup_version;
    values.setup_digest = downloader.list_setup_digest;
    values.setup_url = downloader.list_setup_url;
    values.manual_found = downloader.list_manual_found;
    values.manual_digest = downloader.list_manual_digest;
    values.manual_page_url = downloader.list_manual_page_url;
    return values;
}

bool platform_accepted(const std::string& field, bool windows_64bit) {
    list_values values = read_as_launcher(body_of(probe_header + field + " " + probe_version + probe_tail), windows_64bit);
    return !values.setup_url.empty();
}

entry_kind entry_kind_of(const std::string& second_field) {
    list_values values = read_as_launcher(body_of(probe_header + probe_platform + " " + second_field + probe_tail), true);
    if (!values.setup_url.empty()) return entry_kind::latest_installer;
    if (values.newer_release) return entry_kind::newer_release;
    if (values.manual_found) return entry_kind::manual;
    return entry_kind::none;
}
