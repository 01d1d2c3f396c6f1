// CInstallerDownloader against the scriptable server, which the test
// build's list-file address points at.
#include <gtest/gtest.h>

#include <windows.h>
#include <psapi.h>

#include <string>
#include <vector>

#include "http/shared_state.h"
#include "http/test_servers.h"
#include "http_client.h"
#include "installer_downloader.h"
#include "downloader/list_server.h"
#include "win_handle.h"

TEST(DownloadLtFile, RequestsTheListFileAndFillsTheFields) {
    REQUIRE_LOCAL_LIST_SERVER();
    scoped_detail_log log;
    set_route(list_path, 200, list_body());
    CInstallerDownloader downloader;
    ASSERT_TRUE(downloader.DownloadLtFile(nullptr));
    EXPECT_EQ(L"6.0.21.4", downloader.GetSetupVersion());
    EXPECT_EQ(L"0123456789abcdef0123456789abcdef", downloader.GetSetupDigest());
    EXPECT_EQ(L"http://127.0.0.1/setup.exe", downloader.GetSetupUrl());
    EXPECT_TRUE(downloader.newer_release);
    EXPECT_EQ(L"http://127.0.0.1/manual.html", downloader.GetManualPageUrl());

    std::vector<recorded_request> seen = recorded_requests_for(list_path);
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ("GET", seen[0].method);
    EXPECT_EQ("127.0.0.1:" + std::string(OVN_TEST_LIST_PORT), seen[0].header("Host"));
    EXPECT_EQ("orvane/6.0", seen[0].header("User-Agent"));
    EXPECT_FALSE(seen[0].has_header("Proxy-Authorization"));
    EXPECT_NE(std::string::npos, log.text().find("\tget_data_by_wininet DownloadLtFile\r\n"));
}

TEST(DownloadLtFile, AnythingButStatus200WithAListLeavesTheFieldsEmpty) {
    REQUIRE_LOCAL_LIST_SERVER();
    const struct {
        int status;
        bool body;
    } answers[] = {{200, false}, {206, true}, {304, false}, {404, true}, {500, true}};
    for (const auto& answer : answers) {
        set_route(list_path, 200, list_body());
        CInstallerDownloader downloader;
        ASSERT_TRUE(downloader.DownloadLtFile(nullptr));
        set_route(list_path, answer.status, answer.body ? list_body() : std::string(), answer.status != 304);
        EXPECT_FALSE(downloader.DownloadLtFile(nullptr)) << answer.status;
        EXPECT_FALSE(downloader.newer_release) << answer.status;
        EXPECT_TRUE(downloader.GetSetupVersion().empty() && downloader.GetSetupDigest().empty() &&
                    downloader.GetSetupUrl().empty() && downloader.GetNewerReleaseVersion().empty() &&
                    downloader.GetNewerReleaseUrl().empty() && downloader.GetManualDigest().empty() &&
                    downloader.GetManualPageUrl().empty())
            << answer.status;
    }
}

// The most memory this process has held at once (pages it touched).
static size_t peak_working_set() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.PeakWorkingSetSize;
}

class DownloadFileTest : public ::testing::Test {
protected:
    std::wstring folder_ = scratch_folder(L"dl");
};

TEST_F(DownloadFileTest, CreatesMissingFoldersAndWritesTheBody) {
    scoped_detail_log log;
    const std::wstring destination = folder_ + L"outer\\inner\\setup64.exe";
    CInstallerDownloader downloader;
    const std::wstring url = local_url("/bytes/300000");
    ASSERT_TRUE(downloader.DownloadFile(url, nullptr, destination));
    std::string content = read_whole_file(destination);
    ASSERT_EQ(300000u, content.size());
    EXPECT_TRUE(matches_pattern(std::vector<char>(content.begin(), content.end())));
    // The log line is written in the ANSI code page, the arrow included.
    std::string line = "get_data_by_wininet DownloadFile http://127.0.0.1:" +
                       server_port("OVN_TEST_HTTP_PORT") + "/bytes/300000 \x81\xcb ";
    EXPECT_NE(std::string::npos, log.text().find(line)) << log.text();
}

// A setup past the 64 MiB a body may reserve in memory goes to its file as
// it arrives: the process holds no more memory than for a small one.
TEST_F(DownloadFileTest, SetupLargerThanTheMemoryReserveIsStreamedToItsFile) {
    const size_t size = 80u << 20;
    const std::wstring destination = folder_ + L"large.exe";
    CInstallerDownloader downloader;
    const size_t before = peak_working_set();
    ASSERT_TRUE(downloader.DownloadFile(local_url("/bytes/" + std::to_string(size)), nullptr, destination));
    const size_t grown = peak_working_set() - before;
    EXPECT_LT(grown, size_t(16) << 20) << "peak grew by " << grown << " bytes";
    std::string content = read_whole_file(destination);
    ASSERT_EQ(size, content.size());
    EXPECT_TRUE(matches_pattern(std::vector<char>(content.begin(), content.end())));
}

