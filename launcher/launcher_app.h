// The launcher's application object: everything before the launcher
// window is shown and after it has closed.
#pragma once

#include "data_control.h"
#include "win_app.h"

constexpr wchar_t launcher_instance_mutex[] = L"Local\\ORVANE CONSUMER 6.0 LAUNCHER";

class CLauncherApp : public CWinApp {
public:
    ~CLauncherApp() override = default;
    // Runs the launcher window modally; always FALSE, so no message loop
    // follows and the process ends.
    BOOL InitInstance() override;

    // What the install and manual runs found, for the life of the process.
    CDataControl& data_control() { return data_control_; }

private:
    CDataControl data_control_;
};
