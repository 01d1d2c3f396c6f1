#include "data_control.h"

#include "file_information.h"
#include "path_util.h"
#include "platform.h"
#include "publisher_check.h"
#include "setup_folder.h"
#include "system_log.h"

#include <utility>

namespace {

// The download folder and the medium's folder both hold "ovn6setup".
constexpr wchar_t temporary_setup64[] = L"%temp%\\ovn6setup\\setup64.exe";
constexpr wchar_t temporary_setup32[] = L"%temp%\\ovn6setup\\setup32.exe";
// Appended to the launcher's folder, which ends with a backslash; the
// doubled backslash goes in normalize_path.
constexpr wchar_t beside_setup64[] = L"\\ovn6setup\\setup64.exe";
constexpr wchar_t beside_setup32[] = L"\\ovn6setup\\setup32.exe";
constexpr wchar_t beside_manual[] = L"\\ovn6setup\\ovn6manual.pdf";

constexpr DWORD module_path_capacity = MAX_PATH;

std::wstring own_folder() {
    wchar_t path[module_path_capacity + 1] = {};
    ::GetModuleFileNameW(nullptr, path, module_path_capacity);
    return directory_of(path);
}

bool stopped(const stop_flag* stop) { return stop == nullptr || *stop != 0; }

// Empty when the digest cannot be made.
std::wstring digest_of(const std::wstring& path) {
    file_information info;
    info.collect(path);  // only the digest matters here
    return info.get_md5();
}

// A setup in the temporary folder whose folder is a reparse point, or one
// that is not from the publisher, is passed over as if it were absent.
bool counts_as_at_hand(const std::wstring& temporary_setup, const std::wstring& publisher) {
    setup_folder folder;
    if (!folder.hold(folder_part(temporary_setup)) && folder.last_error() == ERROR_REPARSE_ATTRIBUTE_CONFLICT) {
        system_log().write_w(log_level_info, L"setup folder in the temporary folder is a reparse point, passed over: %s",
                             temporary_setup.c_str());
        return false;
    }
    if (from_publisher(temporary_setup, INVALID_HANDLE_VALUE, publisher)) return true;
    system_log().write_w(log_level_info, L"setup in the temporary folder passed over: %s", temporary_setup.c_str());
    return false;
}

// A signed launcher takes the medium's setup only when it is signed by the
// same publisher; another counts as absent.
bool medium_setup_counts(const std::wstring& medium_setup, const std::wstring& publisher) {
    if (from_publisher(medium_setup, INVALID_HANDLE_VALUE, publisher)) return true;
    system_log().write_w(log_level_info, L"setup beside the launcher passed over: %s", medium_setup.c_str());
    return false;
}

}  // namespace

CDataControl::CDataControl() : CDataControl(own_folder(), is_64bit_windows()) {}

CDataControl::CDataControl(std::wstring launcher_folder, bool windows_64bit)
    : launcher_folder_(std::move(launcher_folder)), windows_64bit_(windows_64bit) {}

void CDataControl::reset_install_part() { data_.install = InstallPart(); }

void CDataControl::reset_manual_part() { data_.manual = ManualPart(); }

std::wstring CDataControl::temporary_setup_path() const {
    return normalize_path(windows_64bit_ ? temporary_setup64 : temporary_setup32);
}

std::wstring CDataControl::beside_launcher_setup_path() const {
    return normalize_path(launcher_folder_ + (windows_64bit_ ? beside_setup64 : beside_setup32));
}

void CDataControl::find_existing_setup(const stop_flag* stop) {
    if (stopped(stop)) return;
    InstallPart& part = data_.install;
    part.setup_kind = setup_kind_none;

    // A download from an earlier run wins over the medium's setup. With a
    // publisher, either must come from it.
    std::wstring candidate = temporary_setup_path();
    if (file_exists(candidate) && counts_as_at_hand(candidate, publisher_)) {
        part.setup_kind = setup_kind_temporary;
    } else {
        candidate = beside_launcher_setup_path();
        if (!file_exists(candidate) || !medium_setup_counts(candidate, publisher_)) return;
        part.setup_kind = setup_kind_beside_launcher;
    }
    part.setup_path = candidate;
    part.setup_digest = digest_of(candidate);
}

void CDataControl::prepare_download_path(const stop_flag* stop) {
    if (stopped(stop)) return;
    // The download creates the folder itself.
    data_.install.download_path = temporary_setup_path();
}

void CDataControl::inspect_downloaded_setup(const stop_flag* stop) {
    if (stopped(stop)) return;
    InstallPart& part = data_.install;
    part.download_digest.clear();
    if (part.download_path.empty() || !file_exists(part.download_path)) return;
    part.download_digest = digest_of(part.download_path);
}

void CDataControl::find_local_manual(const stop_flag* stop) {
    if (stopped(stop)) return;
    ManualPart& part = data_.manual;
    part.manual_found = false;
    std::wstring path = normalize_path(launcher_folder_ + beside_manual);
    if (!file_exists(path)) return;
    part.manual_found = true;
    part.manual_path = path;
    part.manual_digest = digest_of(path);
}
