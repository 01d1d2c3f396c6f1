// The bitmap button on a real window: which bitmap each state draws, hover
// tracking, and the cursor.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <vector>

#include "resource.h"
#include "zbitmap_button.h"

namespace {

// Remembers which bitmap each drawing chose.
class recording_button : public CzBitmapButton {
public:
    void DrawButtonBitmap(HDC dc, HBITMAP bitmap, RECT rect) override {
        drawn.push_back(bitmap);
        CzBitmapButton::DrawButtonBitmap(dc, bitmap, rect);
    }
    HBITMAP normal() const { return m_bitmap.get(); }
    HBITMAP selected() const { return m_bitmapSel.get(); }
    HBITMAP focus() const { return m_bitmapFocus.get(); }
    HBITMAP disabled() const { return m_bitmapDisabled.get(); }
    HBITMAP hover() const { return hover_bitmap_.get(); }
    std::vector<HBITMAP> drawn;
};

// A top-level window that hands owner drawing to the bound button, as the
// launcher window does.
LRESULT CALLBACK host_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_DRAWITEM) {
        auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lparam);
        if (CWnd* control = CWnd::FromHandle(item->hwndItem)) control->DrawItem(item);
        return TRUE;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

class BitmapButton : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASSW host_class{};
        host_class.lpfnWndProc = host_proc;
        host_class.hInstance = GetModuleHandleW(nullptr);
        host_class.lpszClassName = L"ovn_button_host";
        RegisterClassW(&host_class);
        host_ = CreateWindowExW(0, L"ovn_button_host", L"host", WS_POPUP | WS_VISIBLE, 100, 100, 500, 200,
                                nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(host_, nullptr);
        HWND control = CreateWindowExW(0, L"BUTTON", L"b", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 10, 10, 50, 20,
                                       host_, reinterpret_cast<HMENU>(1), GetModuleHandleW(nullptr), nullptr);
        ASSERT_TRUE(button_.SubclassWindow(control));
    }
    void TearDown() override {
        if (host_) DestroyWindow(host_);
    }

    static void pump(DWORD ms) {
        DWORD end = GetTickCount() + ms;
        MSG message;
        while (static_cast<LONG>(end - GetTickCount()) > 0) {
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
            Sleep(5);
        }
    }

    HBITMAP draw_in_state(UINT state) {
        DRAWITEMSTRUCT item{};
        item.CtlType = ODT_BUTTON;
        item.hwndItem = button_.m_hWnd;
        item.itemState = state;
        item.hDC = GetDC(button_.m_hWnd);
        GetClientRect(button_.m_hWnd, &item.rcItem);
        button_.drawn.clear();
        button_.DrawItem(&item);
        ReleaseDC(button_.m_hWnd, item.hDC);
        return button_.drawn.empty() ? nullptr : button_.drawn.back();
    }

    void start_hovering() { SendMessageW(button_.m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5)); }
    void stop_hovering() { SendMessageW(button_.m_hWnd, WM_MOUSELEAVE, 0, 0); }

    // Whether the button asked for a leave notice for itself. (The system's
    // button may ask for its own, so the thread's tracking tells nothing.)
    bool leave_requested() {
        const TRACKMOUSEEVENT& request = button_.leave_tracking();
        return request.cbSize == sizeof(TRACKMOUSEEVENT) && request.dwFlags == TME_LEAVE &&
               request.hwndTrack == button_.m_hWnd;
    }

    HWND host_ = nullptr;
    recording_button button_;
};

}  // namespace

TEST_F(BitmapButton, EveryStateCombinationDrawsTheFirstMatchingBitmap) {
    // Five different pictures, so each slot is told apart.
    ASSERT_TRUE(button_.LoadStateBitmaps(IDB_INSTALL_NORMAL, IDB_INSTALL_SELECTED, IDB_GUIDE_NORMAL,
                                         IDB_CLOSE_NORMAL, IDB_READER));
    for (int combination = 0; combination < 16; ++combination) {
        bool selected = combination & 1, hovering = combination & 2, focused = combination & 4,
             disabled = combination & 8;
        if (hovering) start_hovering(); else stop_hovering();
        ASSERT_EQ(button_.hovering(), hovering);
        UINT state = (selected ? ODS_SELECTED : 0) | (focused ? ODS_FOCUS : 0) | (disabled ? ODS_DISABLED : 0);
        HBITMAP expected = selected ? button_.selected()
                           : hovering ? button_.hover()
                           : focused ? button_.focus()
                           : disabled ? button_.disabled()
                                      : button_.normal();
        EXPECT_EQ(draw_in_state(state), expected) << "combination " << combination;
    }
}

