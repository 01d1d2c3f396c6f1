// The downloader behind an authenticating proxy set as the system proxy.
// This program runs in a Wine prefix of its own, so the setting reaches no
// other test.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "http/shared_state.h"
#include "http/test_servers.h"
#include "http_client.h"
#include "installer_downloader.h"
#include "downloader/list_server.h"
#include "win_handle.h"
#include "window_search.h"

// A hidden owner window for the platform's password dialog, with a message
// pump of its own while a request blocks the test's thread.
class owner_window {
public:
    owner_window() {
        window_ = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    }
    ~owner_window() {
        if (window_) DestroyWindow(window_);
    }
    HWND get() const { return window_; }

private:
    HWND window_;
};

// The user name edit of the platform's password dialog.
constexpr int password_user_edit_id = 1027;

// Reports (and cancels) any password dialog of this process while alive.
// Given the driver's process, it starts once the driver has ended and the
// dialog it answered has closed.
class dialog_watch {
public:
    explicit dialog_watch(HANDLE driver = nullptr) : driver_(driver), thread_([this] { run(); }) {}
    ~dialog_watch() {
        stop_ = true;
        thread_.join();
    }
    bool seen() const { return seen_; }

private:
    static std::vector<HWND> password_dialogs() {
        window_search::filter password_dialog;
        password_dialog.process_id = GetCurrentProcessId();
        password_dialog.class_name = L"#32770";
        password_dialog.required_control = password_user_edit_id;
        return window_search::top_level_windows(password_dialog);
    }
    void run() {
        if (driver_) {
            while (!stop_ && WaitForSingleObject(driver_, poll_ms) == WAIT_TIMEOUT) {
            }
            while (!stop_ && !password_dialogs().empty()) Sleep(poll_ms);
        }
        while (!stop_) {
            for (HWND dialog : password_dialogs()) {
                seen_ = true;
                PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            }
            Sleep(poll_ms);
        }
    }
    static constexpr DWORD poll_ms = 50;
    HANDLE driver_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> seen_{false};
    std::thread thread_;
};

static std::wstring driver_path() {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path = self;
    path = path.substr(0, path.rfind(L'\\'));
    path = path.substr(0, path.rfind(L'\\') + 1);
    return path + L"http\\proxy_dialog_driver.exe";
}

static kernel_handle start_driver(const std::string& user, const std::string& password) {
    // The driver answers only dialogs of this process.
    std::wstring command = L"\"" + driver_path() + L"\" " + std::wstring(user.begin(), user.end()) + L" " +
                           std::wstring(password.begin(), password.end()) + L" 20000 " +
                           std::to_wstring(GetCurrentProcessId());
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return kernel_handle();
    CloseHandle(process.hThread);
    return kernel_handle(process.hProcess);
}

// Requests of one target that the proxy turned away: it logs every request
// it is asked for, and passes on only the authenticated ones.
static size_t refused_by_proxy(const std::string& target) {
    const std::string proxy_log = read_whole_file(test_env_w("OVN_TEST_PROXY_LOG"));
    const std::string asked = "GET http://127.0.0.1:" + server_port("OVN_TEST_HTTP_PORT") + target + " ";
    size_t asked_count = 0;
    for (size_t at = proxy_log.find(asked); at != std::string::npos; at = proxy_log.find(asked, at + 1))
        ++asked_count;
    return asked_count - recorded_requests_for(target).size();
}

TEST(DownloaderProxy, GivenCredentialsTravelToTheNextRequest) {
    REQUIRE_LOCAL_LIST_SERVER();
    scoped_system_proxy proxy(server_port("OVN_TEST_PROXY_PORT"));
    set_route(list_path, 200, list_body());
    CInstallerDownloader downloader;
    downloader.proxy_user = test_env("OVN_TEST_PROXY_USER");
    downloader.proxy_password = test_env("OVN_TEST_PROXY_PASSWORD");
    ASSERT_TRUE(downloader.DownloadLtFile(nullptr));
    EXPECT_EQ(test_env("OVN_TEST_PROXY_USER"), downloader.proxy_user);
    EXPECT_EQ(test_env("OVN_TEST_PROXY_PASSWORD"), downloader.proxy_password);

    ASSERT_TRUE(downloader.DownloadFile(local_url("/bytes/2000"), nullptr, scratch_folder(L"p") + L"a.exe"));
    EXPECT_EQ(1u, recorded_requests_for("/bytes/2000").size());
}

