// Polling with a deadline, for conditions in another process that send no
// notification.
#pragma once

#include <windows.h>

#include <functional>

// Calls done() every poll_ms until it returns true (then true) or until
// timeout_ms have passed (then false). done() is called at least once.
bool wait_until(DWORD timeout_ms, const std::function<bool()>& done, DWORD poll_ms = 50);
