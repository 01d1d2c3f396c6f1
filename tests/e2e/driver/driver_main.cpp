// ovn_driver: works the launcher's windows from outside, as a person's
// clicks would, and answers in JSON on stdout. Exit status 0 when the
// command did what it was asked, 1 when it failed or timed out, 2 on a
// usage error.
//
//   wait-window --class C --pid P [--title T] [--control ID] [--timeout MS]
//   find-windows --class C --pid P [--all 1]     every match, visible or not
//   info --hwnd H
//   click --hwnd H --id N          presses a push button (posted BM_CLICK)
//   toggle --hwnd H --id N         toggles a check box (sent BM_CLICK)
//   double-click --hwnd H --id N   two fast mouse clicks on a button, the
//                                  second one arriving as a double click
//   close --hwnd H                 WM_CLOSE
//   cancel --hwnd H                the Cancel command (IDCANCEL)
//   escape --hwnd H                the Esc key
//   close-box --hwnd H             the title bar's close box (SC_CLOSE)
//   wait-msgbox --pid P [--timeout MS]
//   answer --hwnd H --id N         answers a message box with a button id
//   wait-gone --hwnd H [--timeout MS]
//   start --exe PATH               starts a program, prints its process id
//   wait-exit --pid P [--timeout MS]
//   run --exe PATH [--timeout MS]  starts a program, waits for its end and
//                                  lists every window it showed meanwhile
//   kill --pid P --exe PATH        ends a process at once (test clean-up),
//                                  only when it runs the program PATH names
//   shield-icon                    whether the system has the shield icon
//   cursor --x X --y Y             moves the mouse pointer
#include <windows.h>
#include <psapi.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <set>
#include <string>

#include "driver_options.h"
#include "json_writer.h"
#include "waiting.h"
#include "win_handle.h"
#include "window_query.h"

enum driver_status { status_ok = 0, status_failed = 1, status_usage = 2 };

static const DWORD default_timeout_ms = 30000;
// The system's shield icon in user32 (Windows Vista and later), and the
// standard shield id under which other user32s carry it.
static const WORD shield_icon_ids[] = {106, 32518};

