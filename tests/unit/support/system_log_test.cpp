#include "system_log.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "win_handle.h"

namespace {

const wchar_t marker_folder[] = L"C:\\temp";
const wchar_t full_marker[] = L"C:\\temp\\ovn6_launcher_syslog_full.txt";
const wchar_t booster_marker[] = L"C:\\temp\\ovn6_launcher_syslog_booster30.txt";
const wchar_t banner[] = L"========================== begin install launcher ==========================";
constexpr std::streamoff rotation_size = 1048576;

void touch(const std::wstring& path) {
    file_handle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(static_cast<bool>(file)) << "cannot create a test file";
}

void write_file(const std::wstring& path, const std::string& content) {
    std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
}

bool exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string read_file(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

std::streamoff file_size(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return (static_cast<std::streamoff>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    size_t end;
    while ((end = text.find("\r\n", start)) != std::string::npos) {
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    if (start < text.size()) lines.push_back(text.substr(start));  // an unfinished line
    return lines;
}

std::wstring numbered(int generation) {
    wchar_t name[32];
    swprintf(name, 32, L"system.%02d.log", generation);
    return name;
}

std::string stamp_now() {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    char text[32];
    snprintf(text, sizeof(text), "%04d/%02d/%02d %02d:%02d:%02d", now.wYear, now.wMonth, now.wDay, now.wHour,
             now.wMinute, now.wSecond);
    return text;
}

// Each test gets its own log folder and the marker files it asks for;
// both are gone afterwards, so other tests find no marker.
class SystemLog : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        ::GetTempPathW(MAX_PATH, temp);
        static int counter = 0;
        folder_ = std::wstring(temp) + L"ovn_log_test_" + std::to_wstring(::GetCurrentProcessId()) + L"_" +
                  std::to_wstring(++counter) + L"\\";
        ASSERT_TRUE(::CreateDirectoryW(folder_.c_str(), nullptr));
        remove_markers();
    }
    void TearDown() override {
        remove_markers();
        ::RemoveDirectoryW(marker_folder);
        WIN32_FIND_DATAW found;
        find_handle search(::FindFirstFileW((folder_ + L"*").c_str(), &found));
        if (search) {
            do {
                ::DeleteFileW((folder_ + found.cFileName).c_str());
            } while (::FindNextFileW(search.get(), &found));
        }
        ::RemoveDirectoryW(folder_.c_str());
    }

    static void remove_markers() {
        ::DeleteFileW(full_marker);
        ::DeleteFileW(booster_marker);
    }
    static void set_markers(bool full, bool booster) {
        ::CreateDirectoryW(marker_folder, nullptr);
        if (full) touch(full_marker);
        if (booster) touch(booster_marker);
    }

    std::wstring path(const std::wstring& name) const { return folder_ + name; }
    std::vector<std::string> current_lines() const { return lines_of(read_file(path(L"system.log"))); }

    std::wstring folder_;
};

}  // namespace

TEST_F(SystemLog, NoMarkerWritesNothing) {
    my_system_log log;
    ASSERT_TRUE(log.initialize(folder_, L"Launcher"));
    EXPECT_FALSE(log.write_w(log_level_info, banner));
    EXPECT_FALSE(log.write_a(log_level_error, "error: instance lock failure 0x%x", 5u));
    EXPECT_FALSE(exists(path(L"system.log")));
}

TEST_F(SystemLog, BoosterMarkerAloneWritesNothing) {
    set_markers(false, true);
    my_system_log log;
    ASSERT_TRUE(log.initialize(folder_, L"Launcher"));
    EXPECT_FALSE(log.write_a(log_level_error, "error"));
    EXPECT_FALSE(exists(path(L"system.log")));
}

TEST_F(SystemLog, FullMarkerWritesUpToLevel20) {
    set_markers(true, false);
    my_system_log log;
    ASSERT_TRUE(log.initialize(folder_, L"Launcher"));
    EXPECT_TRUE(log.write_w(log_level_info, banner));
    EXPECT_FALSE(log.write_w(log_level_detail, L"get_data_by_wininet DownloadLtFile"));
    EXPECT_TRUE(log.write_a(log_level_error, "error: instance lock failure 0x%x", 0xb7u));

    std::vector<std::string> lines = current_lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[0].find("\tLogLv:20/20\tLauncher\t=========================="), std::string::npos) << lines[0];
    EXPECT_NE(lines[1].find("\tLogLv:20/10\tLauncher\terror: instance lock failure 0xb7"), std::string::npos)
        << lines[1];
}

