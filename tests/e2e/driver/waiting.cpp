#include "waiting.h"

bool wait_until(DWORD timeout_ms, const std::function<bool()>& done, DWORD poll_ms) {
    const ULONGLONG deadline = ::GetTickCount64() + timeout_ms;
    for (;;) {
        if (done()) return true;
        if (::GetTickCount64() >= deadline) return false;
        ::Sleep(poll_ms);
    }
}
