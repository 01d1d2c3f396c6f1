#include "message_box_watch.h"

namespace {

constexpr DWORD poll_ms = 50;
constexpr int message_text_id = 0xFFFF;
constexpr DWORD leftover_box_wait_ms = 2000;
constexpr DWORD final_join_ms = 15000;

BOOL CALLBACK find_dialog(HWND window, LPARAM found) {
    wchar_t class_name[16] = {};
    ::GetClassNameW(window, class_name, 16);
    if (std::wstring(class_name) == L"#32770" && ::IsWindowVisible(window)) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

std::wstring text_of(HWND window) {
    wchar_t text[1024] = {};
    if (window) ::GetWindowTextW(window, text, 1024);
    return text;
}

}  // namespace

worker_run::worker_run(std::function<void()> body) : body_(std::move(body)) {
    thread_.reset(::CreateThread(nullptr, 0, &worker_run::entry, &body_, 0, &thread_id_));
}

worker_run::~worker_run() {
    if (!thread_) return;
    while (!finished_within(0)) {
        HWND box = wait_for_message_box(thread_id_, leftover_box_wait_ms);
        if (box) {
            ::PostMessageW(box, WM_CLOSE, 0, 0);
        } else if (!finished_within(final_join_ms)) {
            break;  // the test's outer time-out ends the program
        }
    }
}

DWORD WINAPI worker_run::entry(void* body) {
    (*static_cast<std::function<void()>*>(body))();
    return 0;
}

bool worker_run::finished_within(DWORD ms) const {
    return !thread_ || ::WaitForSingleObject(thread_.get(), ms) == WAIT_OBJECT_0;
}

HWND wait_for_message_box(DWORD thread_id, DWORD timeout_ms) {
    DWORD start = ::GetTickCount();
    for (;;) {
        HWND found = nullptr;
        ::EnumThreadWindows(thread_id, find_dialog, reinterpret_cast<LPARAM>(&found));
        if (found) return found;
        if (::GetTickCount() - start >= timeout_ms) return nullptr;
        ::Sleep(poll_ms);
    }
}

message_box_view read_message_box(HWND box) {
    message_box_view view;
    view.caption = text_of(box);
    view.text = text_of(::GetDlgItem(box, message_text_id));
    HWND icon = ::GetDlgItem(box, 1088);  // the message box's icon control
    if (icon) view.icon = reinterpret_cast<HICON>(::SendMessageW(icon, STM_GETICON, 0, 0));
    view.has_ok = ::GetDlgItem(box, IDOK) != nullptr;
    view.has_yes = ::GetDlgItem(box, IDYES) != nullptr;
    view.has_no = ::GetDlgItem(box, IDNO) != nullptr;
    view.has_cancel = ::GetDlgItem(box, IDCANCEL) != nullptr;
    return view;
}

void answer_message_box(HWND box, int button_id) {
    // As the button's own click notification would; BM_CLICK takes Wine
    // about two seconds here.
    HWND button = ::GetDlgItem(box, button_id);
    if (button) ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(button_id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}
