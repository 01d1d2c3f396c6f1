#include "open_document.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data_control.h"
#include "locations/scratch_folder.h"
#include "message_box_watch.h"
#include "win_handle.h"

namespace {

const std::wstring support_page = L"http://www.milbek.co.jp/cs/";
const std::wstring reader_page = L"http://www.adobe.com/products/acrobat/readstep2.html";

constexpr DWORD recorder_wait_ms = 10000;
constexpr DWORD box_wait_ms = 10000;
// Long enough for a recorder that was started by mistake to have written.
constexpr DWORD quiet_ms = 1500;

// The shell recorder, registered for http, https and .pdf, writes what it
// was asked to open to the log that this test names.
class OpenDocument : public ::testing::Test {
protected:
    OpenDocument() : log(scratch.path() + L"recorder.log") {
        ::SetEnvironmentVariableW(L"OVN_SHELL_RECORDER_LOG", log.c_str());
    }
    ~OpenDocument() override { ::SetEnvironmentVariableW(L"OVN_SHELL_RECORDER_LOG", nullptr); }

    std::vector<std::wstring> recorded() const {
        std::vector<std::wstring> lines;
        std::string bytes;
        if (!read_file(log, bytes)) return lines;
        size_t position = 0;
        while (position < bytes.size()) {
            size_t end = bytes.find("\r\n", position);
            if (end == std::string::npos) break;  // a line still being written
            std::string line = bytes.substr(position, end - position);
            std::wstring wide(line.size(), L'\0');
            int length = ::MultiByteToWideChar(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), &wide[0],
                                               static_cast<int>(wide.size()));
            wide.resize(static_cast<size_t>(length > 0 ? length : 0));
            lines.push_back(wide);
            position = end + 2;
        }
        return lines;
    }

    // Waits until the recorder has been started count times in all.
    std::vector<std::wstring> wait_for_recorded(size_t count) const {
        DWORD start = ::GetTickCount();
        std::vector<std::wstring> lines = recorded();
        while (lines.size() < count && ::GetTickCount() - start < recorder_wait_ms) {
            ::Sleep(50);
            lines = recorded();
        }
        return lines;
    }

    scratch_folder scratch;
    const std::wstring log;
    CDataControl data{L"C:\\", true};
};

TEST_F(OpenDocument, ManualPageFromTheListOrElseTheSupportPage) {
    EXPECT_TRUE(open_latest_manual_page(data));
    data.manual().list.manual.page_url = L"http://127.0.0.1:9/manual/latest.html";
    EXPECT_TRUE(open_latest_manual_page(data));
    std::vector<std::wstring> lines = wait_for_recorded(2);
    ASSERT_EQ(lines.size(), 2u);
    // Two shell starts may finish in either order.
    EXPECT_TRUE((lines[0] == support_page && lines[1] == L"http://127.0.0.1:9/manual/latest.html") ||
                (lines[1] == support_page && lines[0] == L"http://127.0.0.1:9/manual/latest.html"))
        << lines[0].size() << " " << lines[1].size();
}

TEST_F(OpenDocument, ReleasePageAndLocalManualNeedATarget) {
    EXPECT_FALSE(open_release_page(data));
    EXPECT_FALSE(open_local_manual(data));
    ::Sleep(quiet_ms);
    EXPECT_TRUE(recorded().empty());

    data.install().list.newer_release.page_url = L"https://127.0.0.1:9/orvane7/";
    EXPECT_TRUE(open_release_page(data));
    std::vector<std::wstring> lines = wait_for_recorded(1);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], L"https://127.0.0.1:9/orvane7/");

    const std::wstring manual = scratch.path() + L"ovn6setup\\ovn6manual.pdf";
    ASSERT_TRUE(write_file(manual, "%PDF-1.4\n"));
    data.manual().manual_path = manual;
    EXPECT_TRUE(open_local_manual(data));
    lines = wait_for_recorded(2);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(::lstrcmpiW(lines[1].c_str(), manual.c_str()), 0);
}

TEST_F(OpenDocument, ReaderPageOpensAndThenTellsWhyTheReaderIsNeeded) {
    bool opened = false;
    worker_run run([&] { opened = open_reader_page(nullptr); });
    HWND box = wait_for_message_box(run.thread_id(), box_wait_ms);
    ASSERT_NE(box, nullptr);
    // The page was handed to the shell before the message showed.
    std::vector<std::wstring> lines = wait_for_recorded(1);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], reader_page);

    message_box_view view = read_message_box(box);
    EXPECT_EQ(view.caption, L"open_document_test");
    EXPECT_EQ(view.text,
              L"「Orvane」のマニュアルを閲覧するためには「Adobe(R) Reader(R)」が必要です。\n"
              L"アドビ システムズ社のウェブサイトから「Adobe(R) Reader(R)」をダウンロードしてください。");
    EXPECT_EQ(view.icon, ::LoadIconW(nullptr, IDI_INFORMATION));
    EXPECT_TRUE(view.has_ok);
    EXPECT_FALSE(view.has_yes || view.has_no || view.has_cancel);
    answer_message_box(box, IDOK);
    ASSERT_TRUE(run.finished_within(box_wait_ms));
    EXPECT_TRUE(opened);
}

// Points http at a program that does not exist for the length of a test.
class broken_http_association {
public:
    broken_http_association() {
        HKEY opened = nullptr;
        if (::RegOpenKeyExW(HKEY_CLASSES_ROOT, L"http\\shell\\open\\command", 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                            &opened) != ERROR_SUCCESS)
            return;
        key_.reset(opened);
        wchar_t old[2048] = {};
        DWORD size = sizeof(old) - sizeof(wchar_t);
        if (::RegQueryValueExW(key_.get(), nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(old), &size) ==
            ERROR_SUCCESS)
            old_ = old;
        set(L"\"C:\\ovn-missing\\no-browser.exe\" \"%1\"");
    }
    ~broken_http_association() {
        if (active()) set(old_);
    }
    bool active() const { return key_ && !old_.empty(); }

private:
    void set(const std::wstring& command) {
        ::RegSetValueExW(key_.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                         static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
    }

    registry_key key_;
    std::wstring old_;
};

TEST_F(OpenDocument, ReaderPageThatCannotBeOpenedShowsNothing) {
    broken_http_association broken;
    ASSERT_TRUE(broken.active());
    bool opened = true;
    worker_run run([&] { opened = open_reader_page(nullptr); });
    EXPECT_TRUE(run.finished_within(box_wait_ms));
    EXPECT_FALSE(opened);
    EXPECT_TRUE(recorded().empty());
}

}  // namespace
