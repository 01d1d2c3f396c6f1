#include "data_control.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "locations/scratch_folder.h"
#include "string_convert.h"
#include "test_windows.h"

namespace {

// MD5 of "abc" and of nothing.
const std::wstring digest_abc = L"900150983cd24fb0d6963f7d28e17f72";
const std::wstring digest_empty = L"d41d8cd98f00b204e9800998ecf8427e";

// Sets an environment variable for one test and puts back the old value.
class scoped_variable {
public:
    scoped_variable(const wchar_t* name, const wchar_t* value) : name_(name) {
        wchar_t old[32768];
        DWORD length = ::GetEnvironmentVariableW(name, old, 32768);
        had_ = length > 0 || ::GetLastError() != ERROR_ENVVAR_NOT_FOUND;
        if (had_) old_.assign(old, length);
        ::SetEnvironmentVariableW(name, value);
    }
    ~scoped_variable() { ::SetEnvironmentVariableW(name_, had_ ? old_.c_str() : nullptr); }

private:
    const wchar_t* name_;
    bool had_ = false;
    std::wstring old_;
};

// A medium folder for the launcher and a temporary folder that %temp%
// names, both inside a scratch folder of the test.
class Locations : public ::testing::Test {
protected:
    Locations()
        : medium(scratch.path() + L"medium\\"),
          temp(scratch.path() + L"temp"),
          temp_variable(L"TEMP", temp.c_str()),
          tmp_variable(L"TMP", temp.c_str()) {
        make_folders(medium);
        make_folders(temp + L"\\");
    }

    std::wstring medium_file(const wchar_t* name) const { return medium + L"ovn6setup\\" + name; }
    std::wstring temp_file(const wchar_t* name) const { return temp + L"\\ovn6setup\\" + name; }

