#include "control_state.h"
#include "data_control.h"
#include "flows.h"
#include "installer_downloader.h"
#include "launcher_app.h"
#include "launcher_dlg.h"
#include "message_box.h"
#include "open_document.h"
#include "resource.h"

namespace {

constexpr UINT latest_manual_flags = MB_YESNO | MB_ICONINFORMATION;

bool stopped(const CLauncherDlg& dialog) { return dialog.manual_stop != 0; }

// Steps 2 to 7 of the run; every return leads to the common end.
void open_manual(CLauncherDlg& dialog, CDataControl& data, CInstallerDownloader& downloader) {
    ManualPart& part = data.manual();
    data.reset_manual_part();

    if (stopped(dialog)) return;
    data.find_local_manual(&dialog.manual_stop);

    if (stopped(dialog)) return;
    // A list file that cannot be had counts as one without a manual digest.
    if (downloader.DownloadLtFile(dialog.m_hWnd)) {
        part.list_manual_digest = downloader.GetManualDigest();
        part.list_manual_page_url = downloader.GetManualPageUrl();
    }

    if (part.manual_found && (part.list_manual_digest.empty() || part.list_manual_digest == part.manual_digest)) {
        open_local_manual(data);
        return;
    }

    if (stopped(dialog)) return;
    if (message_box_by_id(dialog.m_hWnd, IDS_LATEST_MANUAL, latest_manual_flags) == IDYES) {
        open_latest_manual_page(data);
    } else if (!stopped(dialog)) {
        open_local_manual(data);  // opens nothing when no manual was found
    }
}

}  // namespace

UINT launch_manual_proc(LPVOID param) {
    auto* dialog = static_cast<CLauncherDlg*>(param);
    if (!dialog) return 0;
    CInstallerDownloader downloader;
    disable_if_enabled(dialog->guide_button.m_hWnd);

    if (CDataControl* data = launcher_data_control()) open_manual(*dialog, *data, downloader);

    enable_if_disabled(dialog->guide_button.m_hWnd);
    return 0;
}
