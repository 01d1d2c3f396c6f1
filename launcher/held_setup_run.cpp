#include "held_setup_run.h"

#include "data_control.h"
#include "message_box.h"
#include "resource.h"
#include "setup_hold.h"
#include "setup_runner.h"

namespace {

// Holds path for the life of hold; false, after telling the user, when the
// file cannot be held or differs from expected_digest.
bool hold_for_start(setup_hold& hold, const std::wstring& path, const std::wstring& expected_digest,
                    HWND owner) {
    if (hold.hold_matching(path, expected_digest)) return true;
    message_box_by_id(owner, IDS_DOWNLOAD_FAILED_NO_INSTALL, MB_OK | MB_ICONHAND);
    return false;
}

}  // namespace

void run_held_existing_setup(const CDataControl& data, HWND owner) {
    const InstallPart& part = data.install();
    if (part.setup_kind != setup_kind_beside_launcher && part.setup_kind != setup_kind_temporary) return;
    if (part.setup_path.empty()) return;
    setup_hold hold;
    if (!hold_for_start(hold, part.setup_path, part.setup_digest, owner)) return;
    run_existing_setup(data, owner);
}

void run_held_downloaded_setup(const CDataControl& data, HWND owner) {
    const InstallPart& part = data.install();
    if (part.download_path.empty()) return;
    setup_hold hold;
    if (!hold_for_start(hold, part.download_path, part.list_setup_digest, owner)) return;
    run_downloaded_setup(data, owner);
}
