#include "held_setup_run.h"

#include "data_control.h"
#include "setup_hold.h"
#include "setup_runner.h"

bool run_held_existing_setup(const CDataControl& data, HWND owner) {
    const InstallPart& part = data.install();
    if (part.setup_kind != setup_kind_beside_launcher && part.setup_kind != setup_kind_temporary) return true;
    if (part.setup_path.empty()) return true;
    // A signed launcher starts only setups of its own publisher, the
    // medium's own included.
    setup_hold hold;
    if (!hold.hold_matching(part.setup_path, part.setup_digest, data.publisher())) return false;
    run_existing_setup(data, owner, hold.folder());
    return true;
}

bool run_held_downloaded_setup(const CDataControl& data, HWND owner) {
    const InstallPart& part = data.install();
    if (part.download_path.empty()) return true;
    setup_hold hold;
    if (!hold.hold_matching(part.download_path, part.list.latest_setup.digest, data.publisher())) return false;
    run_downloaded_setup(data, owner, hold.folder());
    return true;
}
