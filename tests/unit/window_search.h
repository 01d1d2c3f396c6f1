// Finding a test's own windows. Every test of the build runs in one Wine
// prefix on one display, so a search over the whole desktop (FindWindow, a
// bare EnumWindows) can take another test's window when tests run in
// parallel. Searches here look only at the top-level windows of one process.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace window_search {

struct filter {
    DWORD process_id = 0;
    const wchar_t* class_name = nullptr;  // any class when null
    const wchar_t* title = nullptr;       // any title when null
    int required_control = 0;             // a child with this id must exist
    bool visible_only = false;
};

inline bool matches(HWND window, const filter& wanted) {
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    if (process != wanted.process_id) return false;
    if (wanted.visible_only && !::IsWindowVisible(window)) return false;
    if (wanted.class_name) {
        wchar_t name[256] = {};
        ::GetClassNameW(window, name, 256);
        if (std::wstring(name) != wanted.class_name) return false;
    }
    if (wanted.title) {
        wchar_t text[256] = {};
        ::GetWindowTextW(window, text, 256);
        if (std::wstring(text) != wanted.title) return false;
    }
    return !wanted.required_control || ::GetDlgItem(window, wanted.required_control);
}

struct search_state {
    const filter* wanted;
    std::vector<HWND> found;
};

// A callback of the system's calling convention (stdcall on 32-bit).
inline BOOL CALLBACK collect_match(HWND window, LPARAM param) {
    auto* s = reinterpret_cast<search_state*>(param);
    if (matches(window, *s->wanted)) s->found.push_back(window);
    return TRUE;
}

// Every top-level window that `wanted` describes, in z-order.
inline std::vector<HWND> top_level_windows(const filter& wanted) {
    search_state search{&wanted, {}};
    ::EnumWindows(collect_match, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The first top-level window of this process with the class and title.
inline HWND own_window(const wchar_t* class_name, const wchar_t* title = nullptr) {
    filter wanted;
    wanted.process_id = ::GetCurrentProcessId();
    wanted.class_name = class_name;
    wanted.title = title;
    const std::vector<HWND> found = top_level_windows(wanted);
    return found.empty() ? nullptr : found.front();
}

}  // namespace window_search
