// The launcher window: a modal dialog skinned with bitmaps, which starts
// the install and manual runs, refuses to close while one runs and stops
// both when it is destroyed.
#pragma once

#include <windows.h>

#include <memory>

#include "button.h"
#include "dialog.h"
#include "easy_progress.h"
#include "flows.h"
#include "win_handle.h"
#include "win_thread.h"
#include "zbitmap_button.h"

class CDataControl;

class CLauncherDlg : public CDialog {
public:
    // The launcher's window: its runs write what they find into data.
    explicit CLauncherDlg(CDataControl& data);
    // Without a record the runs do nothing. The worker procedures can be
    // replaced, so tests can run workers that block or ignore their stop
    // request.
    explicit CLauncherDlg(thread_proc install_proc = launch_installer_proc,
                          thread_proc manual_proc = launch_manual_proc);
    ~CLauncherDlg() override;

    // True when a worker runs afterwards (already running or started).
    bool start_install_worker();
    bool start_manual_worker();
    // True when the worker has ended or none exists.
    bool stop_install_worker();
    bool stop_manual_worker();

    CEasyProgress* progress() const { return progress_.get(); }
    CWinThread* install_worker() const { return install_worker_.get(); }
    CWinThread* manual_worker() const { return manual_worker_.get(); }
    CDataControl* data_control() const { return data_; }

    CButton check_box;
    CzBitmapButton install_button;
    CzBitmapButton guide_button;
    CzBitmapButton reader_button;
    CzBitmapButton close_button;

    // Stop requests, written only by the window thread.
    volatile LONG install_stop = 0;
    volatile LONG manual_stop = 0;

protected:
    void DoDataExchange() override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    bool OnButtonClicked(UINT id) override;
    // The window acts on clicks only: a fast second click on one of its
    // owner-drawn buttons is no second action.
    bool DoubleClickIsClick() const override { return false; }
    HBRUSH OnCtlColor(HDC dc, HWND control, UINT type) override;
    bool OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) override;

private:
    bool OnPaint();
    void lay_out_controls();
    void replace_progress_window();
    void destroy_progress_window();

    brush_handle white_brush_;
    HICON window_icon_;
    std::unique_ptr<CEasyProgress> progress_;
    std::unique_ptr<CWinThread> install_worker_;
    std::unique_ptr<CWinThread> manual_worker_;
    thread_proc install_proc_;
    thread_proc manual_proc_;
    CDataControl* data_ = nullptr;
};
