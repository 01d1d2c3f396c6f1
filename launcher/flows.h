// The thread entries of the launcher window's two runs. Each receives the
// CLauncherDlg that started it, builds the window's view and runs the
// plain run (install_flow.h, manual_flow.h) over it.
#pragma once

#include <windows.h>

UINT launch_installer_proc(LPVOID dialog);
UINT launch_manual_proc(LPVOID dialog);
