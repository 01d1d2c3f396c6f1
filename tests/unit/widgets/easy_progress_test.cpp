// The progress window on real windows: hidden until shown, laid out for
// its longest line, framed, animated while hidden, and quick to stop.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <vector>

#include "easy_progress.h"
#include "gdi_util.h"
#include "resource.h"
#include "resource_text.h"

namespace {

constexpr COLORREF frame_blue = RGB(20, 99, 166);
constexpr COLORREF white = RGB(255, 255, 255);

void pump(DWORD ms) {
    DWORD end = GetTickCount() + ms;
    MSG message;
    while (static_cast<LONG>(end - GetTickCount()) > 0) {
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        Sleep(5);
    }
}

std::wstring first_line_of_checking_text() {
    std::wstring text = load_resource_string(IDS_CHECKING_INSTALLER);
    return text.substr(0, text.find(L'\n'));
}

RECT child_rect(HWND child) {
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// Every position the bar is given.
std::vector<int>* recorded_positions = nullptr;
LRESULT CALLBACK record_positions(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR) {
    if (message == PBM_SETPOS && recorded_positions) recorded_positions->push_back(static_cast<int>(wparam));
    return DefSubclassProc(window, message, wparam, lparam);
}

class Progress : public ::testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
        InitCommonControlsEx(&controls);
    }
};

}  // namespace

TEST_F(Progress, InvisibleUntilTextIsSetAndShown) {
    CEasyProgress progress;
    ASSERT_TRUE(progress.Create());
    EXPECT_EQ(progress.StartProgressThread(), 1);
    pump(300);
    EXPECT_FALSE(IsWindowVisible(progress.m_hWnd));
    EXPECT_FALSE(IsWindowVisible(progress.progress_bar()));

    std::wstring text = load_resource_string(IDS_CHECKING_INSTALLER);
    progress.SetMessageText(text);
    EXPECT_FALSE(IsWindowVisible(progress.m_hWnd));
    ShowWindow(progress.m_hWnd, SW_SHOW);
    EXPECT_TRUE(IsWindowVisible(progress.m_hWnd));
    EXPECT_FALSE(IsWindowVisible(progress.progress_bar()));
    wchar_t shown[256] = {};
    GetWindowTextW(progress.message_control(), shown, 256);
    EXPECT_EQ(std::wstring(shown), text);
    EXPECT_TRUE(GetWindowLongPtrW(progress.m_hWnd, GWL_EXSTYLE) & WS_EX_APPWINDOW);
}

TEST_F(Progress, WidenedToTheFirstLineAndStillFramed) {
    CEasyProgress progress;
    ASSERT_TRUE(progress.Create());
    SIZE measured{};
    {
        window_dc dc(progress.m_hWnd);
        select_object font(dc.get(), progress.text_font());
        std::wstring line = first_line_of_checking_text();
        GetTextExtentPoint32W(dc.get(), line.c_str(), static_cast<int>(line.size()), &measured);
    }
    // The template's message line, in pixels of this dialog.
    RECT template_line{7, 21, 7 + 197, 21 + 28};
    MapDialogRect(progress.m_hWnd, &template_line);
    ASSERT_GT(measured.cx, template_line.right - template_line.left) << "the line must not fit as it is";

    RECT client{};
    GetClientRect(progress.m_hWnd, &client);
    RECT line = child_rect(progress.message_control());
    EXPECT_GE(line.right - line.left, measured.cx);
    // Centred: the same margin on both sides (one pixel for an odd margin).
    EXPECT_NEAR(line.left, client.right - line.right, 1);
    RECT bar = child_rect(progress.progress_bar());
    EXPECT_EQ(bar.top, client.bottom - 20);
    EXPECT_EQ(bar.right - bar.left, line.right - line.left);

    progress.SetMessageText(load_resource_string(IDS_CHECKING_INSTALLER));
    ShowWindow(progress.m_hWnd, SW_SHOW);
    UpdateWindow(progress.m_hWnd);
    pump(200);
    window_dc dc(progress.m_hWnd);
    int right = client.right - 1, bottom = client.bottom - 1;
    EXPECT_EQ(GetPixel(dc.get(), 0, 0), frame_blue);
    EXPECT_EQ(GetPixel(dc.get(), right, bottom), frame_blue);
    EXPECT_EQ(GetPixel(dc.get(), right, 0), frame_blue);
    EXPECT_EQ(GetPixel(dc.get(), 1, 1), white);
    EXPECT_EQ(GetPixel(dc.get(), right - 1, bottom - 1), white);
}

