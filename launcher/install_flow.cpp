#include "install_flow.h"

#include <string>

#include "file_digest.h"
#include "held_setup_run.h"
#include "list_source.h"
#include "module.h"
#include "open_document.h"
#include "path_util.h"
#include "publisher_check.h"
#include "resource.h"
#include "resource_text.h"
#include "run_scope.h"
#include "run_view.h"
#include "setup_folder.h"
#include "staged_download.h"
#include "system_log.h"

namespace {

constexpr UINT failed_use_existing_flags = MB_YESNO | MB_ICONEXCLAMATION;
constexpr UINT failed_no_install_flags = MB_OK | MB_ICONHAND;
constexpr UINT newer_release_flags = MB_YESNO | MB_ICONINFORMATION;
constexpr UINT install_old_version_flags = MB_YESNO | MB_ICONQUESTION;
// The most wsprintfW writes, terminator included.
constexpr int formatted_text_capacity = 1024;

bool stopped(const stop_flag& stop) { return stop != 0; }

// Text 106 with the newer release's version in place of its %s. wsprintfW
// reads %s as a wide string whatever printf mode the C runtime is in, and
// never writes past the buffer.
std::wstring newer_release_text(const std::wstring& version) {
    const std::wstring format = load_resource_string(IDS_NEWER_RELEASE, program_module());
    wchar_t text[formatted_text_capacity] = {};
    ::wsprintfW(text, format.c_str(), version.c_str());
    return text;
}

// A setup that no longer matches its checked digest is not started; the
// user learns that nothing can be installed.
void tell_when_not_started(run_view& view, bool started) {
    if (!started) view.ask(IDS_DOWNLOAD_FAILED_NO_INSTALL, failed_no_install_flags);
}

// The run between disabling and enabling its controls; every return leads
// to the common end.
void install(run_view& view, list_source& source, CDataControl& data, const stop_flag& stop) {
    InstallPart& part = data.install();
    const HWND owner = view.owner();

    view.show_progress_text(IDS_CHECKING_INSTALLER);
    data.reset_install_part();
    part.easy_install = !view.choose_folder_checked();

    if (stopped(stop)) return;
    data.find_existing_setup(&stop);

    if (stopped(stop)) return;
    if (!source.fetch_list(owner, part.list)) {
        view.hide_progress();
        handle_download_failure(view, data);
        return;
    }
    view.hide_progress();

    if (confirm_newer_release(view, data)) return;

    const installer_list::setup_entry& latest = part.list.latest_setup;
    if (part.setup_kind != setup_kind_none && (latest.digest.empty() || latest.digest == part.setup_digest)) {
        tell_when_not_started(view, run_held_existing_setup(data, owner));
        return;
    }

    view.show_progress_text(IDS_DOWNLOADING_INSTALLER);
    if (stopped(stop)) return;
    data.prepare_download_path(&stop);
    if (stopped(stop)) return;

    // The download stays under its staging name until its digest (and,
    // with a publisher, its signature) has been checked, so a failure
    // leaves the setup at hand as it was. It is written only into a folder
    // that is what its path says, held until the download is in place.
    setup_folder folder;
    const std::wstring staging = staging_path_of(part.download_path);
    bool verified = hold_download_folder(folder, part.download_path);
    const bool staging_was_there = verified && file_exists(staging);
    bool downloaded = verified && source.download(latest.url, owner, staging);
    verified = downloaded;
    if (verified) {
        file_digest(staging, part.download_digest);
        verified = part.download_digest == latest.digest &&
                   from_publisher(staging, INVALID_HANDLE_VALUE, data.publisher()) &&
                   commit_staged(staging, part.download_path) == 0;
    }
    if (!verified) {
        // Only a staging file this run wrote is removed.
        if (downloaded || (folder.held() && !staging_was_there)) discard_staged(staging);
        view.hide_progress();
        handle_download_failure(view, data);
        return;
    }
    folder.release();
    view.hide_progress();
    if (!stopped(stop)) tell_when_not_started(view, run_held_downloaded_setup(data, owner));
}

}  // namespace

void run_install(run_view& view, list_source& source, CDataControl& data, const stop_flag& stop) {
    run_scope scope(view, launcher_run::install);
    install(view, source, data, stop);
}

bool confirm_newer_release(run_view& view, CDataControl& data) {
    const installer_list::release_entry& newer = data.install().list.newer_release;
    if (!newer.announced) return false;
    if (view.ask_text(newer_release_text(newer.version), newer_release_flags) == IDYES) {
        open_release_page(data);
        return true;
    }
    return view.ask(IDS_INSTALL_OLD_VERSION, install_old_version_flags) != IDYES;
}

void handle_download_failure(run_view& view, CDataControl& data) {
    if (data.install().setup_kind == setup_kind_none) {
        view.ask(IDS_DOWNLOAD_FAILED_NO_INSTALL, failed_no_install_flags);
        return;
    }
    if (view.ask(IDS_DOWNLOAD_FAILED_USE_EXISTING, failed_use_existing_flags) != IDYES) return;
    // The run has shown its one message: a setup at hand that changed since
    // it was found ends it quietly.
    if (!run_held_existing_setup(data, view.owner()))
        system_log().write_a(log_level_detail, "launch_installer_proc setup at hand changed, not run");
}
