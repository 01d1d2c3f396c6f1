#include "launcher_app.h"

#include <commctrl.h>

#include "com_apartment.h"
#include "launcher_dlg.h"
#include "message_box.h"
#include "module.h"
#include "named_mutex_lock.h"
#include "path_util.h"
#include "resource.h"
#include "socket_startup.h"
#include "system_log.h"
#include "window_class.h"

namespace {
constexpr wchar_t log_module_name[] = L"Launcher";
constexpr wchar_t start_banner[] =
    L"========================== begin install launcher ==========================";
}

BOOL CLauncherApp::InitInstance() {
    wchar_t path[MAX_PATH + 1] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    // Without a log the launcher runs on.
    system_log().initialize(directory_of(path), log_module_name);
    system_log().write_w(log_level_info, start_banner);

    NamedMutexLock instance_lock(launcher_instance_mutex);
    if (!instance_lock.lock()) {
        system_log().write_a(log_level_error, "error: instance lock failure 0x%x",
                             instance_lock.last_error());
        return FALSE;
    }
    if (!register_launcher_window_class(program_module())) return FALSE;

    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_WIN95_CLASSES;
    ::InitCommonControlsEx(&controls);

    CWinApp::InitInstance();

    if (socket_startup() != 0) {
        message_box_by_id(nullptr, IDS_SOCKETS_FAILED, 0);
        return FALSE;
    }

    {
        // The reader button hands its page to the shell from this thread;
        // the apartment outlives the dialog and its workers.
        com_apartment apartment;
        CLauncherDlg dialog(data_control_);
        m_pMainWnd = &dialog;
        dialog.DoModal();
        m_pMainWnd = nullptr;
    }
    return FALSE;  // the lock is released as it goes out of scope
}
