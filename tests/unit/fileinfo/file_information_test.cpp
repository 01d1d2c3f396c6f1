#include "file_information.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <string>

// Fixtures lie in fileinfo\ beside the test program, which runs there.
static std::wstring fixture_folder() {
    wchar_t current[MAX_PATH];
    DWORD length = ::GetCurrentDirectoryW(MAX_PATH, current);
    return std::wstring(current, length) + L"\\fileinfo\\";
}

static std::wstring fixture(const wchar_t* name) { return fixture_folder() + name; }

// The digest the build wrote beside a fixture.
static std::wstring expected_md5(const char* name) {
    std::ifstream file(std::string("fileinfo/") + name + ".md5");
    std::string digest;
    file >> digest;
    EXPECT_EQ(32u, digest.size()) << name;
    return std::wstring(digest.begin(), digest.end());
}

static void expect_no_version_values(const file_information& info) {
    for (std::size_t i = 0; i < file_information::version_key_count; ++i)
        EXPECT_EQ(L"", info.version_values[i]) << "key " << i;
}

// A copy of a fixture under another name, removed again at the end.
class fixture_copy {
public:
    fixture_copy(const wchar_t* source, const std::wstring& target) : path_(target) {
        EXPECT_TRUE(::CopyFileW(fixture(source).c_str(), path_.c_str(), FALSE)) << ::GetLastError();
    }
    ~fixture_copy() { ::DeleteFileW(path_.c_str()); }
    const std::wstring& path() const { return path_; }

private:
    std::wstring path_;
};

TEST(FileInformation, ReadsTheFirstTranslationsJapaneseValues) {
    file_information info;
    EXPECT_TRUE(info.collect(fixture(L"japanese.exe")));

    const wchar_t* expected[file_information::version_key_count] = {
        L"株式会社オルヴァーン", L"オルヴァーン 6.0 セットアップ", L"6.0.21.4", L"setup64",
        L"© 2026 株式会社オルヴァーン", L"setup64.exe", L"オルヴァーン 6.0", L"6.0.21.4 （ベータ版）",
        L"試験用の実行ファイル", L"オルヴァーン™", L"内部ビルド", L"特別版",
    };
    for (std::size_t i = 0; i < file_information::version_key_count; ++i)
        EXPECT_EQ(expected[i], info.version_values[i]) << "key " << i;
    EXPECT_EQ(L"6.0.21.4 （ベータ版）", info.get_product_version());

    EXPECT_EQ(L"exe", info.extension);
    EXPECT_EQ(expected_md5("japanese.exe"), info.get_md5());
}

TEST(FileInformation, ReportsWhatTheDirectorySearchFinds) {
    file_information info;
    ASSERT_TRUE(info.read_find_data(fixture(L"japanese.exe")));
    EXPECT_EQ(L"japanese.exe", info.file_name);
    EXPECT_EQ(0u, info.attributes & FILE_ATTRIBUTE_DIRECTORY);

    std::ifstream file("fileinfo/japanese.exe", std::ios::binary | std::ios::ate);
    EXPECT_EQ(static_cast<unsigned long long>(file.tellg()),
              (static_cast<unsigned long long>(info.size_high) << 32) | info.size_low);
    EXPECT_NE(0u, info.last_write_time.dwLowDateTime | info.last_write_time.dwHighDateTime);
    EXPECT_NE(0u, info.creation_time.dwLowDateTime | info.creation_time.dwHighDateTime);
}

TEST(FileInformation, StringsOnlyUnderTheSecondTranslationAreNotRead) {
    file_information info;
    EXPECT_TRUE(info.read_version_info(fixture(L"second_translation.exe")));
    expect_no_version_values(info);
}

TEST(FileInformation, UpperCaseExeCountsAsExe) {
    file_information info;
    EXPECT_TRUE(info.collect(fixture(L"ENGLISH.EXE")));
    EXPECT_EQ(L"EXE", info.extension);
    EXPECT_EQ(L"Orvane", info.version_values[0]);  // from block 040904e4
    EXPECT_EQ(L"6.0.0.2", info.get_product_version());
    EXPECT_EQ(expected_md5("ENGLISH.EXE"), info.get_md5());
}

TEST(FileInformation, VersionResourceIsReadOnlyForProgramKinds) {
    for (const wchar_t* name : {L"copy.dll", L"copy.SYS", L"copy.Mui"}) {
        fixture_copy copy(L"japanese.exe", fixture(name));
        file_information info;
        EXPECT_TRUE(info.read_version_info(copy.path())) << name;
        EXPECT_EQ(L"6.0.21.4 （ベータ版）", info.get_product_version());
    }
    fixture_copy text(L"japanese.exe", fixture(L"copy.exe.txt"));
    file_information info;
    EXPECT_FALSE(info.read_version_info(text.path()));
    EXPECT_EQ(L"txt", info.extension);
    expect_no_version_values(info);
}

