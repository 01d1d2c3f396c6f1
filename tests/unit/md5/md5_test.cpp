#include "md5.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "win_handle.h"

namespace {

std::string digest_text(const std::string& data) {
    md5_context context;
    md5_init(&context);
    md5_update(&context, reinterpret_cast<const unsigned char*>(data.data()), data.size());
    unsigned char digest[16];
    md5_final(&context, digest);
    return hex_string(digest);
}

// Reproducible bytes that look random.
std::string pseudo_random_bytes(std::size_t length, std::uint32_t seed) {
    std::string data(length, '\0');
    for (char& c : data) {
        seed = seed * 1664525u + 1013904223u;
        c = static_cast<char>(seed >> 24);
    }
    return data;
}

// A file in the test's own temporary folder, removed afterwards.
class temp_file {
public:
    explicit temp_file(const std::string& content) {
        char folder[MAX_PATH];
        char name[MAX_PATH];
        ::GetTempPathA(MAX_PATH, folder);
        ::GetTempFileNameA(folder, "md5", 0, name);
        path_ = name;
        std::ofstream out(path_, std::ios::binary | std::ios::trunc);
        out.write(content.data(), static_cast<std::streamsize>(content.size()));
    }
    ~temp_file() { ::DeleteFileA(path_.c_str()); }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

std::string file_digest_text(const std::string& path) {
    unsigned char digest[16];
    if (!md5_file(path, digest)) return "(failed)";
    return hex_string(digest);
}

const char empty_digest[] = "d41d8cd98f00b204e9800998ecf8427e";

}  // namespace

TEST(Md5, Rfc1321TestSuite) {
    EXPECT_EQ(digest_text(""), empty_digest);
    EXPECT_EQ(digest_text("a"), "0cc175b9c0f1b6a831c399e269772661");
    EXPECT_EQ(digest_text("abc"), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(digest_text("message digest"), "f96b697d7cb7938d525a2f31aaf161d0");
    EXPECT_EQ(digest_text("abcdefghijklmnopqrstuvwxyz"), "c3fcd3d76192e4007dfb496cca67e13b");
    EXPECT_EQ(digest_text("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"),
              "d174ab98d277d9f5a5611c2c9f419d9f");
    EXPECT_EQ(digest_text(std::string("1234567890") + "1234567890" + "1234567890" + "1234567890" + "1234567890" +
                          "1234567890" + "1234567890" + "1234567890"),
              "57edf4a22be3c955ac49da2e2107b67a");
}

// Around the point where the length no longer fits the last block.
TEST(Md5, PaddingBoundaries) {
    EXPECT_EQ(digest_text(std::string(55, 'a')), "ef1772b6dff9a122358552954ad0df65");
    EXPECT_EQ(digest_text(std::string(56, 'a')), "3b0c8ac703f828b04c6c197006d17218");
    EXPECT_EQ(digest_text(std::string(63, 'a')), "b06521f39153d618550606be297466d5");
    EXPECT_EQ(digest_text(std::string(64, 'a')), "014842d480b571495a4a0363793f7367");
    EXPECT_EQ(digest_text(std::string(65, 'a')), "c743a45e0d2e6a95cb859adae0248435");
}

TEST(Md5, SplitUpdatesGiveTheOneShotDigest) {
    std::string data(1000, 'a');
    md5_context context;
    md5_init(&context);
    // Pieces of 1, 2, 3, ... bytes cross every position of the block buffer.
    std::size_t offset = 0;
    for (std::size_t piece = 1; offset < data.size(); ++piece) {
        std::size_t length = std::min(piece, data.size() - offset);
        md5_update(&context, reinterpret_cast<const unsigned char*>(data.data()) + offset, length);
        offset += length;
    }
    unsigned char digest[16];
    md5_final(&context, digest);
    EXPECT_EQ(hex_string(digest), "cabe45dcc9ae5b66ba86600cca6b8ba8");
}

TEST(Md5, StreamDigestsEverythingReadable) {
    std::string data = pseudo_random_bytes(10000, 7);
    std::istringstream stream(data);
    unsigned char digest[16];
    ASSERT_TRUE(md5_stream(stream, digest));
    EXPECT_EQ(hex_string(digest), digest_text(data));

    // A stream that is already at its end gives the digest of no input.
    std::istringstream spent("");
    spent.get();
    ASSERT_TRUE(md5_stream(spent, digest));
    EXPECT_EQ(hex_string(digest), empty_digest);
}

TEST(Md5, HexFormKeepsLeadingZerosInLowerCase) {
    const unsigned char bytes[16] = {0x00, 0x01, 0x0a, 0x0f, 0x10, 0xab, 0xcd, 0xef,
                                     0xf0, 0xff, 0x09, 0x90, 0x5a, 0xa5, 0x00, 0x07};
    EXPECT_EQ(hex_string(bytes), "00010a0f10abcdeff0ff09905aa50007");
    // "27" digests to a value whose first byte is below 0x10.
    EXPECT_EQ(digest_text("27"), "02e74f10e0327ad868d138f2b4fdd6f0");
}

TEST(Md5, NoDigestGivesNoText) {
    EXPECT_EQ(hex_string(nullptr), "");
    std::string text = "unchanged";
    EXPECT_FALSE(digest_to_hex(nullptr, text));
    EXPECT_EQ(text, "unchanged");

    const unsigned char digest[16] = {0xd4, 0x1d, 0x8c, 0xd9, 0x8f, 0x00, 0xb2, 0x04,
                                      0xe9, 0x80, 0x09, 0x98, 0xec, 0xf8, 0x42, 0x7e};
    EXPECT_TRUE(digest_to_hex(digest, text));
    EXPECT_EQ(text, empty_digest);
}

TEST(Md5File, EmptyPathOrMissingFileFails) {
    unsigned char digest[16];
    EXPECT_FALSE(md5_file("", digest));
    EXPECT_FALSE(md5_file("C:\\no-such-folder\\no-such-file.exe", digest));
    temp_file file("x");
    EXPECT_FALSE(md5_file(file.path(), nullptr));
}

// Sizes around the 4096-byte read block, and more than a megabyte.
TEST(Md5File, FilesMatchTheOneShotDigest) {
    EXPECT_EQ(file_digest_text(temp_file("").path()), empty_digest);
    for (std::size_t size : {std::size_t{4095}, std::size_t{4096}, std::size_t{4097}, std::size_t{1048577}}) {
        std::string data = pseudo_random_bytes(size, static_cast<std::uint32_t>(size));
        temp_file file(data);
        EXPECT_EQ(file_digest_text(file.path()), digest_text(data)) << size << " bytes";
    }
}

namespace {

// Runs file_holder.exe (built beside this test) on a file with the given
// share mode and waits until it holds the file open.
class file_holder {
public:
    file_holder(const std::string& path, const char* share) {
        char own[MAX_PATH];
        DWORD length = ::GetModuleFileNameA(nullptr, own, MAX_PATH);
        std::string folder(own, length);
        folder.erase(folder.rfind('\\') + 1);
        std::string name = "ovn_md5_holder_" + std::to_string(::GetCurrentProcessId());
        ready_.reset(::CreateEventA(nullptr, TRUE, FALSE, (name + "_ready").c_str()));
        done_.reset(::CreateEventA(nullptr, TRUE, FALSE, (name + "_done").c_str()));
        std::string command = "\"" + folder + "file_holder.exe\" \"" + path + "\" " + share + " " + name;
        STARTUPINFOA startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process{};
        if (::CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                             &process)) {
            process_.reset(process.hProcess);
            kernel_handle thread(process.hThread);
        }
    }
    ~file_holder() {
        if (done_) ::SetEvent(done_.get());
        if (process_) ::WaitForSingleObject(process_.get(), 10000);
    }
    bool holding() const {
        HANDLE waits[2] = {ready_.get(), process_.get()};
        return process_ && ::WaitForMultipleObjects(2, waits, FALSE, 20000) == WAIT_OBJECT_0;
    }

private:
    kernel_handle ready_;
    kernel_handle done_;
    kernel_handle process_;
};

}  // namespace

TEST(Md5File, FileHeldOpenByAnotherProcess) {
    std::string data = pseudo_random_bytes(5000, 11);
    temp_file file(data);
    {
        // The holder reads and writes, and lets others read.
        file_holder holder(file.path(), "read");
        ASSERT_TRUE(holder.holding());
        EXPECT_EQ(file_digest_text(file.path()), digest_text(data));
    }
    {
        file_holder holder(file.path(), "none");
        ASSERT_TRUE(holder.holding());
        EXPECT_EQ(file_digest_text(file.path()), "(failed)");
    }
}
