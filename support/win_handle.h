// Move-only owners for Win32 handles. The traits settle once which value
// means "no handle" and how a handle is released, so no call site can
// mix up NULL and INVALID_HANDLE_VALUE or close a handle twice.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <utility>

template <typename Traits>
class unique_handle {
public:
    using pointer = typename Traits::pointer;

    unique_handle() noexcept = default;
    explicit unique_handle(pointer value) noexcept : value_(value) {}
    ~unique_handle() { reset(); }

    unique_handle(const unique_handle&) = delete;
    unique_handle& operator=(const unique_handle&) = delete;

    unique_handle(unique_handle&& other) noexcept : value_(other.release()) {}
    unique_handle& operator=(unique_handle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }

    pointer get() const noexcept { return value_; }
    explicit operator bool() const noexcept { return value_ != Traits::invalid(); }

    pointer release() noexcept {
        pointer value = value_;
        value_ = Traits::invalid();
        return value;
    }

    void reset(pointer value = Traits::invalid()) noexcept {
        if (value_ != Traits::invalid()) Traits::close(value_);
        value_ = value;
    }

private:
    pointer value_ = Traits::invalid();
};

// Kernel objects whose "none" is NULL: threads, processes, mutexes, events.
struct kernel_handle_traits {
    using pointer = HANDLE;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer h) noexcept { ::CloseHandle(h); }
};

// CreateFile results, whose "none" is INVALID_HANDLE_VALUE.
struct file_handle_traits {
    using pointer = HANDLE;
    static pointer invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(pointer h) noexcept { ::CloseHandle(h); }
};

struct find_handle_traits {
    using pointer = HANDLE;
    static pointer invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(pointer h) noexcept { ::FindClose(h); }
};

struct internet_handle_traits {
    using pointer = HINTERNET;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer h) noexcept { ::InternetCloseHandle(h); }
};

template <typename T>
struct gdi_object_traits {
    using pointer = T;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer h) noexcept { ::DeleteObject(h); }
};

struct icon_handle_traits {
    using pointer = HICON;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer h) noexcept { ::DestroyIcon(h); }
};

// Memory device contexts (CreateCompatibleDC).
struct memory_dc_traits {
    using pointer = HDC;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer h) noexcept { ::DeleteDC(h); }
};

struct registry_key_traits {
    using pointer = HKEY;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer h) noexcept { ::RegCloseKey(h); }
};

struct module_handle_traits {
    using pointer = HMODULE;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer h) noexcept { ::FreeLibrary(h); }
};

using kernel_handle = unique_handle<kernel_handle_traits>;
using file_handle = unique_handle<file_handle_traits>;
using find_handle = unique_handle<find_handle_traits>;
using internet_handle = unique_handle<internet_handle_traits>;
using bitmap_handle = unique_handle<gdi_object_traits<HBITMAP>>;
using brush_handle = unique_handle<gdi_object_traits<HBRUSH>>;
using font_handle = unique_handle<gdi_object_traits<HFONT>>;
using pen_handle = unique_handle<gdi_object_traits<HPEN>>;
using icon_handle = unique_handle<icon_handle_traits>;
using module_handle = unique_handle<module_handle_traits>;
using memory_dc = unique_handle<memory_dc_traits>;
using registry_key = unique_handle<registry_key_traits>;