TEST(FileInformation, PdfHasADigestButNoVersion) {
    file_information info;
    EXPECT_FALSE(info.collect(fixture(L"manual.pdf")));
    EXPECT_EQ(L"pdf", info.extension);
    expect_no_version_values(info);
    EXPECT_FALSE(info.read_version_info(fixture(L"manual.pdf")));
    EXPECT_EQ(expected_md5("manual.pdf"), info.get_md5());
    EXPECT_EQ(L"manual.pdf", info.file_name);
}

TEST(FileInformation, ProgramWithoutVersionResource) {
    file_information info;
    info.version_values[7] = L"stale";
    EXPECT_FALSE(info.read_version_info(fixture(L"plain.exe")));
    expect_no_version_values(info);  // emptied before the resource is looked for

    file_information collected;
    EXPECT_FALSE(collected.collect(fixture(L"plain.exe")));
    EXPECT_EQ(expected_md5("plain.exe"), collected.get_md5());
}

TEST(FileInformation, EmptyTranslationTableGivesNoValues) {
    file_information info;
    EXPECT_FALSE(info.read_version_info(fixture(L"empty_translation.exe")));
    expect_no_version_values(info);
}

TEST(FileInformation, DotInAFolderNameIsNoExtension) {
    const std::wstring folder = fixture(L"a.b");
    ::CreateDirectoryW(folder.c_str(), nullptr);
    {
        fixture_copy copy(L"japanese.exe", folder + L"\\setup");
        file_information info;
        EXPECT_FALSE(info.collect(copy.path()));
        EXPECT_EQ(L"", info.extension);
        expect_no_version_values(info);  // a program, but not read as one
        EXPECT_EQ(L"setup", info.file_name);
        EXPECT_EQ(expected_md5("japanese.exe"), info.get_md5());
    }
    ::RemoveDirectoryW(folder.c_str());
}

TEST(FileInformation, LeadingDotIsNoExtension) {
    fixture_copy copy(L"manual.pdf", L".profile");  // in the working folder, named without a folder
    file_information info;
    EXPECT_FALSE(info.collect(L".profile"));
    EXPECT_EQ(L"", info.extension);
    EXPECT_EQ(L".profile", info.file_name);
    EXPECT_EQ(expected_md5("manual.pdf"), info.get_md5());
}

TEST(FileInformation, SplitExtensionWalksBackToTheFirstSeparator) {
    struct { const wchar_t* path; bool found; const wchar_t* extension; } cases[] = {
        {L"C:\\a.b\\setup.Exe", true, L"Exe"}, {L"dir/x.tar.gz", true, L"gz"}, {L"x.", true, L""},
        {L"C:\\a.b\\setup", false, L"kept"},   {L"a.b/setup", false, L"kept"}, {L".profile", false, L"kept"},
        {L".", false, L"kept"},                {L"", false, L"kept"},          {L"ab.c", true, L"c"},
    };
    for (const auto& test : cases) {
        file_information info;
        info.extension = L"kept";
        EXPECT_EQ(test.found, info.split_extension(test.path)) << test.path;
        EXPECT_EQ(test.extension, info.extension) << test.path;
    }
}

TEST(FileInformation, MissingFileKeepsConstructionValues) {
    file_information info;
    const std::wstring path = fixture(L"missing.exe");
    EXPECT_FALSE(info.collect(path));
    EXPECT_EQ(L"exe", info.extension);  // taken from the text alone
    EXPECT_FALSE(info.read_find_data(path));
    EXPECT_FALSE(info.read_version_info(path));
    EXPECT_FALSE(info.read_md5(path));
    EXPECT_EQ(L"", info.file_name);
    EXPECT_EQ(0u, info.attributes);
    EXPECT_EQ(0u, info.size_low);
    EXPECT_EQ(0u, info.size_high);
    EXPECT_EQ(0u, info.last_write_time.dwLowDateTime);
    expect_no_version_values(info);
    EXPECT_EQ(L"", info.get_md5());
}

TEST(FileInformation, PathOutsideTheAnsiCodePageGetsItsDigest) {
    // Hangul has no place in code page 932: every step, the digest too,
    // opens the file by its wide name.
    fixture_copy copy(L"japanese.exe", fixture(L"\uD55C.exe"));
    file_information info;
    EXPECT_TRUE(info.read_find_data(copy.path()));
    EXPECT_TRUE(info.read_version_info(copy.path()));
    EXPECT_TRUE(info.read_md5(copy.path()));
    EXPECT_EQ(expected_md5("japanese.exe"), info.get_md5());
}
