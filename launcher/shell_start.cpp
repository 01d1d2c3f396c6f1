#include "shell_start.h"

#include <shellapi.h>

#include "platform.h"

namespace {

constexpr wchar_t open_verb[] = L"open";
constexpr wchar_t elevated_verb[] = L"runas";
constexpr INT_PTR last_failing_instance = 32;

INT_PTR shell_execute(HWND owner, const wchar_t* verb, const std::wstring& target) {
    return reinterpret_cast<INT_PTR>(::ShellExecuteW(owner, verb, target.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
}

}  // namespace

const wchar_t* elevating_verb() { return is_vista_or_later() ? elevated_verb : open_verb; }

bool shell_start_succeeded(HINSTANCE instance) {
    return reinterpret_cast<INT_PTR>(instance) > last_failing_instance;
}

bool shell_open(HWND owner, const std::wstring& target) {
    INT_PTR result = shell_execute(owner, open_verb, target);
    // Access may need elevation, which exists only from Vista on.
    if (result == SE_ERR_ACCESSDENIED && is_vista_or_later()) result = shell_execute(owner, elevated_verb, target);
    return shell_start_succeeded(reinterpret_cast<HINSTANCE>(result));
}
