#include "install_flow.h"

#include <string>

#include "control_state.h"
#include "data_control.h"
#include "easy_progress.h"
#include "file_information.h"
#include "flows.h"
#include "held_setup_run.h"
#include "installer_downloader.h"
#include "launcher_app.h"
#include "launcher_dlg.h"
#include "message_box.h"
#include "module.h"
#include "open_document.h"
#include "resource.h"
#include "resource_text.h"
#include "staged_download.h"
#include "wait_cursor.h"

namespace {

constexpr UINT failed_use_existing_flags = MB_YESNO | MB_ICONEXCLAMATION;
constexpr UINT failed_no_install_flags = MB_OK | MB_ICONHAND;
constexpr UINT newer_release_flags = MB_YESNO | MB_ICONINFORMATION;
constexpr UINT install_old_version_flags = MB_YESNO | MB_ICONQUESTION;
// The most wsprintfW writes, terminator included.
constexpr int formatted_text_capacity = 1024;

bool stopped(const CLauncherDlg& dialog) { return dialog.install_stop != 0; }

// Text 106 with the newer release's version in place of its %s. wsprintfW
// reads %s as a wide string whatever printf mode the C runtime is in, and
// never writes past the buffer.
std::wstring newer_release_text(const std::wstring& version) {
    const std::wstring format = load_resource_string(IDS_NEWER_RELEASE, program_module());
    wchar_t text[formatted_text_capacity] = {};
    ::wsprintfW(text, format.c_str(), version.c_str());
    return text;
}

// The digest of a file that has not been moved in place yet; empty when it
// cannot be made.
std::wstring digest_of(const std::wstring& path) {
    file_information info;
    info.read_md5(path);
    return info.get_md5();
}

// Steps 3 to 11 of the run; every return leads to the common end.
void install(CLauncherDlg& dialog, CDataControl& data, CInstallerDownloader& downloader) {
    InstallPart& part = data.install();
    const HWND owner = dialog.m_hWnd;

    show_progress_text(dialog, IDS_CHECKING_INSTALLER);
    data.reset_install_part();
    part.easy_install = dialog.check_box.GetCheck() != BST_CHECKED;

    if (stopped(dialog)) return;
    data.find_existing_setup(&dialog.install_stop);

    if (stopped(dialog)) return;
    if (!downloader.DownloadLtFile(owner)) {
        hide_progress(dialog);
        handle_download_failure(dialog, data);
        return;
    }
    part.list_setup_digest = downloader.GetSetupDigest();
    part.list_setup_url = downloader.GetSetupUrl();
    part.newer_release = downloader.newer_release;
    part.newer_release_version = downloader.GetNewerReleaseVersion();
    part.newer_release_url = downloader.GetNewerReleaseUrl();
    hide_progress(dialog);

    if (confirm_newer_release(dialog, data)) return;

    if (part.setup_kind != setup_kind_none &&
        (part.list_setup_digest.empty() || part.list_setup_digest == part.setup_digest)) {
        run_held_existing_setup(data, owner);
        return;
    }

    show_progress_text(dialog, IDS_DOWNLOADING_INSTALLER);
    if (stopped(dialog)) return;
    data.prepare_download_path(&dialog.install_stop);
    if (stopped(dialog)) return;

    // The download stays under its staging name until its digest has been
    // checked, so a failure leaves the setup at hand as it was.
    const std::wstring staging = staging_path_of(part.download_path);
    bool verified = downloader.DownloadFile(part.list_setup_url, owner, staging);
    if (verified) {
        part.download_digest = digest_of(staging);
        verified = part.download_digest == part.list_setup_digest &&
                   commit_staged(staging, part.download_path) == 0;
    }
    if (!verified) {
        discard_staged(staging);
        hide_progress(dialog);
        handle_download_failure(dialog, data);
        return;
    }
    hide_progress(dialog);
    if (!stopped(dialog)) run_held_downloaded_setup(data, owner);
}

}  // namespace

void hide_progress(CLauncherDlg& dialog) {
    CEasyProgress* progress = dialog.progress();
    if (progress && progress->m_hWnd) ::ShowWindow(progress->m_hWnd, SW_HIDE);
}

void show_progress_text(CLauncherDlg& dialog, UINT text_id) {
    CEasyProgress* progress = dialog.progress();
    if (!progress || !progress->m_hWnd) return;
    progress->SetMessageText(load_resource_string(text_id, program_module()));
    ::ShowWindow(progress->m_hWnd, SW_SHOW);
}

bool confirm_newer_release(CLauncherDlg& dialog, CDataControl& data) {
    const InstallPart& part = data.install();
    if (!part.newer_release) return false;
    const HWND owner = dialog.m_hWnd;
    if (message_box_text(owner, newer_release_text(part.newer_release_version), newer_release_flags) == IDYES) {
        open_release_page(data);
        return true;
    }
    return message_box_by_id(owner, IDS_INSTALL_OLD_VERSION, install_old_version_flags) != IDYES;
}

void handle_download_failure(CLauncherDlg& dialog, CDataControl& data) {
    const HWND owner = dialog.m_hWnd;
    if (data.install().setup_kind == setup_kind_none) {
        message_box_by_id(owner, IDS_DOWNLOAD_FAILED_NO_INSTALL, failed_no_install_flags);
        return;
    }
    if (message_box_by_id(owner, IDS_DOWNLOAD_FAILED_USE_EXISTING, failed_use_existing_flags) == IDYES)
        run_held_existing_setup(data, owner);
}

UINT launch_installer_proc(LPVOID param) {
    auto* dialog = static_cast<CLauncherDlg*>(param);
    if (!dialog) return 0;
    CWaitCursor wait_cursor;
    CInstallerDownloader downloader;
    disable_if_enabled(dialog->install_button.m_hWnd);
    disable_if_enabled(dialog->check_box.m_hWnd);

    if (CDataControl* data = launcher_data_control()) install(*dialog, *data, downloader);

    hide_progress(*dialog);
    enable_if_disabled(dialog->install_button.m_hWnd);
    enable_if_disabled(dialog->check_box.m_hWnd);
    return 0;
}
