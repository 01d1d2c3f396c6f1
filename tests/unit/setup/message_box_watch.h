// Runs code that may show a message box on a thread of its own, and finds,
// reads and answers the boxes that thread shows.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "win_handle.h"

class worker_run {
public:
    explicit worker_run(std::function<void()> body);
    // Answers any box the thread still shows and waits for it to end.
    ~worker_run();
    worker_run(const worker_run&) = delete;
    worker_run& operator=(const worker_run&) = delete;

    DWORD thread_id() const { return thread_id_; }
    bool finished_within(DWORD ms) const;

private:
    static DWORD WINAPI entry(void* body);

    std::function<void()> body_;
    kernel_handle thread_;
    DWORD thread_id_ = 0;
};

struct message_box_view {
    std::wstring caption;
    std::wstring text;
    HICON icon = nullptr;
    bool has_ok = false;
    bool has_yes = false;
    bool has_no = false;
    bool has_cancel = false;
};

// A visible dialog box of the thread, or null when none shows in time.
HWND wait_for_message_box(DWORD thread_id, DWORD timeout_ms);
message_box_view read_message_box(HWND box);
// Presses the button with the given id.
void answer_message_box(HWND box, int button_id);
