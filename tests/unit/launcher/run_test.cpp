// The install and manual runs over a recording view and a scripted list
// source, against real files: what the user is asked, and that a stop
// request raised between two steps ends the run there.
#include <gtest/gtest.h>

#include <windows.h>

#include <cctype>
#include <functional>
#include <map>
#include <new>
#include <ostream>
#include <string>
#include <vector>

#include "data_control.h"
#include "install_flow.h"
#include "list_source.h"
#include "locations/scratch_folder.h"
#include "manual_flow.h"
#include "path_util.h"
#include "resource.h"
#include "run_view.h"

namespace {

const std::wstring digest_abc = L"900150983cd24fb0d6963f7d28e17f72";
const std::wstring other_digest = L"0123456789abcdef0123456789abcdef";

// Every call of the run on the window and on the list source, in order.
class recording_view : public run_view {
public:
    std::vector<std::string> events;
    std::map<UINT, int> answers;  // by text id; without one, No or OK
    std::function<void(const std::string&)> on_event;

    void note(const std::string& event) {
        events.push_back(event);
        if (on_event) on_event(event);
    }

    HWND owner() const override { return nullptr; }
    void show_progress_text(UINT text_id) override { note("progress " + std::to_string(text_id)); }
    void hide_progress() override { note("hide"); }
    int ask(UINT text_id, UINT flags) override {
        note("ask " + std::to_string(text_id));
        auto answer = answers.find(text_id);
        if (answer != answers.end()) return answer->second;
        return (flags & MB_YESNO) ? IDNO : IDOK;
    }
    int ask_text(const std::wstring&, UINT) override {
        note("ask text");
        return IDNO;
    }
    bool choose_folder_checked() const override { return false; }
    void set_run_controls_enabled(launcher_run run, bool enabled) override {
        note(std::string(run == launcher_run::install ? "install" : "manual") + (enabled ? " on" : " off"));
    }
};

class scripted_source : public list_source {
public:
    explicit scripted_source(recording_view& view) : view_(view) {}

    bool available = false;
    installer_list list;

    bool fetch_list(HWND, installer_list& out) override {
        view_.note("fetch");
        if (!available) return false;
        out = list;
        return true;
    }
    bool download(const std::wstring&, HWND, const std::wstring&) override {
        view_.note("download");
        return false;
    }

private:
    recording_view& view_;
};

struct run_case {
    const char* name;
    launcher_run run;
    bool file_at_hand;             // the medium's setup (install) or manual, "abc"
    bool list_available;           // with this digest for the setup and the manual
    const wchar_t* list_digest;
    const char* stop_at;           // the event at which the stop is raised, or null
    const char* change_file_at;    // the event at which the file at hand changes, or null
    std::map<UINT, int> answers;
    std::vector<std::string> expected;
    const char* throw_at = nullptr;  // the event at which something inside the run throws
    bool staging_there = false;      // a staging file left by someone else, which must stay
};

const run_case run_cases[] = {
    {"without list and setup the run ends with its one message", launcher_run::install, false, false, L"", nullptr,
     nullptr, {},
     {"install off", "progress 113", "fetch", "hide", "ask 105", "hide", "install on"}},
    {"a setup at hand that changed after 104 Yes ends the run quietly", launcher_run::install, true, false, L"",
     nullptr, "fetch", {{IDS_DOWNLOAD_FAILED_USE_EXISTING, IDYES}},
     {"install off", "progress 113", "fetch", "hide", "ask 104", "hide", "install on"}},
    {"stop raised before the setup is looked for", launcher_run::install, true, true, L"", "progress 113", nullptr,
     {},
     {"install off", "progress 113", "hide", "install on"}},
    {"stop raised while the list comes: nothing is downloaded", launcher_run::install, false, true,
     other_digest.c_str(), "fetch", nullptr, {},
     {"install off", "progress 113", "fetch", "hide", "progress 114", "hide", "install on"}},
    {"stop raised while the list comes: no question about the manual", launcher_run::manual, true, true,
     other_digest.c_str(), "fetch", nullptr, {},
     {"manual off", "fetch", "manual on"}},
    {"an install run that throws still ends", launcher_run::install, false, false, L"", nullptr, nullptr, {},
     {"install off", "progress 113", "fetch", "hide", "install on"}, "fetch"},
    {"a manual run that throws still ends", launcher_run::manual, false, false, L"", nullptr, nullptr, {},
     {"manual off", "fetch", "manual on"}, "fetch"},
    {"a failed download keeps a staging file it did not make", launcher_run::install, false, true,
     other_digest.c_str(), nullptr, nullptr, {},
     {"install off", "progress 113", "fetch", "hide", "progress 114", "download", "hide", "ask 105", "hide",
      "install on"},
     nullptr, true},
};

void PrintTo(const run_case& c, std::ostream* out) { *out << c.name; }

class Runs : public ::testing::TestWithParam<run_case> {
protected:
    Runs() : medium(scratch.path() + L"medium\\"), temp(scratch.path() + L"temp") {
        make_folders(medium + L"ovn6setup\\");
        make_folders(temp + L"\\");
        ::SetEnvironmentVariableW(L"TEMP", temp.c_str());
        ::SetEnvironmentVariableW(L"TMP", temp.c_str());
    }

    scratch_folder scratch;
    const std::wstring medium;
    const std::wstring temp;
};

TEST_P(Runs, AsksAndStepsAsExpected) {
    const run_case& c = GetParam();
    const std::wstring file_at_hand =
        medium + (c.run == launcher_run::install ? L"ovn6setup\\setup64.exe" : L"ovn6setup\\ovn6manual.pdf");
    if (c.file_at_hand) {
        ASSERT_TRUE(write_file(file_at_hand, "abc"));
    }
    const std::wstring staging = temp + L"\\ovn6setup\\setup64.exe.download";
    if (c.staging_there) {
        make_folders(temp + L"\\ovn6setup\\");
        ASSERT_TRUE(write_file(staging, "not this run's"));
    }

    recording_view view;
    view.answers = c.answers;
    scripted_source source(view);
    source.available = c.list_available;
    source.list.accepted = c.list_available;
    source.list.latest_setup = {L"6.0.0.1", c.list_digest, L"http://127.0.0.1:9/setup64.exe"};
    source.list.manual = {true, c.list_digest, L"http://127.0.0.1:9/manual/"};

    stop_flag stop = 0;
    view.on_event = [&](const std::string& event) {
        if (c.stop_at && event == c.stop_at) stop = 1;
        if (c.change_file_at && event == c.change_file_at) write_file(file_at_hand, "changed");
        if (c.throw_at && event == c.throw_at) throw std::bad_alloc();
    };
    CDataControl data(medium, true);
    try {
        if (c.run == launcher_run::install)
            run_install(view, source, data, stop);
        else
            run_manual(view, source, data, stop);
        EXPECT_EQ(c.throw_at, nullptr) << "the run did not throw";
    } catch (const std::bad_alloc&) {
        EXPECT_NE(c.throw_at, nullptr);
    }
    EXPECT_EQ(view.events, c.expected);
    if (c.staging_there) {
        EXPECT_TRUE(file_exists(staging));
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, Runs, ::testing::ValuesIn(run_cases), [](const auto& info) {
    std::string name;
    for (const char* c = info.param.name; *c; ++c)
        if (std::isalnum(static_cast<unsigned char>(*c))) name += *c;
    return name;
});

}  // namespace
