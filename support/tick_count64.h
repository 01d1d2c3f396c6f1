// GetTickCount64 on every Windows version the launcher runs on: kernel32
// has it from Windows Vista on; before, the 32-bit GetTickCount count is
// carried on over its wraps (every 49.7 days).
#pragma once

#include <windows.h>

#include <atomic>

// kernel32's GetTickCount64 where it exists, else the carried-on count.
ULONGLONG WINAPI tick_count64();

// A 64-bit millisecond count made from 32-bit readings that wrap to 0
// after 2^32 ms. Each reading counts from the last one seen, so it must see
// one at least every 2^31 ms (24.8 days). Safe for readings from several
// threads: a reading taken before the last one seen (by a thread that was
// slower to report it) gives that last count, so the count never goes back.
class tick_count_extender {
public:
    ULONGLONG extend(DWORD reading);

private:
    std::atomic<ULONGLONG> last_{0};
};
