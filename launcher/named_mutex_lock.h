// The single-instance lock: a named kernel mutex that only its creator
// holds. "Local\" names make it one lock per logon session.
#pragma once

#include <windows.h>

#include <string>

#include "win_handle.h"

class NamedMutexLock {
public:
    explicit NamedMutexLock(std::wstring name);
    ~NamedMutexLock();
    NamedMutexLock(const NamedMutexLock&) = delete;
    NamedMutexLock& operator=(const NamedMutexLock&) = delete;

    // True when this process created the mutex and now owns it; otherwise
    // last_error() says why (183 when another process holds it).
    bool lock();
    void unlock();
    DWORD last_error() const { return last_error_; }

private:
    DWORD last_error_ = 0;
    std::wstring name_;
    kernel_handle handle_;
};
