// Worker threads of the framework.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <memory>

#include "win_handle.h"
#include "win_thread.h"
#include "worker_control.h"

namespace {

std::atomic<int> runs{0};

UINT count_and_return_7(LPVOID) {
    ++runs;
    return 7;
}

UINT wait_for_event(LPVOID event) {
    WaitForSingleObject(static_cast<HANDLE>(event), INFINITE);
    return 0;
}

// A clock that passes 2^32 ms, back to 0, 20 ms after a test starts it.
constexpr DWORD ms_before_wrap = 20;
DWORD clock_offset = 0;

void start_clock_near_wrap() { clock_offset = (0xFFFFFFFFu - ms_before_wrap + 1) - GetTickCount(); }

DWORD WINAPI clock_near_wrap() { return clock_offset + GetTickCount(); }

// Sends to a window of the waiting thread every 50 ms, so the wait reads
// its clock again on both sides of the wrap, then waits for an event.
struct sends_then_waits {
    HWND window;
    HANDLE event;
};

UINT send_then_wait(LPVOID param) {
    auto* job = static_cast<sends_then_waits*>(param);
    for (int i = 0; i < 8; ++i) {
        SendMessageW(job->window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"sent"));
        Sleep(50);
    }
    WaitForSingleObject(job->event, INFINITE);
    return 0;
}

// Stands in for TerminateThread, which only asks for the end: this thread
// ignores its stop flag and ends a while after the termination was asked.
HANDLE termination_asked = nullptr;
constexpr DWORD ending_after_termination_ms = 300;

BOOL WINAPI ask_termination(HANDLE, DWORD) { return SetEvent(termination_asked); }

UINT ends_late_when_terminated(LPVOID) {
    WaitForSingleObject(termination_asked, INFINITE);
    Sleep(ending_after_termination_ms);
    return worker_terminated_code;
}

class watched_thread : public CWinThread {
public:
    watched_thread(thread_proc proc, LPVOID param, std::atomic<bool>* deleted)
        : CWinThread(proc, param), deleted_(deleted) {}
    ~watched_thread() override { *deleted_ = true; }

private:
    std::atomic<bool>* deleted_;
};

}  // namespace

TEST(WinThread, SuspendedThreadRunsOnlyAfterResumeAndKeepsItsExitCode) {
    runs = 0;
    CWinThread* thread = begin_thread(count_and_return_7, nullptr, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    ASSERT_NE(thread, nullptr);
    thread->m_bAutoDelete = FALSE;
    Sleep(50);
    EXPECT_EQ(runs, 0);
    EXPECT_TRUE(thread->is_running());
    thread->ResumeThread();
    ASSERT_EQ(WaitForSingleObject(thread->handle(), 5000), WAIT_OBJECT_0);
    DWORD code = 0;
    EXPECT_TRUE(thread->exit_code(code));
    EXPECT_EQ(code, 7u);
    EXPECT_FALSE(thread->is_running());
    EXPECT_EQ(runs, 1);
    delete thread;
}

TEST(WinThread, AutoDeletingThreadDeletesItselfWhenItEnds) {
    std::atomic<bool> deleted{false};
    auto* thread = new watched_thread(count_and_return_7, nullptr, &deleted);
    ASSERT_TRUE(thread->CreateThread());
    for (int i = 0; i < 500 && !deleted; ++i) Sleep(10);
    EXPECT_TRUE(deleted);
}

TEST(WinThread, WaitServesMessagesSentByTheThread) {
    // A window of this thread, and a thread that sends to it before ending:
    // a plain wait would hold both until the time-out.
    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    auto sender = [](LPVOID target) -> UINT {
        SendMessageW(static_cast<HWND>(target), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"sent"));
        return 0;
    };
    CWinThread* thread = begin_thread(sender, window, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    ASSERT_NE(thread, nullptr);
    thread->m_bAutoDelete = FALSE;
    thread->ResumeThread();
    DWORD start = GetTickCount();
    EXPECT_TRUE(wait_for_thread(thread->handle(), 3000));
    EXPECT_LT(GetTickCount() - start, 1000u);
    wchar_t text[16] = {};
    GetWindowTextW(window, text, 16);
    EXPECT_STREQ(text, L"sent");
    delete thread;
    DestroyWindow(window);
}

TEST(WinThread, WaitGivesUpAfterItsTimeOut) {
    kernel_handle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    CWinThread* thread = begin_thread(wait_for_event, event.get(), THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    ASSERT_NE(thread, nullptr);
    thread->m_bAutoDelete = FALSE;
    thread->ResumeThread();
    DWORD start = GetTickCount();
    EXPECT_FALSE(wait_for_thread(thread->handle(), 200));
    DWORD elapsed = GetTickCount() - start;
    EXPECT_GE(elapsed, 150u);
    EXPECT_LT(elapsed, 1000u);
    SetEvent(event.get());
    EXPECT_TRUE(wait_for_thread(thread->handle(), 5000));
    delete thread;
}

TEST(WinThread, WaitCountsItsTimeOutAcrossTheClockWrap) {
    // A deadline computed as start + time-out wraps to a small value and,
    // compared with the clock, would end the wait at once; counted as a
    // difference the wait lasts its time-out.
    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    kernel_handle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    sends_then_waits job{window, event.get()};
    CWinThread* thread = begin_thread(send_then_wait, &job, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    ASSERT_NE(thread, nullptr);
    thread->m_bAutoDelete = FALSE;
    start_clock_near_wrap();
    thread->ResumeThread();
    DWORD start = GetTickCount();
    EXPECT_FALSE(wait_for_thread(thread->handle(), 600, clock_near_wrap));
    DWORD elapsed = GetTickCount() - start;
    EXPECT_GE(elapsed, 550u);
    EXPECT_LT(elapsed, 2000u);
    SetEvent(event.get());
    EXPECT_TRUE(wait_for_thread(thread->handle(), 5000, clock_near_wrap));
    delete thread;
    DestroyWindow(window);
}

TEST(WorkerControl, TerminatedWorkerHasEndedBeforeItsObjectGoes) {
    kernel_handle asked(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    termination_asked = asked.get();
    std::unique_ptr<CWinThread> worker;
    volatile LONG stop = 0;
    ASSERT_TRUE(start_worker(worker, ends_late_when_terminated, nullptr, &stop, "test worker error 0x%x"));
    HANDLE thread = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), worker->handle(), GetCurrentProcess(), &thread, SYNCHRONIZE,
                                FALSE, 0));
    kernel_handle watched(thread);

    end_worker(worker, &stop, 100, ask_termination);
    EXPECT_EQ(stop, 1);
    EXPECT_EQ(worker, nullptr);
    EXPECT_EQ(WaitForSingleObject(watched.get(), 0), WAIT_OBJECT_0);
    termination_asked = nullptr;
}
