// The launcher window's side of its two runs: the view a run sees of the
// window, and the thread entries that build it and run the plain runs.
#include <string>

#include "com_apartment.h"
#include "control_state.h"
#include "flows.h"
#include "install_flow.h"
#include "launcher_dlg.h"
#include "list_source.h"
#include "manual_flow.h"
#include "message_box.h"
#include "module.h"
#include "publisher_check.h"
#include "resource_text.h"
#include "run_view.h"
#include "wait_cursor.h"

namespace {

// Every call is a window call that the system hands to the window thread.
class launcher_view : public run_view {
public:
    explicit launcher_view(CLauncherDlg& dialog) : dialog_(dialog) {}

    HWND owner() const override { return dialog_.m_hWnd; }

    void show_progress_text(UINT text_id) override {
        CEasyProgress* progress = dialog_.progress();
        if (!progress || !progress->m_hWnd) return;
        progress->SetMessageText(load_resource_string(text_id, program_module()));
        ::ShowWindow(progress->m_hWnd, SW_SHOW);
    }

    void hide_progress() override {
        CEasyProgress* progress = dialog_.progress();
        if (progress && progress->m_hWnd) ::ShowWindow(progress->m_hWnd, SW_HIDE);
    }

    int ask(UINT text_id, UINT flags) override { return message_box_by_id(owner(), text_id, flags); }

    int ask_text(const std::wstring& text, UINT flags) override { return message_box_text(owner(), text, flags); }

    bool choose_folder_checked() const override { return dialog_.check_box.GetCheck() == BST_CHECKED; }

    void set_run_controls_enabled(launcher_run run, bool enabled) override {
        ::set_run_controls_enabled(owner(), run, enabled);
    }

private:
    CLauncherDlg& dialog_;
};

}  // namespace

UINT launch_installer_proc(LPVOID param) {
    auto* dialog = static_cast<CLauncherDlg*>(param);
    if (!dialog || !dialog->data_control()) return 0;
    com_apartment apartment;  // the run hands setups and pages to the shell
    CWaitCursor wait_cursor;
    // Read at the first run, off the window thread: it reads the whole exe.
    dialog->data_control()->set_publisher(launcher_publisher());
    launcher_view view(*dialog);
    server_list_source source;
    run_install(view, source, *dialog->data_control(), dialog->install_stop);
    return 0;
}

UINT launch_manual_proc(LPVOID param) {
    auto* dialog = static_cast<CLauncherDlg*>(param);
    if (!dialog || !dialog->data_control()) return 0;
    com_apartment apartment;  // the run hands documents and pages to the shell
    launcher_view view(*dialog);
    server_list_source source;
    run_manual(view, source, *dialog->data_control(), dialog->manual_stop);
    return 0;
}
