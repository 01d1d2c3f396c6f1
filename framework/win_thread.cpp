#include "win_thread.h"

#include <process.h>

CWinThread::CWinThread(thread_proc proc, LPVOID param) : proc_(proc), param_(param) {}

bool CWinThread::CreateThread(DWORD flags, UINT stack_size) {
    if (thread_) return false;
    unsigned id = 0;
    // Always suspended first, so the handle is stored before the thread runs.
    uintptr_t handle = ::_beginthreadex(nullptr, stack_size, entry, this,
                                        flags | CREATE_SUSPENDED, &id);
    if (!handle) return false;
    thread_.reset(reinterpret_cast<HANDLE>(handle));
    thread_id_ = id;
    if (!(flags & CREATE_SUSPENDED)) ::ResumeThread(thread_.get());
    return true;
}

DWORD CWinThread::ResumeThread() { return ::ResumeThread(thread_.get()); }

bool CWinThread::SetThreadPriority(int priority) {
    return ::SetThreadPriority(thread_.get(), priority) != FALSE;
}

bool CWinThread::exit_code(DWORD& code) const {
    return thread_ && ::GetExitCodeThread(thread_.get(), &code) != FALSE;
}

bool CWinThread::is_running() const {
    DWORD code = 0;
    return exit_code(code) && code == STILL_ACTIVE;
}

unsigned __stdcall CWinThread::entry(void* param) {
    auto* self = static_cast<CWinThread*>(param);
    // Read before the work: an object that does not delete itself may be
    // deleted by its owner as soon as the thread has ended.
    bool auto_delete = self->m_bAutoDelete != FALSE;
    unsigned code = 0;
    try {
        code = self->proc_(self->param_);
    } catch (...) {
        code = static_cast<unsigned>(-1);
    }
    if (auto_delete) delete self;
    return code;
}

CWinThread* begin_thread(thread_proc proc, LPVOID param, int priority, UINT stack_size,
                         DWORD flags) {
    auto* thread = new CWinThread(proc, param);
    if (!thread->CreateThread(flags | CREATE_SUSPENDED, stack_size)) {
        DWORD error = ::GetLastError();
        delete thread;
        ::SetLastError(error);
        return nullptr;
    }
    thread->SetThreadPriority(priority);
    if (!(flags & CREATE_SUSPENDED)) thread->ResumeThread();
    return thread;
}

bool wait_for_thread(HANDLE thread, DWORD timeout_ms, tick_clock clock) {
    if (!thread) return false;
    const DWORD start = clock();
    for (;;) {
        // Elapsed time as an unsigned difference stays right across the wrap.
        const DWORD elapsed = clock() - start;
        DWORD left = elapsed >= timeout_ms ? 0 : timeout_ms - elapsed;
        DWORD result = ::MsgWaitForMultipleObjects(1, &thread, FALSE, left, QS_SENDMESSAGE);
        if (result == WAIT_OBJECT_0) return true;
        if (result != WAIT_OBJECT_0 + 1) return false;  // time-out or failure
        // Dispatches the sent messages only; posted ones stay queued.
        MSG message;
        ::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}