TEST_F(SystemLog, BothMarkersWriteEveryLevel) {
    set_markers(true, true);
    my_system_log log;
    ASSERT_TRUE(log.initialize(folder_, L"Launcher"));
    EXPECT_TRUE(log.write_a(log_level_info, "CLauncherDlg launch_manual_proc beginthread error 0x%x", 8u));
    // Wide arguments of a wide format; the arrow is in code page 932.
    EXPECT_TRUE(log.write_w(log_level_detail, L"get_data_by_wininet DownloadFile %s \u21d2 %s", L"http://h/a.exe",
                            L"C:\\t\\a.exe"));

    std::vector<std::string> lines = current_lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[0].find("\tLogLv:30/20\tLauncher\tCLauncherDlg launch_manual_proc beginthread error 0x8"),
              std::string::npos)
        << lines[0];
    EXPECT_NE(lines[1].find("\tLogLv:30/30\tLauncher\tget_data_by_wininet DownloadFile http://h/a.exe \x81\xcb "
                            "C:\\t\\a.exe"),
              std::string::npos)
        << lines[1];
}

TEST_F(SystemLog, LineFormatIsExact) {
    set_markers(true, false);
    my_system_log log;
    ASSERT_TRUE(log.initialize(folder_, L"Launcher"));
    std::string before = stamp_now();
    ASSERT_TRUE(log.write_a(log_level_info, "progressdlg beginthread error 0x%x", 0x1f4u));
    std::string after = stamp_now();

    char user[512] = {};
    DWORD user_size = sizeof(user);
    ASSERT_TRUE(::GetUserNameA(user, &user_size));
    char pid[16];
    snprintf(pid, sizeof(pid), "%lx", ::GetCurrentProcessId());

    std::string content = read_file(path(L"system.log"));
    std::regex format("(\\d{4}/\\d{2}/\\d{2} \\d{2}:\\d{2}:\\d{2})\tPID:0x" + std::string(pid) + "\\(" + user +
                      "\\)\tLogLv:20/20\tLauncher\tprogressdlg beginthread error 0x1f4\r\n");
    std::smatch match;
    ASSERT_TRUE(std::regex_match(content, match, format)) << content;
    EXPECT_GE(match[1].str(), before);
    EXPECT_LE(match[1].str(), after);
}

TEST_F(SystemLog, InitializeWithoutFolderOrModuleLeavesLoggingOff) {
    set_markers(true, true);
    my_system_log log;
    EXPECT_FALSE(log.initialize(L"", L"Launcher"));
    EXPECT_FALSE(log.write_a(log_level_error, "dropped"));
    my_system_log nameless;
    EXPECT_FALSE(nameless.initialize(folder_, L""));
    EXPECT_FALSE(nameless.write_a(log_level_error, "dropped"));
    EXPECT_FALSE(exists(path(L"system.log")));
}

TEST_F(SystemLog, OverlongLinesAreCutButStayWhole) {
    set_markers(true, false);
    my_system_log log;
    ASSERT_TRUE(log.initialize(folder_, L"Launcher"));
    // Japanese padding: the cut must not split a two-byte character.
    std::string long_text = "x";
    for (int k = 0; k < 1000; ++k) long_text += "\x83\x65";  // テ
    ASSERT_TRUE(log.write_a(log_level_info, "%s", long_text.c_str()));
    ASSERT_TRUE(log.write_a(log_level_info, "after"));

    std::string content = read_file(path(L"system.log"));
    std::vector<std::string> lines = lines_of(content);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_GE(lines[0].size() + 2, 2046u);
    EXPECT_LE(lines[0].size() + 2, 2047u);
    EXPECT_EQ(lines[0].substr(lines[0].size() - 2), "\x83\x65");
    EXPECT_NE(lines[1].find("\tafter"), std::string::npos);

    // A wide message whose ANSI form exceeds 2048 bytes is dropped.
    std::wstring wide_text(1200, L'\u30c6');
    EXPECT_FALSE(log.write_w(log_level_info, L"%s", wide_text.c_str()));
    EXPECT_EQ(lines_of(read_file(path(L"system.log"))).size(), 2u);
}

