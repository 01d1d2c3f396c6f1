// The end every run of the launcher window has, however it ends: the
// progress window hidden and the run's controls enabled again, even when
// something inside the run throws.
#pragma once

#include "run_view.h"

class run_scope {
public:
    run_scope(run_view& view, launcher_run run) : view_(view), run_(run) {
        view_.set_run_controls_enabled(run_, false);
    }
    ~run_scope() {
        // Only the install run shows the progress window.
        if (run_ == launcher_run::install) view_.hide_progress();
        view_.set_run_controls_enabled(run_, true);
    }
    run_scope(const run_scope&) = delete;
    run_scope& operator=(const run_scope&) = delete;

private:
    run_view& view_;
    launcher_run run_;
};
