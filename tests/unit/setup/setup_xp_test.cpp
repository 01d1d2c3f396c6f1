// The same setup start on a system before Vista: this program is told by
// the test prefix to report Windows XP, so the shell verb is "open".
#include "setup_runner.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "data_control.h"
#include "locations/scratch_folder.h"
#include "path_util.h"
#include "platform.h"
#include "setup/standin.h"

namespace {

TEST(SetupRunBeforeVista, SetupStartsWithTheOpenVerb) {
    ASSERT_FALSE(is_vista_or_later());
    scratch_folder scratch;
    const std::wstring folder = scratch.path() + L"temp\\ovn6setup\\";
    ASSERT_TRUE(place_standin(folder + L"setup64.exe", 1223));
    {
        current_folder_scope current(folder);
        EXPECT_EQ(run_setup_and_wait(folder + L"setup64.exe", setup_command_line(false, true)), 1223);
    }
    std::vector<std::wstring> verbs = shell_verbs(folder);
    ASSERT_EQ(verbs.size(), 1u);
    EXPECT_EQ(::lstrcmpiW(verbs[0].c_str(), (L"open\t" + folder + L"setup64.exe").c_str()), 0) << verbs[0];

    std::vector<standin_run> runs = standin_runs(folder);
    ASSERT_EQ(runs.size(), 1u);
    ASSERT_EQ(runs[0].properties.size(), 1u);
    EXPECT_EQ(runs[0].properties[0], L"SETUP_EASY_INSTALL=0");
    EXPECT_EQ(runs[0].value(L"log_file"), L".\\instlog.txt");
    EXPECT_TRUE(file_exists(folder + L"instlog.txt"));
}

}  // namespace
