#include "window_query.h"

#include "window_search.h"

// A control that does not answer within this time is reported without text.
static const UINT message_timeout_ms = 2000;
// The id of a message box's text.
static const int message_text_id = 0xFFFF;
// The id of a message box's icon.
static const int message_icon_id = 1088;

std::wstring class_of(HWND window) {
    wchar_t name[256] = {};
    int n = ::GetClassNameW(window, name, 256);
    return std::wstring(name, n > 0 ? n : 0);
}

std::wstring text_of(HWND window) {
    DWORD_PTR length = 0;
    if (!::SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, message_timeout_ms, &length))
        return {};
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!::SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]),
                               SMTO_ABORTIFHUNG, message_timeout_ms, &copied))
        return {};
    text.resize(copied);
    return text;
}

DWORD process_of(HWND window) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    return pid;
}

std::vector<HWND> children_of(HWND parent) {
    std::vector<HWND> out;
    for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        out.push_back(child);
    return out;
}

// What the shared search does not decide: titles of other processes'
// windows are read by message, and controls must be visible.
static bool matches(HWND window, const window_filter& filter) {
    if (!filter.title.empty() && text_of(window) != filter.title) return false;
    if (filter.required_control) {
        HWND control = ::GetDlgItem(window, filter.required_control);
        if (!control || !::IsWindowVisible(control)) return false;
    }
    if (filter.message_box && !::GetDlgItem(window, message_text_id)) return false;
    return true;
}

std::vector<HWND> find_top_level_windows(const window_filter& filter) {
    window_search::filter of_process;
    of_process.process_id = filter.process_id;
    of_process.class_name = filter.class_name.empty() ? nullptr : filter.class_name.c_str();
    of_process.visible_only = filter.visible_only;
    std::vector<HWND> found;
    for (HWND window : window_search::top_level_windows(of_process))
        if (matches(window, filter)) found.push_back(window);
    return found;
}

static std::wstring handle_text(HWND window) {
    wchar_t buf[32];
    swprintf(buf, 32, L"0x%llx", static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(window)));
    return buf;
}

static LRESULT ask(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutW(window, message, wparam, lparam, SMTO_ABORTIFHUNG, message_timeout_ms, &result))
        return 0;
    return static_cast<LRESULT>(result);
}

static void rect_array(json_writer& json, LONG x, LONG y, LONG w, LONG h) {
    json.begin_array().value(static_cast<long long>(x)).value(static_cast<long long>(y))
        .value(static_cast<long long>(w)).value(static_cast<long long>(h)).end_array();
}

static void describe_control(HWND control, HWND parent, HWND focus, json_writer& json) {
    const std::wstring cls = class_of(control);
    const LONG style = ::GetWindowLongW(control, GWL_STYLE);
    RECT r{};
    ::GetWindowRect(control, &r);
    ::MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);

    json.begin_object();
    json.key("hwnd").value(handle_text(control));
    json.key("id").value(static_cast<long long>(::GetDlgCtrlID(control)));
    json.key("class").value(cls);
    json.key("text").value(text_of(control));
    json.key("style").value(static_cast<long long>(static_cast<DWORD>(style)));
    json.key("rect");
    rect_array(json, r.left, r.top, r.right - r.left, r.bottom - r.top);
    json.key("enabled").value(::IsWindowEnabled(control) != FALSE);
    json.key("visible").value(::IsWindowVisible(control) != FALSE);
    json.key("focused").value(control == focus);
    if (lstrcmpiW(cls.c_str(), L"Button") == 0) {
        const LRESULT state = ask(control, BM_GETSTATE, 0, 0);
        json.key("checked").value((state & BST_CHECKED) != 0);
        // What the button draws: a focus state shows as the focus look.
        json.key("focus_state").value((state & BST_FOCUS) != 0);
        json.key("pushed").value((state & BST_PUSHED) != 0);
        json.key("image_icon").value(ask(control, BM_GETIMAGE, IMAGE_ICON, 0) != 0);
        json.key("image_bitmap").value(ask(control, BM_GETIMAGE, IMAGE_BITMAP, 0) != 0);
    } else if (lstrcmpiW(cls.c_str(), L"Static") == 0) {
        json.key("image_icon").value(ask(control, STM_GETIMAGE, IMAGE_ICON, 0) != 0);
        json.key("image_bitmap").value(ask(control, STM_GETIMAGE, IMAGE_BITMAP, 0) != 0);
    }
    json.end_object();
}

void describe_window(HWND window, json_writer& json) {
    RECT outer{}, client{};
    ::GetWindowRect(window, &outer);
    ::GetClientRect(window, &client);
    POINT origin{0, 0};
    ::ClientToScreen(window, &origin);

    DWORD pid = 0;
    DWORD thread = ::GetWindowThreadProcessId(window, &pid);
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    HWND focus = ::GetGUIThreadInfo(thread, &gui) ? gui.hwndFocus : nullptr;

    json.begin_object();
    json.key("hwnd").value(handle_text(window));
    json.key("pid").value(static_cast<long long>(pid));
    json.key("class").value(class_of(window));
    json.key("caption").value(text_of(window));
    json.key("style").value(static_cast<long long>(static_cast<DWORD>(::GetWindowLongW(window, GWL_STYLE))));
    json.key("ex_style").value(static_cast<long long>(static_cast<DWORD>(::GetWindowLongW(window, GWL_EXSTYLE))));
    json.key("visible").value(::IsWindowVisible(window) != FALSE);
    json.key("enabled").value(::IsWindowEnabled(window) != FALSE);
    json.key("iconic").value(::IsIconic(window) != FALSE);
    json.key("window_rect");
    rect_array(json, outer.left, outer.top, outer.right - outer.left, outer.bottom - outer.top);
    json.key("client_origin").begin_array().value(static_cast<long long>(origin.x))
        .value(static_cast<long long>(origin.y)).end_array();
    json.key("client_size").begin_array().value(static_cast<long long>(client.right))
        .value(static_cast<long long>(client.bottom)).end_array();
    HWND owner = ::GetWindow(window, GW_OWNER);
    json.key("owner").value(owner ? handle_text(owner) : std::wstring());
    json.key("small_icon").value(ask(window, WM_GETICON, ICON_SMALL, 0) != 0);
    json.key("big_icon").value(ask(window, WM_GETICON, ICON_BIG, 0) != 0);
    if (HWND text = ::GetDlgItem(window, message_text_id)) json.key("message").value(text_of(text));
    if (::GetDlgItem(window, message_icon_id)) json.key("message_icon").value(
        ask(::GetDlgItem(window, message_icon_id), STM_GETICON, 0, 0) != 0);
    json.key("controls").begin_array();
    for (HWND child : children_of(window)) describe_control(child, window, focus, json);
    json.end_array();
    json.end_object();
}
