#include "manual_flow.h"

#include "list_source.h"
#include "open_document.h"
#include "resource.h"
#include "run_scope.h"
#include "run_view.h"

namespace {

constexpr UINT latest_manual_flags = MB_YESNO | MB_ICONINFORMATION;

bool stopped(const stop_flag& stop) { return stop != 0; }

// The run between disabling and enabling the guide button; every return
// leads to the common end.
void open_manual(run_view& view, list_source& source, CDataControl& data, const stop_flag& stop) {
    ManualPart& part = data.manual();
    data.reset_manual_part();

    if (stopped(stop)) return;
    data.find_local_manual(&stop);

    if (stopped(stop)) return;
    // A list file that cannot be had counts as one without a manual digest.
    if (!source.fetch_list(view.owner(), part.list)) part.list = installer_list();

    const std::wstring& list_digest = part.list.manual.digest;
    if (part.manual_found && (list_digest.empty() || list_digest == part.manual_digest)) {
        open_local_manual(data);
        return;
    }

    if (stopped(stop)) return;
    if (view.ask(IDS_LATEST_MANUAL, latest_manual_flags) == IDYES) {
        open_latest_manual_page(data);
    } else if (!stopped(stop)) {
        open_local_manual(data);  // opens nothing when no manual was found
    }
}

}  // namespace

void run_manual(run_view& view, list_source& source, CDataControl& data, const stop_flag& stop) {
    run_scope scope(view, launcher_run::manual);
    open_manual(view, source, data, stop);
}
