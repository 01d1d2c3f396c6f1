#include "path_util.h"

#include <windows.h>

#include <gtest/gtest.h>

TEST(NormalizePath, SlashesBecomeBackslashesAndPairsReduceInOnePass) {
    EXPECT_EQ(normalize_path(L"C:/a//b\\\\\\c"), L"C:\\a\\b\\\\c");
    EXPECT_EQ(normalize_path(L"C:\\a\\b"), L"C:\\a\\b");
    EXPECT_EQ(normalize_path(L""), L"");
}

// A launcher started from a share must still find the files beside it.
TEST(NormalizePath, NetworkPathKeepsItsLeadingPair) {
    EXPECT_EQ(normalize_path(L"\\\\server\\share\\\\setup.exe"), L"\\\\server\\share\\setup.exe");
    EXPECT_EQ(normalize_path(L"//server/share/"), L"\\\\server\\share\\");
    EXPECT_EQ(directory_of(L"\\\\server\\share\\launcher.exe"), L"\\\\server\\share\\");
    EXPECT_EQ(parent_directory_of(L"\\\\server\\share\\ovn6setup\\"), L"\\\\server\\share\\");
}

TEST(NormalizePath, VariablesExpandAndUndefinedOnesStay) {
    ASSERT_TRUE(::SetEnvironmentVariableW(L"OVN_TEST_FOLDER", L"C:\\media"));
    EXPECT_EQ(normalize_path(L"%OVN_TEST_FOLDER%/ovn6setup/setup64.exe"), L"C:\\media\\ovn6setup\\setup64.exe");
    EXPECT_EQ(normalize_path(L"%OVN_UNDEFINED_FOLDER%\\ovn6setup\\"), L"%OVN_UNDEFINED_FOLDER%\\ovn6setup\\");
    EXPECT_FALSE(file_exists(normalize_path(L"%OVN_UNDEFINED_FOLDER%\\ovn6setup\\setup64.exe")));
    EXPECT_EQ(expand_environment(L"no variables"), L"no variables");
}

TEST(PathParts, DirectoryKeepsItsTrailingBackslash) {
    EXPECT_EQ(directory_of(L"C:\\media\\launcher.exe"), L"C:\\media\\");
    EXPECT_EQ(directory_of(L"C:\\media\\"), L"C:\\media\\");
    EXPECT_EQ(directory_of(L"C:/media/launcher.exe"), L"C:\\media\\");
    EXPECT_EQ(directory_of(L"launcher.exe"), L"");
}

TEST(PathParts, ParentOfAFileIsItsFolderAndOfAFolderTheOneAbove) {
    EXPECT_EQ(parent_directory_of(L"C:\\a\\b\\setup.exe"), L"C:\\a\\b\\");
    EXPECT_EQ(parent_directory_of(L"C:\\a\\b\\"), L"C:\\a\\");
    EXPECT_EQ(parent_directory_of(L"C:\\"), L"");
    EXPECT_EQ(parent_directory_of(L"b\\"), L"");
    EXPECT_EQ(parent_directory_of(L"setup.exe"), L"");
}

TEST(PathParts, FileNameIsWhatFollowsTheLastBackslash) {
    EXPECT_EQ(file_name_of(L"C:\\media\\launcher.exe"), L"launcher.exe");
    EXPECT_EQ(file_name_of(L"launcher.exe"), L"launcher.exe");
    EXPECT_EQ(file_name_of(L"C:\\media\\"), L"");
}

TEST(FileExists, FindsFilesAndFoldersByExactPath) {
    wchar_t own[MAX_PATH];
    DWORD length = ::GetModuleFileNameW(nullptr, own, MAX_PATH);
    ASSERT_GT(length, 0u);
    std::wstring path(own, length);
    EXPECT_TRUE(file_exists(path));
    EXPECT_FALSE(file_exists(path + L".missing"));
    EXPECT_FALSE(file_exists(L""));
}
