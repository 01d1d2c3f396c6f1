#include "waiting.h"

bool wait_until(DWORD timeout_ms, const std::function<bool()>& done, DWORD poll_ms) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        if (done()) return true;
        if (::GetTickCount() - start >= timeout_ms) return false;
        ::Sleep(poll_ms);
    }
}
