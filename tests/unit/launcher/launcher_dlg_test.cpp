// The launcher window with workers that block, ignore their stop request
// or do what the real runs do so far, worked from a second thread the way
// clicks would.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "launcher_dlg.h"
#include "resource.h"
#include "resource_text.h"
#include "win_handle.h"
#include "window_class.h"
#include "window_search.h"

namespace {

std::atomic<int> install_runs{0};
std::atomic<int> manual_runs{0};
HANDLE install_release = nullptr;
HANDLE manual_release = nullptr;

UINT blocking_install(LPVOID) {
    ++install_runs;
    WaitForSingleObject(install_release, 20000);
    return 0;
}

UINT blocking_manual(LPVOID) {
    ++manual_runs;
    WaitForSingleObject(manual_release, 20000);
    return 0;
}

// Ignores its stop request entirely.
std::atomic<HANDLE> stubborn_thread{nullptr};
UINT stubborn_worker(LPVOID) {
    HANDLE self = nullptr;
    DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &self, 0, FALSE,
                    DUPLICATE_SAME_ACCESS);
    stubborn_thread = self;
    for (;;) Sleep(10);
}

// Ends soon after its stop request.
std::atomic<HANDLE> obedient_thread{nullptr};
UINT obedient_worker(LPVOID param) {
    HANDLE self = nullptr;
    DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &self, 0, FALSE,
                    DUPLICATE_SAME_ACCESS);
    obedient_thread = self;
    auto* dialog = static_cast<CLauncherDlg*>(param);
    while (!dialog->manual_stop) Sleep(10);
    return 0;
}

// Waits for its stop request, then notes whether the progress window it
// drives is still there.
std::atomic<int> progress_alive_at_stop{-1};
UINT progress_watching_install(LPVOID param) {
    auto* dialog = static_cast<CLauncherDlg*>(param);
    ++install_runs;
    while (!dialog->install_stop) Sleep(10);
    CEasyProgress* progress = dialog->progress();
    progress_alive_at_stop = progress && progress->m_hWnd && IsWindow(progress->m_hWnd);
    return 0;
}

// Presses Install without a launcher window.
class install_pressing_dialog : public CLauncherDlg {
public:
    using CLauncherDlg::CLauncherDlg;
    void press_install() { OnOK(); }
};

template <typename Condition>
bool wait_until(Condition condition, DWORD timeout_ms = 5000) {
    for (DWORD waited = 0; waited < timeout_ms; waited += 10) {
        if (condition()) return true;
        Sleep(10);
    }
    return condition();
}

// A launcher-class window of another process on the shared desktop, like
// another test's launcher, for as long as the object lives.
class stray_launcher {
public:
    stray_launcher() {
        wchar_t self[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        std::wstring program = self;
        program = program.substr(0, program.rfind(L'\\') + 1) + L"stray_launcher_window.exe";
        std::wstring command = L"\"" + program + L"\" " + std::to_wstring(GetCurrentProcessId());
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION started{};
        // Wine very rarely refuses a start on a busy machine; a second try works.
        for (int attempt = 0; attempt < 2 && !started.hProcess; ++attempt)
            CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started);
        if (!started.hProcess) return;
        process_.reset(started.hProcess);
        kernel_handle thread(started.hThread);
        thread_id_ = started.dwThreadId;
        window_search::filter its_window;
        its_window.process_id = started.dwProcessId;
        its_window.class_name = launcher_window_class;
        its_window.visible_only = true;
        shown_ = wait_until([&] { return !window_search::top_level_windows(its_window).empty(); }, 10000);
    }
    // Its window goes as the program ends, which takes Wine about two
    // seconds; nothing waits for that (it ends with this process anyway).
    ~stray_launcher() {
        if (process_) PostThreadMessageW(thread_id_, WM_QUIT, 0, 0);
    }
    bool shown() const { return shown_; }

private:
    kernel_handle process_;
    DWORD thread_id_ = 0;
    bool shown_ = false;
};