    scratch_folder scratch;
    const std::wstring medium;
    const std::wstring temp;
    scoped_variable temp_variable;
    scoped_variable tmp_variable;
    stop_flag running = 0;
};

TEST_F(Locations, TemporarySetupWinsOverTheMediumsAndMediumIsNextInLine) {
    ASSERT_TRUE(write_file(temp_file(L"setup64.exe"), "abc"));
    ASSERT_TRUE(write_file(medium_file(L"setup64.exe"), ""));
    CDataControl data(medium, true);

    data.find_existing_setup(&running);
    EXPECT_EQ(data.install().setup_kind, setup_kind_temporary);
    EXPECT_EQ(data.install().setup_path, temp_file(L"setup64.exe"));
    EXPECT_EQ(data.install().setup_digest, digest_abc);

    ASSERT_TRUE(::DeleteFileW(temp_file(L"setup64.exe").c_str()));
    data.find_existing_setup(&running);
    EXPECT_EQ(data.install().setup_kind, setup_kind_beside_launcher);
    // The launcher's folder ends with a backslash; the path has no doubled one.
    EXPECT_EQ(data.install().setup_path, medium_file(L"setup64.exe"));
    EXPECT_EQ(data.install().setup_digest, digest_empty);
}

TEST_F(Locations, NothingAnywhereFindsNothing) {
    CDataControl data(medium, true);
    data.find_existing_setup(&running);
    data.find_local_manual(&running);
    EXPECT_EQ(data.install().setup_kind, setup_kind_none);
    EXPECT_TRUE(data.install().setup_path.empty());
    EXPECT_TRUE(data.install().setup_digest.empty());
    EXPECT_FALSE(data.manual().manual_found);
    EXPECT_TRUE(data.manual().manual_path.empty());
}

// Only the setup for this processor type counts, in both places.
TEST_F(Locations, OnlyThisProcessorsSetupIsLookedFor) {
    for (bool windows_64bit : {true, false}) {
        SCOPED_TRACE(windows_64bit ? "64-bit Windows" : "32-bit Windows");
        const wchar_t* mine = windows_64bit ? L"setup64.exe" : L"setup32.exe";
        const wchar_t* other = windows_64bit ? L"setup32.exe" : L"setup64.exe";
        remove_tree(medium + L"ovn6setup\\");
        remove_tree(temp + L"\\ovn6setup\\");
        ASSERT_TRUE(write_file(temp_file(other), "abc"));
        ASSERT_TRUE(write_file(medium_file(other), "abc"));
        CDataControl data(medium, windows_64bit);

        data.find_existing_setup(&running);
        EXPECT_EQ(data.install().setup_kind, setup_kind_none);

        ASSERT_TRUE(write_file(medium_file(mine), ""));
        data.find_existing_setup(&running);
        EXPECT_EQ(data.install().setup_kind, setup_kind_beside_launcher);
        EXPECT_EQ(data.install().setup_path, medium_file(mine));

        ASSERT_TRUE(write_file(temp_file(mine), ""));
        data.find_existing_setup(&running);
        EXPECT_EQ(data.install().setup_kind, setup_kind_temporary);
        EXPECT_EQ(data.install().setup_path, temp_file(mine));

        data.prepare_download_path(&running);
        EXPECT_EQ(data.install().download_path, temp_file(mine));
    }
}

// The launcher's own record asks the system: on 32-bit Windows setup32.exe.
TEST_F(Locations, TheSystemsProcessorTypeNamesTheSetup) {
    CDataControl data;
    data.prepare_download_path(&running);
    EXPECT_EQ(data.install().download_path, temp_file(test_windows::setup_name));
}

TEST_F(Locations, DownloadedSetupIsDigestedOnlyWhenItExists) {
    CDataControl data(medium, true);
    data.install().download_digest = L"stale";
    data.inspect_downloaded_setup(&running);  // no download path yet
    EXPECT_TRUE(data.install().download_digest.empty());

    data.prepare_download_path(&running);
    EXPECT_EQ(data.install().download_path, temp_file(L"setup64.exe"));
    data.install().download_digest = L"stale";
    data.inspect_downloaded_setup(&running);  // nothing downloaded
    EXPECT_TRUE(data.install().download_digest.empty());

    ASSERT_TRUE(write_file(temp_file(L"setup64.exe"), "abc"));
    data.inspect_downloaded_setup(&running);
    EXPECT_EQ(data.install().download_digest, digest_abc);
}

TEST_F(Locations, ManualBesideTheLauncherIsFoundWithItsDigest) {
    ASSERT_TRUE(write_file(medium_file(L"ovn6manual.pdf"), "abc"));
    CDataControl data(medium, false);
    data.find_local_manual(&running);
    EXPECT_TRUE(data.manual().manual_found);
    EXPECT_EQ(data.manual().manual_path, medium_file(L"ovn6manual.pdf"));
    EXPECT_EQ(data.manual().manual_digest, digest_abc);
}

// A user folder named with a letter that code page 932 lacks ("José"), so
// %temp% too, and a medium folder named so: the digests are still made, so
// the downloads and the manual of that user can pass their checks.
TEST_F(Locations, FoldersNamedOutsideTheAnsiCodePageKeepTheirDigests) {
    const std::wstring name = L"Jos\u00e9";
    ASSERT_NE(ansi_to_wide(wide_to_ansi(name)), name) << "the name must have no place in the ANSI code page";
    const std::wstring named_temp = scratch.path() + name + L"\\Temp";
    const std::wstring named_medium = scratch.path() + name + L"\\medium\\";
    scoped_variable temp_named(L"TEMP", named_temp.c_str());
    scoped_variable tmp_named(L"TMP", named_temp.c_str());
    ASSERT_TRUE(write_file(named_temp + L"\\ovn6setup\\setup64.exe", "abc"));
    ASSERT_TRUE(write_file(named_medium + L"ovn6setup\\setup64.exe", ""));
    ASSERT_TRUE(write_file(named_medium + L"ovn6setup\\ovn6manual.pdf", "abc"));
    CDataControl data(named_medium, true);

    data.find_existing_setup(&running);
    EXPECT_EQ(data.install().setup_kind, setup_kind_temporary);
    EXPECT_EQ(data.install().setup_digest, digest_abc);
    data.prepare_download_path(&running);
    data.inspect_downloaded_setup(&running);
    EXPECT_EQ(data.install().download_digest, digest_abc);

    ASSERT_TRUE(::DeleteFileW((named_temp + L"\\ovn6setup\\setup64.exe").c_str()));
    data.find_existing_setup(&running);
    EXPECT_EQ(data.install().setup_kind, setup_kind_beside_launcher);
    EXPECT_EQ(data.install().setup_digest, digest_empty);
    data.find_local_manual(&running);
    EXPECT_EQ(data.manual().manual_digest, digest_abc);
}

// Without %temp% the temporary candidate names no real file: the medium's
// setup is found and the download path keeps the variable as written.
TEST_F(Locations, UndefinedTempLeavesTheLiteralUnexpanded) {
    ASSERT_TRUE(write_file(medium_file(L"setup64.exe"), "abc"));
    scoped_variable no_temp(L"TEMP", nullptr);
    scoped_variable no_tmp(L"TMP", nullptr);
    CDataControl data(medium, true);

    data.find_existing_setup(&running);
    EXPECT_EQ(data.install().setup_kind, setup_kind_beside_launcher);
    data.prepare_download_path(&running);
    EXPECT_EQ(data.install().download_path, L"%temp%\\ovn6setup\\setup64.exe");
    data.inspect_downloaded_setup(&running);
    EXPECT_TRUE(data.install().download_digest.empty());
}

TEST_F(Locations, EmptyTempFindsNoTemporarySetup) {
    ASSERT_TRUE(write_file(medium_file(L"setup64.exe"), "abc"));
    scoped_variable empty_temp(L"TEMP", L"");
    scoped_variable empty_tmp(L"TMP", L"");
    CDataControl data(medium, true);
    data.find_existing_setup(&running);
    EXPECT_EQ(data.install().setup_kind, setup_kind_beside_launcher);
    EXPECT_EQ(data.install().setup_path, medium_file(L"setup64.exe"));
}

// A raised flag, or none at all, means the operations do nothing at all.
TEST_F(Locations, StopFlagRaisedOrMissingLeavesEveryFieldAsItWas) {
    ASSERT_TRUE(write_file(temp_file(L"setup64.exe"), "abc"));
    ASSERT_TRUE(write_file(medium_file(L"ovn6manual.pdf"), "abc"));
    const InstallPart install{setup_kind_beside_launcher, false, L"p", L"d", L"", L"dd", {}};
    const ManualPart manual{false, L"m", L"md", {}};
    stop_flag raised = 1;
    for (const stop_flag* stop : {static_cast<const stop_flag*>(&raised), static_cast<const stop_flag*>(nullptr)}) {
        CDataControl data(medium, true);
        data.install() = install;
        data.manual() = manual;
        data.find_existing_setup(stop);
        data.prepare_download_path(stop);
        data.inspect_downloaded_setup(stop);
        data.find_local_manual(stop);
        const InstallPart& now = data.install();
        EXPECT_EQ(now.setup_kind, install.setup_kind);
        EXPECT_EQ(now.easy_install, install.easy_install);
        EXPECT_EQ(now.setup_path, install.setup_path);
        EXPECT_EQ(now.setup_digest, install.setup_digest);
        EXPECT_EQ(now.download_path, install.download_path);
        EXPECT_EQ(now.download_digest, install.download_digest);
        EXPECT_EQ(data.manual().manual_found, manual.manual_found);
        EXPECT_EQ(data.manual().manual_path, manual.manual_path);
        EXPECT_EQ(data.manual().manual_digest, manual.manual_digest);
    }
}

TEST(LocationsDefault, LauncherFolderIsTheProgramsOwn) {
    wchar_t own[MAX_PATH + 1] = {};
    ::GetModuleFileNameW(nullptr, own, MAX_PATH);
    std::wstring expected(own);
    expected.erase(expected.rfind(L'\\') + 1);
    CDataControl data;
    EXPECT_EQ(data.launcher_folder(), expected);
}

// A launcher started from a share finds the files beside it. The share is
// a folder that Wine serves as \\localhost\NAME.
TEST(LocationsNetwork, ShareFolderKeepsItsLeadingBackslashes) {
    const std::wstring share_name = L"ovn-share-" + std::to_wstring(::GetCurrentProcessId());
    const std::wstring share_root = std::wstring(OVN_WINEPREFIX_WINDOWS) + L"\\dosdevices\\unc\\localhost\\";
    const std::wstring share = share_root + share_name + L"\\";
    ASSERT_TRUE(make_folders(share));
    struct cleanup {
        std::wstring folder;
        ~cleanup() { remove_tree(folder); }
    } remove_share{share};
    ASSERT_TRUE(write_file(share + L"ovn6setup\\setup64.exe", "abc"));
    ASSERT_TRUE(write_file(share + L"ovn6setup\\ovn6manual.pdf", ""));

    // An empty %temp% keeps a temporary setup of another test out of it.
    scoped_variable no_temp(L"TEMP", nullptr);
    stop_flag running = 0;
    const std::wstring launcher_folder = L"\\\\localhost\\" + share_name + L"\\";
    CDataControl data(launcher_folder, true);
    data.find_existing_setup(&running);
    data.find_local_manual(&running);
    EXPECT_EQ(data.install().setup_kind, setup_kind_beside_launcher);
    EXPECT_EQ(data.install().setup_path, launcher_folder + L"ovn6setup\\setup64.exe");
    EXPECT_EQ(data.install().setup_digest, digest_abc);
    EXPECT_TRUE(data.manual().manual_found);
    EXPECT_EQ(data.manual().manual_path, launcher_folder + L"ovn6setup\\ovn6manual.pdf");
    EXPECT_EQ(data.manual().manual_digest, digest_empty);
}

}  // namespace
