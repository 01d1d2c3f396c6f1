// What a worker run of the launcher window needs of the window, so the
// runs are plain functions over this interface and their decisions can be
// reached without a real window. The launcher window's own view is
// launcher_view; every call may come from a worker thread.
#pragma once

#include <windows.h>

#include <string>

// The two runs of the launcher window.
enum class launcher_run { install, manual };

class run_view {
public:
    virtual ~run_view() = default;

    // The window that owns the run's message boxes and the prompts of its
    // web requests.
    virtual HWND owner() const = 0;
    // Shows the progress window with the string-table text text_id.
    virtual void show_progress_text(UINT text_id) = 0;
    virtual void hide_progress() = 0;
    // A message box with a string-table text, or with a text made by the
    // run; the button the user chose (0 when the box could not be shown).
    virtual int ask(UINT text_id, UINT flags) = 0;
    virtual int ask_text(const std::wstring& text, UINT flags) = 0;
    // The "choose the destination folder" check box is checked.
    virtual bool choose_folder_checked() const = 0;
    // Enables or disables the controls that the run disables while it runs
    // (run_controls).
    virtual void set_run_controls_enabled(launcher_run run, bool enabled) = 0;
};
