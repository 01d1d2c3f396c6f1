// Worker threads. A thread object either deletes itself when its thread
// ends (the default) or, with m_bAutoDelete cleared before the thread is
// resumed, stays for its owner to inspect and delete.
#pragma once

#include <windows.h>

#include "win_handle.h"

using thread_proc = UINT (*)(LPVOID param);

class CWinThread {
public:
    CWinThread(thread_proc proc, LPVOID param);
    virtual ~CWinThread() = default;
    CWinThread(const CWinThread&) = delete;
    CWinThread& operator=(const CWinThread&) = delete;

    // Starts the thread (CREATE_SUSPENDED to keep it waiting); false with
    // the thread's last error set when it cannot be created.
    bool CreateThread(DWORD flags = 0, UINT stack_size = 0);
    DWORD ResumeThread();
    bool SetThreadPriority(int priority);

    HANDLE handle() const { return thread_.get(); }
    DWORD thread_id() const { return thread_id_; }
    // False when the exit code cannot be read; STILL_ACTIVE while it runs.
    bool exit_code(DWORD& code) const;
    bool is_running() const;

    BOOL m_bAutoDelete = TRUE;

private:
    static unsigned __stdcall entry(void* self);

    thread_proc proc_;
    LPVOID param_;
    kernel_handle thread_;
    DWORD thread_id_ = 0;
};

// A millisecond clock that wraps to 0 after 2^32 ms (49.7 days), as
// GetTickCount does on every Windows version the launcher runs on.
using tick_clock = DWORD(WINAPI*)();

// Waits up to timeout_ms for a thread to end while serving messages that
// other threads send to this thread's windows, so a worker blocked in such
// a send cannot hold the wait to its time-out. True when the thread ended.
// The clock is a seam for tests.
bool wait_for_thread(HANDLE thread, DWORD timeout_ms, tick_clock clock = ::GetTickCount);

// A new thread running proc(param). With CREATE_SUSPENDED in flags it
// waits for ResumeThread. Null, with the last error kept, on failure.
CWinThread* begin_thread(thread_proc proc, LPVOID param, int priority = THREAD_PRIORITY_NORMAL,
                         UINT stack_size = 0, DWORD flags = 0);