TEST_F(SystemLog, RotatesWhenTheFileHasReachedOneMebibyte) {
    set_markers(true, false);
    my_system_log log;
    ASSERT_TRUE(log.initialize(folder_, L"Launcher"));

    write_file(path(L"system.log"), std::string(rotation_size - 1, 'a'));
    ASSERT_TRUE(log.write_a(log_level_info, "appended"));
    EXPECT_FALSE(exists(path(numbered(1))));
    std::streamoff grown = file_size(path(L"system.log"));
    EXPECT_GT(grown, rotation_size);

    write_file(path(L"system.log"), std::string(rotation_size, 'b'));
    ASSERT_TRUE(log.write_a(log_level_info, "rotated"));
    EXPECT_EQ(file_size(path(numbered(1))), rotation_size);
    std::vector<std::string> lines = current_lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("\trotated"), std::string::npos);
}

TEST_F(SystemLog, RotationDropsTheTenthGenerationAndSkipsGaps) {
    set_markers(true, false);
    my_system_log log;
    ASSERT_TRUE(log.initialize(folder_, L"Launcher"));

    write_file(path(L"system.log"), std::string(rotation_size, 'c'));
    for (int k = 1; k <= 9; ++k) {
        if (k != 5) write_file(path(numbered(k)), "generation " + std::to_string(k));
    }
    ASSERT_TRUE(log.write_a(log_level_info, "first of a new file"));

    EXPECT_EQ(file_size(path(numbered(1))), rotation_size);
    // Below the gap everything moved up by one; above it too, and the old
    // ninth file is gone.
    EXPECT_EQ(read_file(path(numbered(2))), "generation 1");
    EXPECT_EQ(read_file(path(numbered(5))), "generation 4");
    EXPECT_FALSE(exists(path(numbered(6))));
    EXPECT_EQ(read_file(path(numbered(7))), "generation 6");
    EXPECT_EQ(read_file(path(numbered(9))), "generation 8");
    EXPECT_FALSE(exists(path(numbered(10))));
    EXPECT_EQ(current_lines().size(), 1u);
}

TEST_F(SystemLog, UnwritableFolderDropsLinesAndNothingElse) {
    set_markers(true, false);
    // A folder where no file can be created, whoever runs the tests.
    my_system_log unwritable;
    ASSERT_TRUE(unwritable.initialize(L"Z:\\proc\\", L"Launcher"));
    DWORD start = ::GetTickCount();
    EXPECT_FALSE(unwritable.write_a(log_level_info, "dropped"));
    EXPECT_FALSE(unwritable.write_w(log_level_info, L"dropped"));
    EXPECT_GE(::GetTickCount() - start, 40u) << "three attempts 10 ms apart for each line";

    // The shared stream is fine for the next line of any log.
    my_system_log writable;
    ASSERT_TRUE(writable.initialize(folder_, L"Launcher"));
    EXPECT_TRUE(writable.write_a(log_level_info, "written"));
    EXPECT_EQ(current_lines().size(), 1u);
}

namespace {

// Starts log_writer.exe (built beside this test) with the folder and the
// further arguments.
kernel_handle start_writer(const std::wstring& folder, const std::string& arguments) {
    char own[MAX_PATH];
    DWORD length = ::GetModuleFileNameA(nullptr, own, MAX_PATH);
    std::string program(own, length);
    program.erase(program.rfind('\\') + 1);
    program += "log_writer.exe";
    // The test folder's name is ASCII. Without its trailing backslash, which
    // would escape the closing quote.
    std::string folder_text(folder.begin(), folder.end() - 1);
    std::string command = "\"" + program + "\" \"" + folder_text + "\" " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!::CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        return kernel_handle();
    }
    kernel_handle thread(process.hThread);
    return kernel_handle(process.hProcess);
}