static void print(const json_writer& json) {
    std::fwrite(json.text().data(), 1, json.text().size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

static void print_error(const char* what, DWORD code = 0) {
    json_writer json;
    json.begin_object().key("error").value(what).key("code").value(static_cast<long long>(code)).end_object();
    print(json);
}

static DWORD timeout_of(const driver_options& options) {
    return static_cast<DWORD>(options.number(L"timeout", default_timeout_ms));
}

static window_filter filter_of(const driver_options& options) {
    window_filter filter;
    filter.class_name = options.text(L"class");
    filter.title = options.text(L"title");
    filter.process_id = static_cast<DWORD>(options.number(L"pid"));
    filter.required_control = static_cast<int>(options.number(L"control"));
    filter.visible_only = options.number(L"all") == 0;
    return filter;
}

static int describe(HWND window) {
    json_writer json;
    describe_window(window, json);
    print(json);
    return status_ok;
}

static int wait_for_window(window_filter filter, DWORD timeout) {
    HWND found = nullptr;
    bool ok = wait_until(timeout, [&] {
        auto windows = find_top_level_windows(filter);
        if (windows.empty()) return false;
        found = windows.front();
        return true;
    });
    if (!ok) {
        print_error("timeout");
        return status_failed;
    }
    return describe(found);
}

static int find_windows(const driver_options& options) {
    json_writer json;
    json.begin_array();
    for (HWND window : find_top_level_windows(filter_of(options))) describe_window(window, json);
    json.end_array();
    print(json);
    return status_ok;
}

static HWND control_of(const driver_options& options) {
    HWND dialog = options.window();
    return dialog ? ::GetDlgItem(dialog, static_cast<int>(options.number(L"id"))) : nullptr;
}

static int post(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (!window || !::PostMessageW(window, message, wparam, lparam)) {
        print_error("post failed", ::GetLastError());
        return status_failed;
    }
    return status_ok;
}

// What the system posts for two fast clicks inside a button.
static int double_click(HWND button) {
    const LPARAM inside = MAKELPARAM(2, 2);
    const UINT messages[] = {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP};
    for (UINT message : messages) {
        int status = post(button, message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON, inside);
        if (status != status_ok) return status;
    }
    return status_ok;
}

static int toggle(const driver_options& options) {
    HWND box = control_of(options);
    if (!box) {
        print_error("no such control");
        return status_failed;
    }
    // Sent, not posted: a check box reacts to BM_CLICK only this way.
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(box, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
    DWORD_PTR state = 0;
    ::SendMessageTimeoutW(box, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 5000, &state);
    json_writer json;
    json.begin_object().key("checked").value(state == BST_CHECKED).end_object();
    print(json);
    return status_ok;
}

static int escape(HWND window) {
    int status = post(window, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    if (status == status_ok) status = post(window, WM_KEYUP, VK_ESCAPE, 0xC0010001);
    return status;
}

static int answer(const driver_options& options) {
    HWND box = options.window();
    const int id = static_cast<int>(options.number(L"id"));
    HWND button = box ? ::GetDlgItem(box, id) : nullptr;
    if (!button) {
        print_error("no such button");
        return status_failed;
    }
    return post(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

static int wait_gone(HWND window, DWORD timeout) {
    if (!wait_until(timeout, [&] { return !::IsWindow(window); })) {
        print_error("timeout");
        return status_failed;
    }
    return status_ok;
}

static bool start_process(const std::wstring& exe, PROCESS_INFORMATION& process) {
    std::wstring command_line = L"\"" + exe + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    return ::CreateProcessW(exe.c_str(), &command_line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &startup, &process) != FALSE;
}

static int start(const driver_options& options) {
    PROCESS_INFORMATION info{};
    if (!start_process(options.text(L"exe"), info)) {
        print_error("CreateProcess failed", ::GetLastError());
        return status_failed;
    }
    kernel_handle process(info.hProcess), thread(info.hThread);
    json_writer json;
    json.begin_object().key("pid").value(static_cast<long long>(info.dwProcessId)).end_object();
    print(json);
    return status_ok;
}

static void print_exit(DWORD pid, bool ended, DWORD code, const std::set<std::wstring>* windows) {
    json_writer json;
    json.begin_object();
    json.key("pid").value(static_cast<long long>(pid));
    json.key("ended").value(ended);
    json.key("exit_code");
    if (ended) json.value(static_cast<long long>(code));
    else json.null();
    if (windows) {
        json.key("windows").begin_array();
        for (const auto& cls : *windows) json.value(cls);
        json.end_array();
    }
    json.end_object();
    print(json);
}

static int wait_exit(const driver_options& options) {
    const DWORD pid = static_cast<DWORD>(options.number(L"pid"));
    kernel_handle process(::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    if (!process) {
        // Already gone (or never there): nothing left to wait for.
        print_exit(pid, true, 0, nullptr);
        return status_ok;
    }
    const bool ended = ::WaitForSingleObject(process.get(), timeout_of(options)) == WAIT_OBJECT_0;
    DWORD code = 0;
    ::GetExitCodeProcess(process.get(), &code);
    print_exit(pid, ended, code, nullptr);
    return ended ? status_ok : status_failed;
}

// Starts a program and records the class of every top-level window it
// creates, visible or not, until it ends; one that outlives the time-out
// is terminated.
static int run(const driver_options& options) {
    PROCESS_INFORMATION info{};
    if (!start_process(options.text(L"exe"), info)) {
        print_error("CreateProcess failed", ::GetLastError());
        return status_failed;
    }
    kernel_handle process(info.hProcess), thread(info.hThread);
    window_filter filter;
    filter.process_id = info.dwProcessId;
    filter.visible_only = false;
    std::set<std::wstring> seen;
    const bool ended = wait_until(timeout_of(options), [&] {
        for (HWND window : find_top_level_windows(filter)) seen.insert(class_of(window));
        return ::WaitForSingleObject(process.get(), 0) == WAIT_OBJECT_0;
    }, 5);
    if (!ended) {
        ::TerminateProcess(process.get(), 1);
        ::WaitForSingleObject(process.get(), 5000);
    }
    DWORD code = 0;
    ::GetExitCodeProcess(process.get(), &code);
    print_exit(info.dwProcessId, ended, code, &seen);
    return ended ? status_ok : status_failed;
}

// The file name of the program a process runs, lower case; empty when it
// cannot be read.
static std::wstring program_name_of(HANDLE process) {
    wchar_t image[MAX_PATH + 1] = {};
    DWORD length = ::GetModuleFileNameExW(process, nullptr, image, MAX_PATH);
    if (length == 0) return std::wstring();
    std::wstring name(image, length);
    name.erase(0, name.find_last_of(L"\\/") + 1);
    ::CharLowerBuffW(&name[0], static_cast<DWORD>(name.size()));
    return name;
}

// Process ids are handed out again as soon as a process has gone, so the
// id a test was given may by now belong to another test's program: only
// a process running the program that the test started is ended.
static int kill(DWORD pid, std::wstring program) {
    kernel_handle process(
        ::OpenProcess(PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | SYNCHRONIZE, FALSE, pid));
    program.erase(0, program.find_last_of(L"\\/") + 1);
    ::CharLowerBuffW(&program[0], static_cast<DWORD>(program.size()));
    if (process && (program.empty() || program_name_of(process.get()) != program)) {
        print_error("another program has that process id");
        return status_failed;
    }
    if (!process || !::TerminateProcess(process.get(), 1)) {
        print_error("cannot terminate", ::GetLastError());
        return status_failed;
    }
    ::WaitForSingleObject(process.get(), 5000);
    return status_ok;
}

static int shield_icon() {
    HMODULE user32 = ::GetModuleHandleW(L"user32");
    json_writer json;
    json.begin_object();
    bool any = false;
    for (WORD id : shield_icon_ids) {
        icon_handle icon(static_cast<HICON>(
            ::LoadImageW(user32, MAKEINTRESOURCEW(id), IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR)));
        json.key(id == shield_icon_ids[0] ? "icon_106" : "icon_32518").value(static_cast<bool>(icon));
        any = any || icon;
    }
    json.key("available").value(any);
    json.end_object();
    print(json);
    return status_ok;
}

static int dispatch(const driver_options& options) {
    const std::wstring& command = options.command();
    const DWORD timeout = timeout_of(options);
    // Window searches look at one process only, never at other tests' windows.
    const bool searches = command == L"wait-window" || command == L"find-windows" || command == L"wait-msgbox";
    if (searches && options.number(L"pid") == 0) {
        print_error("--pid is required");
        return status_usage;
    }
    if (command == L"wait-window") return wait_for_window(filter_of(options), timeout);
    if (command == L"find-windows") return find_windows(options);
    if (command == L"info") {
        HWND window = options.window();
        if (!::IsWindow(window)) {
            print_error("no such window");
            return status_failed;
        }
        return describe(window);
    }
    if (command == L"click") return post(control_of(options), BM_CLICK, 0, 0);
    if (command == L"toggle") return toggle(options);
    if (command == L"double-click") return double_click(control_of(options));
    if (command == L"close") return post(options.window(), WM_CLOSE, 0, 0);
    if (command == L"cancel")
        return post(options.window(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    if (command == L"escape") return escape(options.window());
    if (command == L"close-box") return post(options.window(), WM_SYSCOMMAND, SC_CLOSE, 0);
    if (command == L"wait-msgbox") {
        window_filter filter;
        filter.class_name = L"#32770";
        filter.process_id = static_cast<DWORD>(options.number(L"pid"));
        filter.message_box = true;
        return wait_for_window(filter, timeout);
    }
    if (command == L"answer") return answer(options);
    if (command == L"wait-gone") return wait_gone(options.window(), timeout);
    if (command == L"start") return start(options);
    if (command == L"wait-exit") return wait_exit(options);
    if (command == L"run") return run(options);
    if (command == L"kill") return kill(static_cast<DWORD>(options.number(L"pid")), options.text(L"exe"));
    if (command == L"shield-icon") return shield_icon();
    if (command == L"cursor") {
        if (!::SetCursorPos(static_cast<int>(options.number(L"x")), static_cast<int>(options.number(L"y")))) {
            print_error("SetCursorPos failed", ::GetLastError());
            return status_failed;
        }
        return status_ok;
    }
    print_error("unknown command");
    return status_usage;
}

int wmain(int argc, wchar_t** argv) {
    // UTF-8 JSON goes out byte for byte.
    _setmode(_fileno(stdout), _O_BINARY);
    driver_options options;
    if (!options.parse(argc, argv)) {
        print_error("usage: ovn_driver COMMAND [--name value]...");
        return status_usage;
    }
    return dispatch(options);
}
