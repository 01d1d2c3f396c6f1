// The application object, the entry sequence, sockets and the wait cursor.
#include <gtest/gtest.h>

#include <windows.h>

#include "socket_startup.h"
#include "wait_cursor.h"
#include "win_app.h"

namespace {

class refusing_app : public CWinApp {
public:
    BOOL InitInstance() override {
        ++starts;
        // A message posted now would keep a message loop busy; none must run.
        PostThreadMessageW(GetCurrentThreadId(), WM_QUIT, 0, 0);
        return FALSE;
    }
    int ExitInstance() override { return 7; }
    int Run() override {
        ++loops;
        return CWinApp::Run();
    }
    int starts = 0;
    int loops = 0;
};

}  // namespace

TEST(WinApp, StartUpReturningFalseEndsWithoutMessageLoop) {
    refusing_app app;
    EXPECT_EQ(current_app(), &app);
    HINSTANCE module = GetModuleHandleW(nullptr);
    EXPECT_EQ(run_application(module), 7);
    EXPECT_EQ(app.starts, 1);
    EXPECT_EQ(app.loops, 0);
    EXPECT_EQ(app.m_hInstance, module);
    MSG quit;
    PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
}

TEST(WinApp, NoApplicationObjectMeansFailure) {
    EXPECT_EQ(current_app(), nullptr);
    EXPECT_EQ(run_application(nullptr), -1);
}

TEST(Sockets, VersionOnePointOneStartsAndRepeatsHarmlessly) {
    EXPECT_EQ(socket_startup(), 0);
    EXPECT_EQ(socket_startup(), 0);
}

TEST(WaitCursor, ShowsHourglassAndRestores) {
    HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
    SetCursor(arrow);
    {
        CWaitCursor wait;
        EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_WAIT));
    }
    EXPECT_EQ(GetCursor(), arrow);
}
