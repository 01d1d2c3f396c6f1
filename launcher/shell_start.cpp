#include "shell_start.h"

#include <shellapi.h>

#include "platform.h"

namespace {

constexpr wchar_t open_verb[] = L"open";
constexpr wchar_t elevated_verb[] = L"runas";
constexpr INT_PTR last_failing_instance = 32;
// ShellExecute's value for a failure without a cause it names.
constexpr INT_PTR failed_without_cause = 0;
// What ShellExecute does, and the start complete before the call returns.
constexpr ULONG worker_open_mask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;

INT_PTR window_thread_execute(HWND owner, const wchar_t* verb, const std::wstring& target) {
    return reinterpret_cast<INT_PTR>(::ShellExecuteW(owner, verb, target.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
}

// The instance value as ShellExecute would report it.
INT_PTR worker_thread_execute(HWND owner, const wchar_t* verb, const std::wstring& target) {
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = worker_open_mask;
    info.hwnd = owner;
    info.lpVerb = verb;
    info.lpFile = target.c_str();
    info.nShow = SW_SHOWNORMAL;
    BOOL started = ::ShellExecuteExW(&info);
    INT_PTR result = reinterpret_cast<INT_PTR>(info.hInstApp);
    // A failed call that left a success value in place still failed.
    if (!started && result > last_failing_instance) return failed_without_cause;
    return result;
}

INT_PTR shell_execute(HWND owner, const wchar_t* verb, const std::wstring& target, shell_caller caller) {
    if (caller == shell_caller::worker_thread) return worker_thread_execute(owner, verb, target);
    return window_thread_execute(owner, verb, target);
}

}  // namespace

const wchar_t* elevating_verb() { return is_vista_or_later() ? elevated_verb : open_verb; }

bool shell_start_succeeded(HINSTANCE instance) {
    return reinterpret_cast<INT_PTR>(instance) > last_failing_instance;
}

bool shell_open(HWND owner, const std::wstring& target, shell_caller caller) {
    INT_PTR result = shell_execute(owner, open_verb, target, caller);
    // Access may need elevation, which exists only from Vista on.
    if (result == SE_ERR_ACCESSDENIED && is_vista_or_later())
        result = shell_execute(owner, elevated_verb, target, caller);
    return shell_start_succeeded(reinterpret_cast<HINSTANCE>(result));
}
