// The steps of the install run (launch_installer_proc) that talk to the
// user: the progress window, the newer-release questions and what a failed
// update offers.
#pragma once

#include <windows.h>

class CDataControl;
class CLauncherDlg;

// Hides the progress window when it exists.
void hide_progress(CLauncherDlg& dialog);
// Shows the progress window with the string-table text text_id.
void show_progress_text(CLauncherDlg& dialog, UINT text_id);
// Asks about a newer release the list file announces; true when the run
// must stop here (the release page was opened, or the user declined 6.0).
bool confirm_newer_release(CLauncherDlg& dialog, CDataControl& data);
// The update failed: without a setup at hand the run cannot install;
// with one, the user may install with it.
void handle_download_failure(CLauncherDlg& dialog, CDataControl& data);