class LauncherDialog : public ::testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
        InitCommonControlsEx(&controls);
        ASSERT_TRUE(register_launcher_window_class(GetModuleHandleW(nullptr)));
        install_runs = 0;
        manual_runs = 0;
        install_release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        manual_release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    }
    void TearDown() override {
        SetEvent(install_release);
        SetEvent(manual_release);
    }

    // Runs the dialog modally on this thread while `driver` works it from
    // another; the dialog's result, or 0 when the driver had to force it.
    INT_PTR run(CLauncherDlg& dialog, std::function<void(HWND)> driver) {
        stray_launcher stray;
        EXPECT_TRUE(stray.shown()) << "the other process's launcher window";
        std::thread worker([&] {
            HWND window = nullptr;
            wait_until([&] {
                window = window_search::own_window(launcher_window_class);
                return window && IsWindowVisible(window);
            });
            Sleep(100);
            if (window) driver(window);
            // Whatever happened, the dialog must end.
            SetEvent(install_release);
            SetEvent(manual_release);
            if (!wait_until([&] { return !IsWindow(window); }, 3000)) {
                ADD_FAILURE() << "the launcher window did not close";
                PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
            }
        });
        INT_PTR result = dialog.DoModal();
        worker.join();
        return result;
    }

    static void click(HWND window, int id) { PostMessageW(GetDlgItem(window, id), BM_CLICK, 0, 0); }
    static void try_every_close(HWND window) {
        PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        PostMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0);
        click(window, IDCANCEL);
        Sleep(300);
    }
};

}  // namespace

