#include "named_mutex_lock.h"

#include <utility>

NamedMutexLock::NamedMutexLock(std::wstring name) : name_(std::move(name)) {}

NamedMutexLock::~NamedMutexLock() { unlock(); }

bool NamedMutexLock::lock() {
    last_error_ = 0;
    if (name_.empty()) {
        last_error_ = ERROR_INVALID_DATA;
        return false;
    }
    if (handle_) {
        last_error_ = ERROR_ALREADY_EXISTS;
        return false;
    }
    handle_.reset(::CreateMutexW(nullptr, TRUE, name_.c_str()));
    last_error_ = ::GetLastError();
    if (!handle_) return false;
    if (last_error_ != ERROR_ALREADY_EXISTS) return true;
    unlock();
    return false;
}

void NamedMutexLock::unlock() {
    if (!handle_) return;
    ::ReleaseMutex(handle_.get());
    handle_.reset();
}
