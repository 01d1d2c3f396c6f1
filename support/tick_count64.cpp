#include "tick_count64.h"

namespace {

using tick_count64_fn = ULONGLONG(WINAPI*)();

// A reading this far or further ahead of the last one was taken before it.
constexpr DWORD late_reading_limit = 0x80000000u;

tick_count_extender carried_count;

tick_count64_fn system_tick_count64() {
    HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    if (!kernel) return nullptr;
    return reinterpret_cast<tick_count64_fn>(reinterpret_cast<void*>(::GetProcAddress(kernel, "GetTickCount64")));
}

}  // namespace

ULONGLONG tick_count_extender::extend(DWORD reading) {
    ULONGLONG last = last_.load();
    for (;;) {
        // How far the reading is ahead of the last one, across a wrap too.
        DWORD ahead = reading - static_cast<DWORD>(last);
        if (last != 0 && ahead >= late_reading_limit) return last;
        ULONGLONG next = last == 0 ? reading : last + ahead;
        if (last_.compare_exchange_weak(last, next)) return next;
    }
}

ULONGLONG WINAPI tick_count64() {
    // Looked up at every call: no initialisation order to depend on, and
    // the callers (the thread runtime's timed waits) are not hot.
    if (tick_count64_fn system = system_tick_count64()) return system();
    return carried_count.extend(::GetTickCount());
}