TEST_F(DownloadFileTest, SecureAddressWithPortAndQuery) {
    const std::string port = server_port("OVN_TEST_HTTPS_OTHER_PORT");
    const std::string address = "https://127.0.0.1:" + port + "/Files/Setup64.exe?Rev=7";
    CInstallerDownloader downloader;
    ASSERT_TRUE(downloader.DownloadFile(std::wstring(address.begin(), address.end()), nullptr,
                                        folder_ + L"secure.exe"));
    // The TLS server answered, at the given port, for the folded target.
    std::vector<recorded_request> seen = recorded_requests_for("/files/setup64.exe?rev=7");
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ("https://127.0.0.1:" + port + "/", seen[0].header("Referer"));
    EXPECT_EQ("ok /files/setup64.exe?rev=7", read_whole_file(folder_ + L"secure.exe"));
}

TEST_F(DownloadFileTest, OnlyStatus200WithABodyIsWritten) {
    const char* const paths[] = {"/empty", "/status/206", "/status/304", "/status/204", "/status/404"};
    for (const char* path : paths) {
        const std::wstring destination = folder_ + L"only200.exe";
        CInstallerDownloader downloader;
        EXPECT_FALSE(downloader.DownloadFile(local_url(path), nullptr, destination)) << path;
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(destination.c_str())) << path;
    }
}

TEST_F(DownloadFileTest, FailedTransferKeepsTheOldFile) {
    const std::wstring destination = folder_ + L"kept.exe";
    ASSERT_TRUE(write_whole_file_for_test(destination, "old installer"));
    CInstallerDownloader downloader;
    EXPECT_FALSE(downloader.DownloadFile(local_url("/status/500"), nullptr, destination));
    EXPECT_EQ("old installer", read_whole_file(destination));
}

TEST_F(DownloadFileTest, DestinationWithoutBackslashMakesNoRequestAndNoLogLine) {
    scoped_detail_log log;
    CInstallerDownloader downloader;
    EXPECT_FALSE(downloader.DownloadFile(local_url("/never"), nullptr, L"setup64.exe"));
    EXPECT_TRUE(recorded_requests().empty());
    EXPECT_EQ(std::string::npos, log.text().find("DownloadFile"));
}

TEST_F(DownloadFileTest, DestinationHeldOpenFailsAfterTheTransferAndKeepsItsContent) {
    const std::wstring destination = folder_ + L"busy.exe";
    ASSERT_TRUE(write_whole_file_for_test(destination, "running setup"));
    file_handle held(CreateFileW(destination.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    CInstallerDownloader downloader;
    EXPECT_FALSE(downloader.DownloadFile(local_url("/bytes/1000"), nullptr, destination));
    EXPECT_EQ(1u, recorded_requests_for("/bytes/1000").size());
    held.reset();
    EXPECT_EQ("running setup", read_whole_file(destination));
}

// A full disk: the Unix device that fails every write with "no space".
TEST_F(DownloadFileTest, WriteThatFailsIsReportedAsFailure) {
    scoped_detail_log log;
    CInstallerDownloader downloader;
    EXPECT_FALSE(downloader.DownloadFile(local_url("/bytes/5000"), nullptr, L"Z:\\dev\\full"));
    EXPECT_EQ(1u, recorded_requests_for("/bytes/5000").size());
    EXPECT_NE(std::string::npos, log.text().find("\tCInstallerDownloader DownloadFile write error 0x70 at 5000 bytes"))
        << log.text();
}

TEST_F(DownloadFileTest, EnsureDirectoryRecognisesExistingFolders) {
    CInstallerDownloader downloader;
    EXPECT_TRUE(downloader.EnsureDirectory(folder_ + L"file.bin"));
    EXPECT_TRUE(downloader.EnsureDirectory(folder_ + L"a\\b\\c\\file.bin"));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((folder_ + L"a\\b\\c").c_str()));
    EXPECT_FALSE(downloader.EnsureDirectory(L"file.bin"));
    // A missing drive root cannot be created.
    EXPECT_FALSE(downloader.EnsureDirectory(L"Q:\\missing\\file.bin"));
}

// A list entry whose address does not split still goes out, with no host,
// and fails without leaving a file behind.
TEST_F(DownloadFileTest, AddressThatDoesNotSplitFailsWithoutWriting) {
    scoped_detail_log log;
    const std::wstring destination = folder_ + L"unsplit.exe";
    CInstallerDownloader downloader;
    EXPECT_FALSE(downloader.DownloadFile(L"setup64.exe", nullptr, destination));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(destination.c_str()));
    EXPECT_NE(std::string::npos, log.text().find("get_data_by_wininet DownloadFile setup64.exe \x81\xcb "));
}
