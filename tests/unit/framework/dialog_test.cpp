// Dialogs of the framework: binding, the modal loop, clicks, owner drawing
// and message boxes, on real windows.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>

#include "button.h"
#include "dialog.h"
#include "framework_test_ids.h"
#include "message_box.h"
#include "window_search.h"

namespace {

constexpr UINT WM_TEST_RUN = WM_APP + 1;

class drawn_button : public CButton {
public:
    void DrawItem(DRAWITEMSTRUCT* item) override {
        ++draws;
        FillRect(item->hDC, &item->rcItem, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    }
    int draws = 0;
};

// Records what reaches it; a step posted at WM_INITDIALOG runs `script`
// inside the modal loop.
class test_dialog : public CDialog {
public:
    test_dialog() : CDialog(IDD_TEST_DIALOG) {}

    std::function<void(test_dialog&)> script;
    CButton plain;
    drawn_button drawn;
    int inits = 0, oks = 0, clicks = 0;
    std::atomic<int> cancels{0};
    std::atomic<bool> cancel_ends{true};
    bool throw_on_click = false;

protected:
    void DoDataExchange() override {
        plain.SubclassDlgItem(IDC_TEST_BUTTON, m_hWnd);
        drawn.SubclassDlgItem(IDC_TEST_OWNERDRAW, m_hWnd);
    }
    BOOL OnInitDialog() override {
        ++inits;
        CDialog::OnInitDialog();
        PostMessageW(m_hWnd, WM_TEST_RUN, 0, 0);
        return TRUE;
    }
    void OnOK() override { ++oks; }
    void OnCancel() override {
        ++cancels;
        if (cancel_ends) CDialog::OnCancel();
    }
    bool OnButtonClicked(UINT id) override {
        if (id != IDC_TEST_BUTTON && id != IDC_TEST_OWNERDRAW) return false;
        ++clicks;
        if (throw_on_click) throw std::runtime_error("handler failure");
        return true;
    }
    bool OnMessage(UINT message, WPARAM, LPARAM, LRESULT&) override {
        if (message == WM_TEST_RUN && script) script(*this);
        return message == WM_TEST_RUN;
    }
};

void click_with_mouse(HWND button, bool twice) {
    LPARAM inside = MAKELPARAM(5, 5);
    SendMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, inside);
    SendMessageW(button, WM_LBUTTONUP, 0, inside);
    if (twice) {
        SendMessageW(button, WM_LBUTTONDBLCLK, MK_LBUTTON, inside);
        SendMessageW(button, WM_LBUTTONUP, 0, inside);
    }
}

}  // namespace

TEST(Dialog, ModalRunBindsItemsAndForgetsWindowsWhenDestroyed) {
    test_dialog dialog;
    HWND seen_plain = nullptr;
    dialog.script = [&](test_dialog& d) {
        seen_plain = d.plain.m_hWnd;
        EXPECT_EQ(CWnd::FromHandle(d.plain.m_hWnd), &d.plain);
        EXPECT_EQ(CWnd::FromHandle(d.m_hWnd), nullptr);  // dialogs are not subclassed
        PostMessageW(d.m_hWnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    };
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.inits, 1);
    EXPECT_EQ(dialog.cancels, 1);
    EXPECT_NE(seen_plain, nullptr);
    EXPECT_EQ(dialog.m_hWnd, nullptr);
    EXPECT_EQ(dialog.plain.m_hWnd, nullptr);
    EXPECT_EQ(dialog.drawn.m_hWnd, nullptr);
}

TEST(Dialog, CloseBoxEscapeAndCloseAllArriveAsCancel) {
    test_dialog dialog;
    dialog.cancel_ends = false;
    dialog.script = [](test_dialog& d) {
        PostMessageW(d.m_hWnd, WM_SYSCOMMAND, SC_CLOSE, 0);
        PostMessageW(d.m_hWnd, WM_CLOSE, 0, 0);
        PostMessageW(d.m_hWnd, WM_KEYDOWN, VK_ESCAPE, 0);
    };
    // After the three, end the dialog for good.
    std::thread ender([&] {
        for (int i = 0; i < 200 && dialog.cancels < 3; ++i) Sleep(10);
        dialog.cancel_ends = true;
        HWND window = window_search::own_window(nullptr, L"framework test");
        PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    ender.join();
    EXPECT_EQ(dialog.cancels, 4);
    EXPECT_EQ(dialog.oks, 0);
}

TEST(Dialog, FastSecondClickOnOwnerDrawnButtonCountsAsClick) {
    test_dialog dialog;
    dialog.script = [](test_dialog& d) {
        click_with_mouse(d.drawn.m_hWnd, true);
        click_with_mouse(d.plain.m_hWnd, false);
        EndDialog(d.m_hWnd, IDOK);
    };
    dialog.DoModal();
    EXPECT_EQ(dialog.clicks, 3);
}

TEST(Dialog, OwnerDrawingReachesTheBoundControl) {
    test_dialog dialog;
    dialog.script = [](test_dialog& d) {
        d.drawn.draws = 0;
        RedrawWindow(d.drawn.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        EndDialog(d.m_hWnd, IDOK);
    };
    dialog.DoModal();
    EXPECT_GE(dialog.drawn.draws, 1);
}

TEST(Dialog, ExceptionInAHandlerDoesNotLeaveTheDialog) {
    test_dialog dialog;
    dialog.throw_on_click = true;
    dialog.script = [](test_dialog& d) {
        SendMessageW(d.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_TEST_BUTTON, BN_CLICKED),
                     reinterpret_cast<LPARAM>(d.plain.m_hWnd));
        EndDialog(d.m_hWnd, 42);
    };
    EXPECT_EQ(dialog.DoModal(), 42);
    EXPECT_EQ(dialog.clicks, 1);
}

TEST(Dialog, ModelessDialogLivesUntilDestroyed) {
    test_dialog dialog;
    ASSERT_TRUE(dialog.Create(IDD_TEST_DIALOG));
    HWND window = dialog.m_hWnd;
    EXPECT_TRUE(IsWindow(window));
    EXPECT_NE(dialog.plain.m_hWnd, nullptr);
    dialog.CenterWindow();
    EXPECT_TRUE(dialog.DestroyWindow());
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(dialog.m_hWnd, nullptr);
    EXPECT_EQ(dialog.plain.m_hWnd, nullptr);
}

TEST(Dialog, MissingTemplateFails) {
    CDialog dialog(999);
    EXPECT_EQ(dialog.DoModal(), -1);
    EXPECT_FALSE(dialog.Create(999));
}

TEST(ProgramMessage, CaptionIsProgramNameAndTextComesFromStringTable) {
    std::atomic<int> result{-1};
    std::thread shower([&] { result = message_box_by_id(nullptr, IDS_TEST_MESSAGE, MB_OK); });
    HWND box = nullptr;
    for (int i = 0; i < 500 && !box; ++i) {
        box = window_search::own_window(L"#32770", L"framework_test");
        if (!box) Sleep(10);
    }
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(program_caption(), L"framework_test");
    wchar_t text[128] = {};
    SendMessageW(GetDlgItem(box, 0xFFFF), WM_GETTEXT, 128, reinterpret_cast<LPARAM>(text));
    EXPECT_EQ(std::wstring(text), L"first line\nsecond line");
    PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    shower.join();
    EXPECT_EQ(result, IDOK);
}
