#include "worker_control.h"

#include "system_log.h"

bool start_worker(std::unique_ptr<CWinThread>& worker, thread_proc proc, LPVOID param,
                  volatile LONG* stop, const char* log_format) {
    if (worker && worker->is_running()) return true;
    worker.reset();
    *stop = 0;
    CWinThread* thread = begin_thread(proc, param, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    if (!thread) {
        system_log().write_a(log_level_info, log_format, ::GetLastError());
        return false;
    }
    thread->m_bAutoDelete = FALSE;  // the owner deletes it
    worker.reset(thread);
    worker->ResumeThread();
    return true;
}

bool stop_worker(const std::unique_ptr<CWinThread>& worker, volatile LONG* stop, DWORD wait_ms) {
    *stop = 1;
    DWORD code = 0;
    if (!worker || !worker->exit_code(code) || code != STILL_ACTIVE) return true;
    return wait_for_thread(worker->handle(), wait_ms);
}

void end_worker(std::unique_ptr<CWinThread>& worker, volatile LONG* stop, DWORD wait_ms,
                thread_terminator terminate) {
    if (!worker) return;
    if (!stop_worker(worker, stop, wait_ms) && terminate(worker->handle(), worker_terminated_code))
        wait_for_thread(worker->handle(), worker_terminated_wait_ms);
    worker.reset();
}
