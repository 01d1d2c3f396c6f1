#include "setup_runner.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "data_control.h"
#include "held_setup_run.h"
#include "locations/scratch_folder.h"
#include "message_box_watch.h"
#include "path_util.h"
#include "setup/standin.h"
#include "test_windows.h"

namespace {

const std::wstring easy_no_log = L"/v\"SETUP_EASY_INSTALL=\"1\"\"";
const std::wstring choose_no_log = L"/v\"SETUP_EASY_INSTALL=\"0\"\"";
const std::wstring easy_with_log = L"/v\"SETUP_EASY_INSTALL=\"1\" /L*v \".\\instlog.txt\"\"";
const std::wstring choose_with_log = L"/v\"SETUP_EASY_INSTALL=\"0\" /L*v \".\\instlog.txt\"\"";

// A stand-in that ends at once is seen well within the wait; one that
// keeps running is given up on after it.
constexpr DWORD quick_run_limit_ms = 4000;
constexpr DWORD box_wait_ms = 10000;

bool ends_with(const std::wstring& text, const std::wstring& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

std::wstring without_trailing_backslash(std::wstring folder) {
    if (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    return folder;
}

class SetupRun : public ::testing::Test {
protected:
    ~SetupRun() override {
        end_standins(medium_setups());
        end_standins(temporary_setups());
    }

    std::wstring medium_setups() const { return scratch.path() + L"medium\\ovn6setup\\"; }
    std::wstring temporary_setups() const { return scratch.path() + L"temp\\ovn6setup\\"; }

    scratch_folder scratch;
};

TEST_F(SetupRun, ExitCodeOfASetupThatEndsWithinTheWait) {
    const std::wstring setup = medium_setups() + L"setup64.exe";
    for (unsigned exit_code : {0u, 1605u}) {
        ASSERT_TRUE(place_standin(setup, exit_code));
        DWORD start = ::GetTickCount();
        EXPECT_EQ(run_setup_and_wait(setup, easy_no_log), static_cast<int>(exit_code));
        EXPECT_LT(::GetTickCount() - start, quick_run_limit_ms);
    }
    EXPECT_EQ(standin_runs(medium_setups()).size(), 2u);
}

TEST_F(SetupRun, SetupStillRunningAfterTheWaitGives258) {
    const std::wstring setup = medium_setups() + L"setup64.exe";
    ASSERT_TRUE(place_standin(setup, 0, 3 * setup_wait_ms));
    DWORD start = ::GetTickCount();
    EXPECT_EQ(run_setup_and_wait(setup, easy_no_log), static_cast<int>(WAIT_TIMEOUT));
    DWORD waited = ::GetTickCount() - start;
    EXPECT_GE(waited, setup_wait_ms - 100);
    EXPECT_LT(waited, setup_wait_ms + 2500);
}

// A file the shell cannot start gives a launch error, never a success or
// "still running". No "no UI" flag is passed, so the shell first shows a
// box of its own; Wine's box leaves an unrelated thread error behind, so
// the exact code is not checked here.
int launch_result(const std::wstring& path) {
    int result = 0;
    worker_run run([&] { result = run_setup_and_wait(path, easy_no_log); });
    if (!run.finished_within(2000)) {
        HWND box = wait_for_message_box(run.thread_id(), box_wait_ms);
        if (box) ::PostMessageW(box, WM_CLOSE, 0, 0);
        EXPECT_TRUE(run.finished_within(box_wait_ms));
    }
    return result;
}

TEST_F(SetupRun, FilesTheShellCannotStartGiveALaunchError) {
    const std::wstring not_a_program = medium_setups() + L"setup64.exe";
    ASSERT_TRUE(write_file(not_a_program, "not a program"));
    for (const std::wstring& path : {not_a_program, medium_setups() + L"setup32.exe"}) {
        int result = launch_result(path);
        EXPECT_NE(result, 0);
        EXPECT_NE(result, static_cast<int>(WAIT_TIMEOUT));
    }
}

// What the stand-in received: the exact parameters, the installer's view
// of them, and the setup's own folder as the working folder; and the verb
// the shell was asked for, "runas" on this system (Windows 7).
TEST_F(SetupRun, EachSetupGetsItsCommandLineInItsOwnFolder) {
    struct row {
        const char* name;
        int setup_kind;  // 0: the download
        bool easy_install;
        const std::wstring* parameters;
        const wchar_t* property;
    };
    const row rows[] = {
        {"medium, easy", setup_kind_beside_launcher, true, &easy_no_log, L"SETUP_EASY_INSTALL=1"},
        {"medium, choose", setup_kind_beside_launcher, false, &choose_no_log, L"SETUP_EASY_INSTALL=0"},
        {"temporary, easy", setup_kind_temporary, true, &easy_with_log, L"SETUP_EASY_INSTALL=1"},
        {"temporary, choose", setup_kind_temporary, false, &choose_with_log, L"SETUP_EASY_INSTALL=0"},
        {"download, easy", setup_kind_none, true, &easy_with_log, L"SETUP_EASY_INSTALL=1"},
        {"download, choose", setup_kind_none, false, &choose_with_log, L"SETUP_EASY_INSTALL=0"},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.name);
        const bool with_log = r.setup_kind != setup_kind_beside_launcher;
        const std::wstring folder = with_log ? temporary_setups() : medium_setups();
        remove_tree(folder);
        ASSERT_TRUE(place_standin(folder + L"setup64.exe", 0));

        CDataControl data(scratch.path() + L"medium\\", true);
        data.install().easy_install = r.easy_install;
        {
            current_folder_scope current(folder);
            if (r.setup_kind == setup_kind_none) {
                data.install().download_path = folder + L"setup64.exe";
                run_downloaded_setup(data);
            } else {
                data.install().setup_kind = r.setup_kind;
                data.install().setup_path = folder + L"setup64.exe";
                run_existing_setup(data);
            }
        }

        std::vector<standin_run> runs = standin_runs(folder);
        ASSERT_EQ(runs.size(), 1u);
        const standin_run& run = runs[0];
        EXPECT_TRUE(ends_with(run.value(L"command_line"), L" " + *r.parameters)) << run.value(L"command_line");
        EXPECT_EQ(::lstrcmpiW(run.value(L"working_folder").c_str(), without_trailing_backslash(folder).c_str()), 0)
            << run.value(L"working_folder");
        ASSERT_EQ(run.properties.size(), 1u);
        EXPECT_EQ(run.properties[0], r.property);
        EXPECT_EQ(run.value(L"log_file"), with_log ? L".\\instlog.txt" : L"");
        EXPECT_EQ(file_exists(folder + L"instlog.txt"), with_log);

        std::vector<std::wstring> verbs = shell_verbs(folder);
        ASSERT_EQ(verbs.size(), 1u);
        // Elevated from Vista on; on XP opened, and never retried elevated.
        EXPECT_EQ(::lstrcmpiW(verbs[0].c_str(), (std::wstring(test_windows::setup_verb) + L"\t" + folder +
                                                 L"setup64.exe").c_str()),
                  0)
            << verbs[0];
    }
}

// A setup held through a folder link starts in the folder it really lies
// in: the shell is not sent down a path that could be pointed elsewhere
// after the check.
TEST_F(SetupRun, HeldSetupStartsInTheFolderItReallyLiesIn) {
    const std::wstring real = OVN_REAL_SETUPS;
    remove_tree(real);
    ASSERT_TRUE(place_standin(real + L"setup64.exe", 0));
    CDataControl data(scratch.path() + L"medium\\", true);
    data.install().download_path = std::wstring(OVN_LINKED_SETUPS) + L"setup64.exe";
    {
        current_folder_scope current(real);
        EXPECT_TRUE(run_held_downloaded_setup(data, nullptr));
    }
    std::vector<standin_run> runs = standin_runs(real);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(::lstrcmpiW(runs[0].value(L"working_folder").c_str(), without_trailing_backslash(real).c_str()), 0)
        << runs[0].value(L"working_folder");
    end_standins(real);
}

TEST_F(SetupRun, NothingRunsWithoutASetupOrAPath) {
    CDataControl data(scratch.path() + L"medium\\", true);
    const std::wstring setup = medium_setups() + L"setup64.exe";
    ASSERT_TRUE(place_standin(setup, 0));
    data.install().setup_path = setup;
    data.install().setup_kind = setup_kind_none;
    run_existing_setup(data);
    data.install().setup_kind = setup_kind_beside_launcher;
    data.install().setup_path.clear();
    run_existing_setup(data);
    run_downloaded_setup(data);  // no download path
    EXPECT_TRUE(standin_runs(medium_setups()).empty());
}

// Exit codes 5 and 1223 mean the setup was refused the rights it needs.
TEST_F(SetupRun, RefusedElevationShowsTheAdministratorMessage) {
    for (unsigned exit_code : {5u, 1223u}) {
        SCOPED_TRACE(exit_code);
        const std::wstring setup = temporary_setups() + L"setup64.exe";
        ASSERT_TRUE(place_standin(setup, exit_code));
        CDataControl data(scratch.path() + L"medium\\", true);
        data.install().download_path = setup;

        worker_run run([&] { run_downloaded_setup(data); });
        HWND box = wait_for_message_box(run.thread_id(), box_wait_ms);
        ASSERT_NE(box, nullptr);
        message_box_view view = read_message_box(box);
        EXPECT_EQ(view.caption, L"setup_run_test");
        EXPECT_EQ(view.text, L"管理者権限が必要です。");
        EXPECT_EQ(view.icon, ::LoadIconW(nullptr, IDI_EXCLAMATION));
        EXPECT_TRUE(view.has_ok);
        EXPECT_FALSE(view.has_yes || view.has_no || view.has_cancel);
        answer_message_box(box, IDOK);
        EXPECT_TRUE(run.finished_within(box_wait_ms));
    }
}

// Other outcomes, a setup still running among them, show nothing: the run
// ends by itself.
TEST_F(SetupRun, OtherOutcomesShowNothing) {
    const std::wstring failing = medium_setups() + L"setup64.exe";
    const std::wstring running = temporary_setups() + L"setup64.exe";
    ASSERT_TRUE(place_standin(failing, 1603));
    ASSERT_TRUE(place_standin(running, 0, 3 * setup_wait_ms));
    CDataControl data(scratch.path() + L"medium\\", true);
    data.install().setup_kind = setup_kind_beside_launcher;
    data.install().setup_path = failing;
    data.install().download_path = running;

    worker_run run([&] {
        run_existing_setup(data);
        run_downloaded_setup(data);
    });
    EXPECT_TRUE(run.finished_within(setup_wait_ms + 5000));
    EXPECT_EQ(standin_runs(medium_setups()).size(), 1u);
    EXPECT_EQ(standin_runs(temporary_setups()).size(), 1u);
}

}  // namespace
