// What a person would see of another process's windows, read through
// messages and window functions that work across processes.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "json_writer.h"

// Which top-level windows to look for: always those of one process (every
// test shares the prefix's desktop); empty fields match anything.
struct window_filter {
    std::wstring class_name;
    std::wstring title;
    DWORD process_id = 0;  // required: no window matches 0
    bool visible_only = true;
    int required_control = 0;  // a visible child with this id must exist; 0 for none
    bool message_box = false;  // a dialog holding a message text (static 0xFFFF)
};

std::wstring class_of(HWND window);
// The text of any window, also another process's control (WM_GETTEXT with a time-out).
std::wstring text_of(HWND window);
DWORD process_of(HWND window);

std::vector<HWND> find_top_level_windows(const window_filter& filter);
std::vector<HWND> children_of(HWND parent);

// The window and its direct children as one JSON object.
void describe_window(HWND window, json_writer& json);
