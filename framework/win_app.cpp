#include "win_app.h"

namespace {
CWinApp* the_app = nullptr;
}

CWinApp::CWinApp() { the_app = this; }

CWinApp::~CWinApp() {
    if (the_app == this) the_app = nullptr;
}

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::ExitInstance() { return 0; }

int CWinApp::Run() {
    MSG message{};
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return ExitInstance();
}

CWinApp* current_app() { return the_app; }

int run_application(HINSTANCE instance) {
    CWinApp* app = current_app();
    if (!app) return -1;
    app->m_hInstance = instance;
    try {
        if (!app->InitInstance()) return app->ExitInstance();
        return app->Run();
    } catch (...) {
        return -1;
    }
}
