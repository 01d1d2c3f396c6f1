// The install run as plain functions over the launcher window's view (see
// run_view.h), the source of the installer list and the launcher's record:
// it finds the setup program at hand, asks for the list, tells the user
// about a newer release, and runs the setup at hand or downloads, checks
// and runs the current one. launch_installer_proc runs it for the window.
#pragma once

#include "data_control.h"

class list_source;
class run_view;

// The whole run, from disabling its controls to enabling them again; it
// looks at stop before each long step.
void run_install(run_view& view, list_source& source, CDataControl& data, const stop_flag& stop);

// Asks about a newer release the list announces; true when the run must
// stop here (the release page was opened, or the user declined 6.0).
bool confirm_newer_release(run_view& view, CDataControl& data);
// The update failed: without a setup at hand the run cannot install;
// with one, the user may install with it.
void handle_download_failure(run_view& view, CDataControl& data);
