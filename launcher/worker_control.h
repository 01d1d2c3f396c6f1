// Starting and stopping one worker thread of the launcher window.
#pragma once

#include <windows.h>

#include <memory>

#include "win_thread.h"

// How long a stopped worker is given to end.
constexpr DWORD worker_stop_wait_ms = 1000;
// The exit code of a worker that had to be terminated.
constexpr DWORD worker_terminated_code = 0xFFFFFFFF;

// Starts proc(param) unless the worker still runs; a finished worker object
// is deleted first. Clears *stop before the start. False, with
// `log_format` logged with the thread's last error, when the thread
// cannot be created.
bool start_worker(std::unique_ptr<CWinThread>& worker, thread_proc proc, LPVOID param,
                  volatile LONG* stop, const char* log_format);
// Raises *stop and waits for a running worker; false when it still runs.
bool stop_worker(const std::unique_ptr<CWinThread>& worker, volatile LONG* stop);
// Stops the worker, terminates it when it does not end in time, deletes it.
void end_worker(std::unique_ptr<CWinThread>& worker, volatile LONG* stop);
