// Starting and stopping a worker thread that a window object owns: the
// launcher window's two runs and the progress window's animation.
//
// The one wait: stopping raises the worker's stop flag and waits for the
// thread with wait_for_thread, which serves messages other threads send to
// this thread's windows meanwhile, so a worker blocked in such a send can
// still see the flag and end. A worker that has not ended within the wait
// is terminated, and the thread handle is then waited for as well, so the
// thread has ended before its object (and the window it works for) goes.
#pragma once

#include <windows.h>

#include <memory>

#include "win_thread.h"

// The exit code of a worker that had to be terminated.
constexpr DWORD worker_terminated_code = 0xFFFFFFFF;
// How long a terminated worker is given to be gone; termination is
// asynchronous, but it never waits for the worker's own code.
constexpr DWORD worker_terminated_wait_ms = 5000;

// Ends a thread forcibly; ::TerminateThread, or a stand-in in tests.
using thread_terminator = BOOL(WINAPI*)(HANDLE thread, DWORD exit_code);

// Starts proc(param) suspended, then resumes it, unless the worker still
// runs; a finished worker object is deleted first. Clears *stop before the
// start. False, with `log_format` logged with the thread's last error,
// when the thread cannot be created.
bool start_worker(std::unique_ptr<CWinThread>& worker, thread_proc proc, LPVOID param,
                  volatile LONG* stop, const char* log_format);
// Raises *stop and waits up to wait_ms for a running worker; false when it
// still runs.
bool stop_worker(const std::unique_ptr<CWinThread>& worker, volatile LONG* stop, DWORD wait_ms);
// Stops the worker; one that does not end within wait_ms is terminated and
// waited for. Then deletes the worker object.
void end_worker(std::unique_ptr<CWinThread>& worker, volatile LONG* stop, DWORD wait_ms,
                thread_terminator terminate = ::TerminateThread);
