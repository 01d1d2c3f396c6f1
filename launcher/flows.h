// The two worker runs of the launcher window. Each receives the
// CLauncherDlg that started it and touches the window's controls only
// through window calls.
#pragma once

#include <windows.h>

UINT launch_installer_proc(LPVOID dialog);
UINT launch_manual_proc(LPVOID dialog);
