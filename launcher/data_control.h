// What the launcher found on disk and what the installer list file said,
// one record per process: the install run writes the install part, the
// manual run the manual part, and the two share no field.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "installer_list.h"

// Where the setup program at hand was found.
constexpr std::int32_t setup_kind_none = 0;
constexpr std::int32_t setup_kind_beside_launcher = 1;
constexpr std::int32_t setup_kind_temporary = 2;

struct InstallPart {
    std::int32_t setup_kind = setup_kind_none;
    bool easy_install = true;  // SETUP_EASY_INSTALL "1"; false gives "0"
    std::wstring setup_path;
    std::wstring setup_digest;
    std::wstring download_path;
    std::wstring download_digest;
    // The list as the install run read it: its latest setup and newer
    // release count here.
    installer_list list;
};

struct ManualPart {
    bool manual_found = false;
    std::wstring manual_path;
    std::wstring manual_digest;
    // The list as the manual run read it: its manual entry counts here.
    installer_list list;
};

struct InstallerData {
    InstallPart install;
    ManualPart manual;
};

// A worker's stop request, written by the window thread.
using stop_flag = volatile LONG;

class CDataControl {
public:
    // The launcher's own folder and this machine's processor type.
    CDataControl();
    // Tests supply the folder the launcher would lie in (ending with a
    // backslash) and the processor type.
    CDataControl(std::wstring launcher_folder, bool windows_64bit);
    virtual ~CDataControl() = default;

    CDataControl(const CDataControl&) = delete;
    CDataControl& operator=(const CDataControl&) = delete;

    InstallPart& install() { return data_.install; }
    const InstallPart& install() const { return data_.install; }
    ManualPart& manual() { return data_.manual; }
    const ManualPart& manual() const { return data_.manual; }

    void reset_install_part();
    void reset_manual_part();

    // Each does nothing at all when stop is null or raised.
    void find_existing_setup(const stop_flag* stop);
    void prepare_download_path(const stop_flag* stop);
    void inspect_downloaded_setup(const stop_flag* stop);
    void find_local_manual(const stop_flag* stop);

    const std::wstring& launcher_folder() const { return launcher_folder_; }

    // The launcher's publisher (see publisher_check.h); empty when the
    // launcher has none. With one, every setup program the launcher starts
    // (the medium's, the temporary folder's, a download) must be signed by it.
    const std::wstring& publisher() const { return publisher_; }
    void set_publisher(const std::wstring& publisher) { publisher_ = publisher; }

private:
    std::wstring temporary_setup_path() const;
    std::wstring beside_launcher_setup_path() const;

    InstallerData data_;
    std::wstring launcher_folder_;
    bool windows_64bit_;
    std::wstring publisher_;
};
