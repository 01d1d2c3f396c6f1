// The one application object of the program, constructed before the entry
// point runs. The entry point calls its start-up step; when that returns
// FALSE the process ends without a message loop.
#pragma once

#include <windows.h>

class CWnd;

class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // The start-up step: TRUE to run the message loop afterwards.
    virtual BOOL InitInstance();
    virtual int ExitInstance();
    virtual int Run();

    HINSTANCE m_hInstance = nullptr;
    CWnd* m_pMainWnd = nullptr;
};

// The application object, or null when the program has none.
CWinApp* current_app();

// What the entry point does: start-up, then the message loop if asked for,
// then ExitInstance. Returns the process exit code.
int run_application(HINSTANCE instance);