TEST_F(LauncherDialog, ClientAreaCheckBoxTextAndShieldAreSetUp) {
    CLauncherDlg dialog(blocking_install, blocking_manual);
    RECT client{};
    wchar_t check_text[128] = {};
    HICON image = nullptr;
    INT_PTR result = run(dialog, [&](HWND window) {
        GetClientRect(window, &client);
        image = reinterpret_cast<HICON>(SendMessageW(GetDlgItem(window, IDOK), BM_GETIMAGE, IMAGE_ICON, 0));
        SendMessageW(GetDlgItem(window, IDC_CHOOSE_FOLDER), WM_GETTEXT, 128, reinterpret_cast<LPARAM>(check_text));
        click(window, IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(client.right, 640);
    EXPECT_EQ(client.bottom, 440);
    EXPECT_EQ(std::wstring(check_text), load_resource_string(IDS_CHOOSE_FOLDER));
    EXPECT_NE(image, nullptr);
    EXPECT_EQ(image, dialog.install_button.icon.get());
    EXPECT_EQ(dialog.install_button.show_icon, 1u);
}

TEST_F(LauncherDialog, CloseDoesNothingWhileAWorkerRunsAndEndsTheLauncherOtherwise) {
    CLauncherDlg dialog(blocking_install, blocking_manual);
    bool open_during_install = false, open_during_manual = false;
    int runs_after_second_install = 0;
    bool progress_kept = false;
    INT_PTR result = run(dialog, [&](HWND window) {
        click(window, IDOK);
        ASSERT_TRUE(wait_until([] { return install_runs == 1; }));
        try_every_close(window);
        open_during_install = IsWindow(window);

        // A second Install during the run starts nothing and leaves the
        // progress window that the run uses in place.
        HWND first_progress = dialog.progress() ? dialog.progress()->m_hWnd : nullptr;
        click(window, IDOK);
        Sleep(300);
        runs_after_second_install = install_runs;
        progress_kept = first_progress && IsWindow(first_progress) && dialog.progress() &&
                        dialog.progress()->m_hWnd == first_progress;

        // The guide runs beside the install run.
        click(window, IDC_GUIDE);
        ASSERT_TRUE(wait_until([] { return manual_runs == 1; }));
        SetEvent(install_release);
        ASSERT_TRUE(wait_until([&] { return !dialog.install_worker()->is_running(); }));
        try_every_close(window);
        open_during_manual = IsWindow(window);

        SetEvent(manual_release);
        ASSERT_TRUE(wait_until([&] { return !dialog.manual_worker()->is_running(); }));
        PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    EXPECT_TRUE(open_during_install);
    EXPECT_TRUE(open_during_manual);
    EXPECT_EQ(runs_after_second_install, 1);
    EXPECT_TRUE(progress_kept);
    EXPECT_EQ(manual_runs, 1);
    EXPECT_EQ(result, IDCANCEL);
}

TEST_F(LauncherDialog, EscapeEndsTheLauncherWhenNothingRuns) {
    CLauncherDlg dialog(blocking_install, blocking_manual);
    INT_PTR result = run(dialog, [](HWND window) { PostMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0); });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(install_runs, 0);
}

TEST_F(LauncherDialog, InstallMakesAHiddenProgressWindowAndTheRunReenablesItsControls) {
    CLauncherDlg dialog;  // the real worker procedures
    bool progress_hidden = false, enabled_after = false;
    INT_PTR result = run(dialog, [&](HWND window) {
        click(window, IDOK);
        ASSERT_TRUE(wait_until([&] { return dialog.install_worker() && !dialog.install_worker()->is_running(); }));
        CEasyProgress* progress = dialog.progress();
        ASSERT_NE(progress, nullptr);
        progress_hidden = progress->m_hWnd && !IsWindowVisible(progress->m_hWnd);
        enabled_after = IsWindowEnabled(GetDlgItem(window, IDOK)) && IsWindowEnabled(GetDlgItem(window, IDC_CHOOSE_FOLDER));
        click(window, IDC_GUIDE);
        ASSERT_TRUE(wait_until([&] { return dialog.manual_worker() && !dialog.manual_worker()->is_running(); }));
        enabled_after = enabled_after && IsWindowEnabled(GetDlgItem(window, IDC_GUIDE));
        click(window, IDCANCEL);
    });
    EXPECT_TRUE(progress_hidden);
    EXPECT_TRUE(enabled_after);
    EXPECT_EQ(result, IDCANCEL);
}

TEST_F(LauncherDialog, DestroyingStopsBothWorkersAndTerminatesOneThatIgnoresTheStop) {
    stubborn_thread = nullptr;
    obedient_thread = nullptr;
    auto* dialog = new CLauncherDlg(stubborn_worker, obedient_worker);
    ASSERT_TRUE(dialog->start_install_worker());
    ASSERT_TRUE(dialog->start_manual_worker());
    ASSERT_TRUE(wait_until([] { return stubborn_thread && obedient_thread; }));
    kernel_handle stubborn(stubborn_thread.load());
    kernel_handle obedient(obedient_thread.load());

    DWORD start = GetTickCount();
    delete dialog;
    DWORD elapsed = GetTickCount() - start;
    EXPECT_GE(elapsed, 900u);
    EXPECT_LT(elapsed, 2500u);

    ASSERT_EQ(WaitForSingleObject(stubborn.get(), 2000), WAIT_OBJECT_0);
    ASSERT_EQ(WaitForSingleObject(obedient.get(), 0), WAIT_OBJECT_0);
    DWORD code = 0;
    GetExitCodeThread(stubborn.get(), &code);
    EXPECT_EQ(code, 0xFFFFFFFFu);
    GetExitCodeThread(obedient.get(), &code);
    EXPECT_EQ(code, 0u);
}

TEST_F(LauncherDialog, StopReportsWhetherTheWorkerEnded) {
    CLauncherDlg dialog(blocking_install, obedient_worker);
    EXPECT_TRUE(dialog.stop_install_worker());  // none yet
    ASSERT_TRUE(dialog.start_install_worker());
    ASSERT_TRUE(dialog.start_install_worker());  // already running: nothing new
    ASSERT_TRUE(wait_until([] { return install_runs == 1; }));
    EXPECT_EQ(install_runs, 1);
    EXPECT_FALSE(dialog.stop_install_worker());  // blocked, ignores the flag
    EXPECT_EQ(dialog.install_stop, 1);
    SetEvent(install_release);
    ASSERT_TRUE(dialog.start_manual_worker());
    EXPECT_TRUE(dialog.stop_manual_worker());
    EXPECT_TRUE(wait_until([&] { return dialog.stop_install_worker(); }));
    // A finished worker is replaced by a new start, with the flag cleared.
    ResetEvent(install_release);
    ASSERT_TRUE(dialog.start_install_worker());
    EXPECT_EQ(dialog.install_stop, 0);
    ASSERT_TRUE(wait_until([] { return install_runs == 2; }));
    SetEvent(install_release);
}

TEST_F(LauncherDialog, DestroyingLeavesTheProgressWindowUntilTheInstallWorkerHasEnded) {
    progress_alive_at_stop = -1;
    auto* dialog = new install_pressing_dialog(progress_watching_install, blocking_manual);
    dialog->press_install();
    ASSERT_TRUE(wait_until([] { return install_runs == 1; }));
    ASSERT_NE(dialog->progress(), nullptr);
    delete dialog;
    EXPECT_EQ(progress_alive_at_stop, 1);
}
