// The manual run as plain functions over the launcher window's view (see
// run_view.h): it opens the manual on the medium when it is the current
// one, else offers the latest manual's web page. launch_manual_proc runs
// it for the window.
#pragma once

#include "data_control.h"

class list_source;
class run_view;

// The whole run, from disabling the guide button to enabling it again; it
// looks at stop before each long step.
void run_manual(run_view& view, list_source& source, CDataControl& data, const stop_flag& stop);