TEST_F(Progress, BarCyclesFromOneTo254WhileHidden) {
    CEasyProgress progress;
    progress.step_interval_ms = 1;
    ASSERT_TRUE(progress.Create());
    std::vector<int> positions;
    recorded_positions = &positions;
    ASSERT_TRUE(SetWindowSubclass(progress.progress_bar(), record_positions, 1, 0));
    ASSERT_EQ(progress.StartProgressThread(), 1);
    // Two full sweeps at most.
    for (int i = 0; i < 3000; ++i) {
        pump(5);
        size_t wraps = 0;
        for (size_t k = 1; k < positions.size(); ++k) wraps += positions[k] < positions[k - 1];
        if (wraps >= 2) break;
    }
    EXPECT_FALSE(IsWindowVisible(progress.m_hWnd));
    recorded_positions = nullptr;
    RemoveWindowSubclass(progress.progress_bar(), record_positions, 1);
    progress.DestroyWindow();

    ASSERT_GT(positions.size(), 300u);
    EXPECT_EQ(positions.front(), 1);
    int wraps = 0;
    for (size_t k = 1; k < positions.size(); ++k) {
        if (positions[k] == positions[k - 1] + 1) continue;
        EXPECT_EQ(positions[k - 1], 254) << "at step " << k;
        EXPECT_EQ(positions[k], 1) << "at step " << k;
        ++wraps;
    }
    EXPECT_GE(wraps, 1);
    for (int position : positions) {
        EXPECT_GE(position, 1);
        EXPECT_LE(position, 254);
    }
}

TEST_F(Progress, DestroyingStopsTheThreadWellWithinASecond) {
    for (DWORD settle_ms : {0u, 350u}) {
        CEasyProgress progress;
        ASSERT_TRUE(progress.Create());
        ASSERT_EQ(progress.StartProgressThread(), 1);
        HANDLE thread = nullptr;
        DuplicateHandle(GetCurrentProcess(), progress.progress_thread()->handle(), GetCurrentProcess(), &thread, 0,
                        FALSE, DUPLICATE_SAME_ACCESS);
        kernel_handle thread_handle(thread);
        // Without pumping: the window thread is not serving the bar meanwhile.
        Sleep(settle_ms);
        DWORD start = GetTickCount();
        progress.DestroyWindow();
        DWORD elapsed = GetTickCount() - start;
        EXPECT_LT(elapsed, 500u) << "settle " << settle_ms;
        EXPECT_EQ(progress.progress_thread(), nullptr);
        ASSERT_EQ(WaitForSingleObject(thread_handle.get(), 0), WAIT_OBJECT_0);
        DWORD code = 1;
        GetExitCodeThread(thread_handle.get(), &code);
        EXPECT_EQ(code, 0u) << "the thread ended by itself, not by termination";
    }
}

TEST_F(Progress, WithoutAWindowTheThreadStillRunsAndStops) {
    CEasyProgress progress;
    EXPECT_EQ(progress.StartProgressThread(), 1);
    EXPECT_EQ(progress.StartProgressThread(), 1);  // already running
    progress.SetMessageText(L"nothing to show it in");
    EXPECT_EQ(progress.message_text(), L"nothing to show it in");
    Sleep(150);
    EXPECT_EQ(progress.StopProgressThread(), 1);
    EXPECT_EQ(progress.StopProgressThread(), 1);
}
