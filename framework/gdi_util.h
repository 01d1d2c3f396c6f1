// Scoped device-context helpers for drawing.
#pragma once

#include <windows.h>

#include "win_handle.h"

// Puts a GDI object into a device context and the previous one back.
class select_object {
public:
    select_object(HDC dc, HGDIOBJ object) : dc_(dc), previous_(::SelectObject(dc, object)) {}
    ~select_object() {
        if (previous_ && previous_ != HGDI_ERROR) ::SelectObject(dc_, previous_);
    }
    select_object(const select_object&) = delete;
    select_object& operator=(const select_object&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// The device context of a window's client area (GetDC / ReleaseDC).
class window_dc {
public:
    explicit window_dc(HWND window) : window_(window), dc_(::GetDC(window)) {}
    ~window_dc() {
        if (dc_) ::ReleaseDC(window_, dc_);
    }
    window_dc(const window_dc&) = delete;
    window_dc& operator=(const window_dc&) = delete;
    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// Copies a bitmap, from its top-left corner, into the rectangle of `dc`.
void draw_bitmap(HDC dc, HBITMAP bitmap, const RECT& target);