kernel_handle start_writer(const std::wstring& folder, const std::string& tag, int count, int padding) {
    return start_writer(folder, tag + " " + std::to_string(count) + " " + std::to_string(padding));
}

}  // namespace

// Other programs share the log through nothing but the mutex's exact name,
// and its null DACL lets processes of every user open it. A second process
// opens it by that name with a writer's rights, checks the DACL and holds
// the mutex: this log's next line waits until it is released.
TEST_F(SystemLog, AnotherProcessSharesTheMutexByItsExactName) {
    set_markers(true, false);
    my_system_log log;
    ASSERT_TRUE(log.initialize(folder_, L"Launcher"));
    kernel_handle holder = start_writer(folder_, "--hold 1000");
    ASSERT_TRUE(holder);
    // The holder ends by itself, whether it got the mutex or not.
    while (read_file(path(L"system.log")).find("held\r\n") == std::string::npos &&
           ::WaitForSingleObject(holder.get(), 10) == WAIT_TIMEOUT) {
    }
    EXPECT_TRUE(log.write_a(log_level_info, "after the holder"));

    ASSERT_EQ(::WaitForSingleObject(holder.get(), 60000), WAIT_OBJECT_0);
    DWORD code = 0;
    ASSERT_TRUE(::GetExitCodeProcess(holder.get(), &code));
    EXPECT_EQ(code, 0u) << "1: no mutex of that name; 2: its DACL is not null; 3: not acquired";
    std::vector<std::string> lines = current_lines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "held");
    EXPECT_EQ(lines[1], "released");
    EXPECT_NE(lines[2].find("\tLauncher\tafter the holder"), std::string::npos) << lines[2];
}

TEST_F(SystemLog, TwoProcessesWritingAtOnceKeepEveryLineWhole) {
    set_markers(true, false);
    constexpr int lines_each = 2000;
    constexpr int padding = 600;  // about 2.5 MB in all: two rotations meanwhile
    kernel_handle first = start_writer(folder_, "alpha", lines_each, padding);
    kernel_handle second = start_writer(folder_, "beta", lines_each, padding);
    ASSERT_TRUE(first && second);
    HANDLE writers[2] = {first.get(), second.get()};
    ASSERT_EQ(::WaitForMultipleObjects(2, writers, TRUE, 300000), WAIT_OBJECT_0);
    DWORD first_code = 1, second_code = 1;
    ::GetExitCodeProcess(first.get(), &first_code);
    ::GetExitCodeProcess(second.get(), &second_code);
    EXPECT_EQ(first_code, 0u);
    EXPECT_EQ(second_code, 0u);

    // Oldest file first, so each writer's lines appear in order.
    std::vector<std::wstring> files;
    for (int k = 9; k >= 1; --k) files.push_back(path(numbered(k)));
    files.push_back(path(L"system.log"));
    std::string padding_text(padding, 'x');
    std::regex line_format("\\d{4}/\\d{2}/\\d{2} \\d{2}:\\d{2}:\\d{2}\tPID:0x[0-9a-f]+\\([^)]*\\)\tLogLv:20/20\t"
                           "Writer\t(alpha|beta) line (\\d+) " +
                           padding_text);
    std::map<std::string, int> next{{"alpha", 0}, {"beta", 0}};
    int rotated_files = 0;
    for (const std::wstring& file : files) {
        if (!exists(file)) continue;
        if (file != path(L"system.log")) ++rotated_files;
        std::string content = read_file(file);
        ASSERT_EQ(content.substr(content.size() - 2), "\r\n");
        for (const std::string& line : lines_of(content)) {
            std::smatch match;
            ASSERT_TRUE(std::regex_match(line, match, line_format)) << line.substr(0, 120);
            int& expected = next[match[1].str()];
            ASSERT_EQ(std::stoi(match[2].str()), expected) << "a line lost or out of order";
            ++expected;
        }
    }
    EXPECT_EQ(next["alpha"], lines_each);
    EXPECT_EQ(next["beta"], lines_each);
    EXPECT_GE(rotated_files, 2);
}
