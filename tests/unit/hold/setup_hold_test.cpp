#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "locations/scratch_folder.h"
#include "md5.h"
#include "setup_hold.h"
#include "staged_download.h"
#include "string_convert.h"
#include "win_handle.h"

namespace {

const std::string setup_content = "MZ a setup program";

std::wstring digest_of(const std::string& content) {
    md5_context context;
    md5_init(&context);
    md5_update(&context, reinterpret_cast<const unsigned char*>(content.data()), content.size());
    unsigned char digest[16];
    md5_final(&context, digest);
    return ansi_to_wide(hex_string(digest));
}

bool can_open(const std::wstring& path, DWORD access) {
    file_handle file(::CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return static_cast<bool>(file);
}

class SetupHoldTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(write_file(setup, setup_content)); }
    scratch_folder scratch;
    const std::wstring setup = scratch.path() + L"ovn6setup\\setup64.exe";
};

TEST_F(SetupHoldTest, MatchingFileIsHeldAgainstWritesAndDeletesButStaysReadable) {
    setup_hold hold;
    ASSERT_TRUE(hold.hold_matching(setup, digest_of(setup_content)));
    EXPECT_TRUE(hold.held());
    EXPECT_EQ(hold.digest(), digest_of(setup_content));

    EXPECT_FALSE(can_open(setup, GENERIC_WRITE));
    EXPECT_FALSE(::DeleteFileW(setup.c_str()));
    EXPECT_FALSE(::MoveFileW(setup.c_str(), (setup + L".moved").c_str()));
    // Readers, the shell's start of the program and the digest by path among them.
    EXPECT_TRUE(can_open(setup, GENERIC_READ));
    unsigned char digest[16];
    EXPECT_TRUE(md5_file(wide_to_ansi(setup), digest));

    hold.release();
    EXPECT_TRUE(can_open(setup, GENERIC_WRITE));
}

TEST_F(SetupHoldTest, DifferentContentIsNotHeld) {
    setup_hold hold;
    EXPECT_FALSE(hold.hold_matching(setup, digest_of("the content that was checked")));
    EXPECT_FALSE(hold.held());
    EXPECT_EQ(hold.last_error(), 0u);
    EXPECT_TRUE(can_open(setup, GENERIC_WRITE));
    // Digests compare exactly: upper-case hex is another digest.
    std::wstring upper = digest_of(setup_content);
    for (auto& c : upper) c = static_cast<wchar_t>(towupper(c));
    EXPECT_FALSE(hold.hold_matching(setup, upper));
}

TEST_F(SetupHoldTest, WithoutAnEarlierDigestTheFileIsHeldAsItIs) {
    setup_hold hold;
    EXPECT_TRUE(hold.hold_matching(setup, L""));
    EXPECT_FALSE(can_open(setup, GENERIC_WRITE));
}

TEST_F(SetupHoldTest, MissingOrBusyFileIsNotHeld) {
    setup_hold hold;
    EXPECT_FALSE(hold.hold_matching(scratch.path() + L"missing.exe", L""));
    EXPECT_EQ(hold.last_error(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(hold.hold_matching(L"", L""));

    // Someone writing it now: the file cannot be vouched for.
    file_handle writer(::CreateFileW(setup.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(writer);
    EXPECT_FALSE(hold.hold_matching(setup, digest_of(setup_content)));
    EXPECT_EQ(hold.last_error(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
}

TEST_F(SetupHoldTest, StagedDownloadReplacesTheFileOnlyWhenCommitted) {
    const std::wstring staging = staging_path_of(setup);
    EXPECT_EQ(staging.rfind(scratch.path() + L"ovn6setup\\", 0), 0u) << "same folder";
    EXPECT_NE(staging, setup);
    EXPECT_EQ(staging_path_of(L""), L"");

    ASSERT_TRUE(write_file(staging, "the new setup"));
    discard_staged(staging);
    std::string content;
    EXPECT_FALSE(read_file(staging, content));
    ASSERT_TRUE(read_file(setup, content));
    EXPECT_EQ(content, setup_content);

    ASSERT_TRUE(write_file(staging, "the new setup"));
    EXPECT_EQ(commit_staged(staging, setup), 0u);
    ASSERT_TRUE(read_file(setup, content));
    EXPECT_EQ(content, "the new setup");
    EXPECT_FALSE(read_file(staging, content));
}

TEST_F(SetupHoldTest, CommitFailsWhileTheSetupInPlaceIsHeld) {
    // An earlier download that is being started keeps its place.
    setup_hold hold;
    ASSERT_TRUE(hold.hold_matching(setup, digest_of(setup_content)));
    const std::wstring staging = staging_path_of(setup);
    ASSERT_TRUE(write_file(staging, "the new setup"));
    EXPECT_NE(commit_staged(staging, setup), 0u);
    hold.release();
    std::string content;
    ASSERT_TRUE(read_file(setup, content));
    EXPECT_EQ(content, setup_content);
}

}  // namespace