TEST_F(BitmapButton, NormalOnlyButtonLooksTheSameAndNeverTracksLeaving) {
    ASSERT_TRUE(button_.LoadStateBitmaps(IDB_READER));
    SetCursorPos(100 + 10 + 5, 100 + 10 + 5);
    start_hovering();
    EXPECT_FALSE(button_.hovering());
    EXPECT_FALSE(leave_requested());
    for (UINT state : {0u, UINT(ODS_SELECTED), UINT(ODS_FOCUS), UINT(ODS_DISABLED)})
        EXPECT_EQ(draw_in_state(state), button_.normal());
}

TEST_F(BitmapButton, PassingOverRepaintsOnEntryAndOnLeaving) {
    ASSERT_TRUE(button_.LoadStateBitmaps(IDB_CLOSE_NORMAL, IDB_CLOSE_SELECTED, IDB_CLOSE_FOCUS,
                                         IDB_CLOSE_NORMAL, IDB_CLOSE_FOCUS));
    button_.SizeToContent();
    pump(100);
    SetCursorPos(100 + 10 + 5, 100 + 10 + 5);
    button_.drawn.clear();
    start_hovering();
    EXPECT_TRUE(button_.hovering());
    EXPECT_TRUE(leave_requested());
    ASSERT_EQ(button_.drawn.size(), 1u);
    EXPECT_EQ(button_.drawn[0], button_.hover());
    // A second movement changes nothing.
    start_hovering();
    EXPECT_EQ(button_.drawn.size(), 1u);

    SetCursorPos(400, 400);
    for (int i = 0; i < 100 && button_.hovering(); ++i) pump(20);
    EXPECT_FALSE(button_.hovering());
    ASSERT_EQ(button_.drawn.size(), 2u);
    EXPECT_EQ(button_.drawn[1], button_.normal());
}

TEST_F(BitmapButton, PressEndsHoveringAndDrawsWithoutTheHoverBitmap) {
    ASSERT_TRUE(button_.LoadStateBitmaps(IDB_CLOSE_NORMAL, IDB_CLOSE_SELECTED, 0, 0, IDB_CLOSE_FOCUS));
    SetCursorPos(100 + 10 + 5, 100 + 10 + 5);
    start_hovering();
    ASSERT_TRUE(button_.hovering());
    button_.drawn.clear();
    SendMessageW(button_.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_FALSE(button_.hovering());
    UpdateWindow(button_.m_hWnd);
    for (HBITMAP drawn : button_.drawn) EXPECT_NE(drawn, button_.hover());
    SendMessageW(button_.m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
}

TEST_F(BitmapButton, HandCursorOnlyOverAnEnabledButton) {
    ASSERT_TRUE(button_.LoadStateBitmaps(IDB_READER));
    HCURSOR hand = LoadCursorW(nullptr, IDC_HAND);
    HCURSOR wait = LoadCursorW(nullptr, IDC_WAIT);
    LPARAM over_client = MAKELPARAM(HTCLIENT, WM_MOUSEMOVE);

    SetCursor(wait);
    EXPECT_TRUE(SendMessageW(button_.m_hWnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(button_.m_hWnd), over_client));
    EXPECT_EQ(GetCursor(), hand);

    EnableWindow(button_.m_hWnd, FALSE);
    SetCursor(wait);
    SendMessageW(button_.m_hWnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(button_.m_hWnd), over_client);
    EXPECT_NE(GetCursor(), hand);
}

TEST_F(BitmapButton, OwnerDrawnOnlyWhenEveryGivenBitmapLoads) {
    auto type = [&] { return GetWindowLongPtrW(button_.m_hWnd, GWL_STYLE) & BS_TYPEMASK; };
    const UINT missing = 4000;
    EXPECT_FALSE(button_.LoadStateBitmaps(missing, IDB_CLOSE_SELECTED));
    EXPECT_EQ(button_.selected(), nullptr);  // nothing after a missing normal bitmap
    EXPECT_FALSE(button_.LoadStateBitmaps(IDB_CLOSE_NORMAL, missing, IDB_CLOSE_FOCUS));
    EXPECT_NE(button_.focus(), nullptr);     // loading went on
    EXPECT_EQ(type(), BS_PUSHBUTTON);
    EXPECT_TRUE(button_.LoadStateBitmaps(IDB_CLOSE_NORMAL, IDB_CLOSE_SELECTED));
    EXPECT_EQ(type(), BS_OWNERDRAW);
    EXPECT_EQ(button_.focus(), nullptr);     // released by the new load

    button_.SizeToContent();
    RECT rect{};
    GetClientRect(button_.m_hWnd, &rect);
    EXPECT_EQ(rect.right, 110);
    EXPECT_EQ(rect.bottom, 25);
}
