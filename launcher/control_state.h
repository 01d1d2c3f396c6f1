// Which controls of the launcher window each run disables while it runs,
// and enabling and disabling them from a worker thread.
#pragma once

#include <windows.h>

#include "resource.h"
#include "run_view.h"

struct run_control_state {
    launcher_run run;
    UINT controls[2];  // 0 ends a shorter list
};

// Install and the check box belong to the install run, the guide button to
// the manual run; the reader and close buttons stay as they are.
constexpr run_control_state run_controls[] = {
    {launcher_run::install, {IDOK, IDC_CHOOSE_FOLDER}},
    {launcher_run::manual, {IDC_GUIDE, 0}},
};

// Each changes a control only when its state differs.
inline void disable_if_enabled(HWND control) {
    if (control && ::IsWindowEnabled(control)) ::EnableWindow(control, FALSE);
}

inline void enable_if_disabled(HWND control) {
    if (control && !::IsWindowEnabled(control)) ::EnableWindow(control, TRUE);
}

// The controls of `run` in the dialog `window`, enabled or disabled.
inline void set_run_controls_enabled(HWND window, launcher_run run, bool enabled) {
    for (const run_control_state& state : run_controls) {
        if (state.run != run) continue;
        for (UINT id : state.controls) {
            if (!id) break;
            HWND control = ::GetDlgItem(window, static_cast<int>(id));
            if (enabled)
                enable_if_disabled(control);
            else
                disable_if_enabled(control);
        }
    }
}