TEST(DownloaderProxy, CredentialsTypedAtThePromptGoWithTheDownload) {
    REQUIRE_LOCAL_LIST_SERVER();
    scoped_system_proxy proxy(server_port("OVN_TEST_PROXY_PORT"));
    set_route(list_path, 200, list_body());
    owner_window owner;
    ASSERT_TRUE(owner.get());
    CInstallerDownloader downloader;

    kernel_handle driver = start_driver(test_env("OVN_TEST_PROXY_USER"), test_env("OVN_TEST_PROXY_PASSWORD"));
    ASSERT_TRUE(driver);
    ASSERT_TRUE(downloader.DownloadLtFile(owner.get()));
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(driver.get(), 5000));
    DWORD answered = 1;
    GetExitCodeProcess(driver.get(), &answered);
    EXPECT_EQ(0u, answered) << "no password dialog was shown";
    EXPECT_EQ(test_env("OVN_TEST_PROXY_USER"), downloader.proxy_user);
    EXPECT_EQ(test_env("OVN_TEST_PROXY_PASSWORD"), downloader.proxy_password);

    bool prompted = false;
    {
        dialog_watch watch;
        EXPECT_TRUE(downloader.DownloadFile(local_url("/bytes/4000"), owner.get(),
                                            scratch_folder(L"typed") + L"setup.exe"));
        prompted = watch.seen();
    }
    EXPECT_FALSE(prompted) << "the download asked for the password again";
    EXPECT_EQ(1u, recorded_requests_for("/bytes/4000").size());
    // The platform's own first try goes out without credentials and is
    // answered inside the same send; no more refusals than that one.
    EXPECT_LE(refused_by_proxy("/bytes/4000"), 1u);
}

// The manual worker's requests start and end while the install worker's
// list request ends: what the user typed at the install worker's prompt
// still goes with its download, and nobody is asked twice.
TEST(DownloaderProxy, TypedCredentialsSurviveAnotherWorkersRequests) {
    REQUIRE_LOCAL_LIST_SERVER();
    scoped_system_proxy proxy(server_port("OVN_TEST_PROXY_PORT"));
    // A list that also names many older installers takes a while to read
    // after its answer came.
    std::string list = list_body();
    for (int i = 0; i < 5000; ++i)
        list += "both 5.0.0." + std::to_string(i) + " " + installer_digest + " http://127.0.0.1/old.exe\r\n";
    set_route(list_path, 200, list);
    owner_window owner;
    ASSERT_TRUE(owner.get());

    std::atomic<bool> stop{false};
    std::atomic<int> other_requests{0};
    std::thread other([&] {
        // Without a window the proxy's refusal brings no prompt.
        CInstallerDownloader manual;
        while (!stop) {
            manual.DownloadLtFile(nullptr);
            ++other_requests;
        }
    });

    CInstallerDownloader installer;
    kernel_handle driver = start_driver(test_env("OVN_TEST_PROXY_USER"), test_env("OVN_TEST_PROXY_PASSWORD"));
    ASSERT_TRUE(driver);
    bool listed = false, downloaded = false, prompted_again = false;
    int during_list = 0;
    {
        dialog_watch watch(driver.get());
        const int before = other_requests;
        listed = installer.DownloadLtFile(owner.get());
        during_list = other_requests - before;
        if (listed)
            downloaded = installer.DownloadFile(local_url("/bytes/3000"), owner.get(),
                                                scratch_folder(L"both") + L"setup.exe");
        prompted_again = watch.seen();
    }
    stop = true;
    other.join();

    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(driver.get(), 5000));
    DWORD answered = 1;
    GetExitCodeProcess(driver.get(), &answered);
    EXPECT_EQ(0u, answered) << "no password dialog was shown";
    EXPECT_TRUE(listed);
    EXPECT_GT(during_list, 0) << "the other worker made no request meanwhile";
    EXPECT_FALSE(prompted_again) << "the password was asked for again";
    EXPECT_TRUE(downloaded) << "typed credentials lost";
    EXPECT_EQ(test_env("OVN_TEST_PROXY_USER"), installer.proxy_user);
    EXPECT_EQ(1u, recorded_requests_for("/bytes/3000").size());
}
