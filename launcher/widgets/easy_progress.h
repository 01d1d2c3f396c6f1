// The small waiting window of the install run: a white box with a thin
// blue frame and a centred message in blue bold type. A hidden progress
// bar is stepped by an animation thread of its own for as long as the
// window exists.
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>
#include <string>

#include "dialog.h"
#include "win_handle.h"
#include "win_thread.h"

class CEasyProgress : public CDialog {
public:
    CEasyProgress();
    ~CEasyProgress() override;

    // The modeless window from its own template, without a parent; hidden.
    bool Create();

    // Keeps the text and shows it when the window exists. Any thread.
    void SetMessageText(const std::wstring& text);

    // 1 when the animation thread runs afterwards, 0 when it could not start.
    int StartProgressThread();
    // 1 when the thread has ended or never ran, 0 when it did not end in time.
    int StopProgressThread();

    HFONT text_font() const { return text_font_.get(); }
    const std::wstring& message_text() const { return message_text_; }
    CWinThread* progress_thread() const { return thread_.get(); }
    HWND progress_bar() const { return progress_bar_.m_hWnd; }
    HWND message_control() const { return message_control_.m_hWnd; }

    // Pause between two steps of the bar; tests shorten it.
    DWORD step_interval_ms = 100;

protected:
    void DoDataExchange() override;
    BOOL OnInitDialog() override;
    HBRUSH OnCtlColor(HDC dc, HWND control, UINT type) override;
    bool OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) override;

private:
    static UINT progress_proc(LPVOID param);
    BOOL OnEraseBkgnd(HDC dc);
    void OnDestroy();
    void shut_down_thread();

    brush_handle background_brush_;
    pen_handle frame_pen_;
    RECT window_rect_{};
    font_handle text_font_;
    CWnd message_control_;
    std::wstring message_text_;
    CWnd progress_bar_;
    std::unique_ptr<CWinThread> thread_;
    volatile LONG stop_ = 0;
    // The bar as the animation thread sees it: set once the layout is done,
    // cleared when the window goes.
    std::atomic<HWND> animated_bar_{nullptr};
};
