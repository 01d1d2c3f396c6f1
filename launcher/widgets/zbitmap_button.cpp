#include "zbitmap_button.h"

#include <commctrl.h>

#include "gdi_util.h"

namespace {
constexpr UINT redraw_flags = RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW;
}

CzBitmapButton::CzBitmapButton() : hand_cursor_(::LoadCursorW(nullptr, IDC_HAND)) {}

CzBitmapButton::~CzBitmapButton() {
    // The launcher gives the same icon as icon and as image: destroy it once.
    if (image_icon && image_icon != icon.get()) ::DestroyIcon(image_icon);
    image_icon = nullptr;
}

void CzBitmapButton::release_bitmaps() {
    m_bitmap.reset();
    m_bitmapSel.reset();
    m_bitmapFocus.reset();
    m_bitmapDisabled.reset();
    hover_bitmap_.reset();
}

bool CzBitmapButton::LoadStateBitmaps(UINT normal, UINT selected, UINT focus, UINT disabled,
                                      UINT hover) {
    release_bitmaps();
    m_bitmap = load_bitmap(normal);
    if (!m_bitmap) return false;
    bool all_loaded = true;
    struct {
        UINT id;
        bitmap_handle* slot;
    } optional[] = {{selected, &m_bitmapSel}, {focus, &m_bitmapFocus}, {disabled, &m_bitmapDisabled}};
    for (auto& entry : optional) {
        if (!entry.id) continue;
        *entry.slot = load_bitmap(entry.id);
        if (!*entry.slot) all_loaded = false;
    }
    if (hover) {
        hover_bitmap_ = load_bitmap(hover);
        if (!hover_bitmap_) return false;
    }
    if (all_loaded && m_hWnd) {
        LONG_PTR style = ::GetWindowLongPtrW(m_hWnd, GWL_STYLE);
        ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, style | BS_OWNERDRAW);
    }
    return all_loaded;
}

void CzBitmapButton::DrawItem(DRAWITEMSTRUCT* item) {
    if (!item || !m_bitmap) return;
    // First match wins: pressed beats hover, hover beats focus.
    HBITMAP chosen = m_bitmap.get();
    if ((item->itemState & ODS_SELECTED) && m_bitmapSel) chosen = m_bitmapSel.get();
    else if (hovering_ && hover_bitmap_) chosen = hover_bitmap_.get();
    else if ((item->itemState & ODS_FOCUS) && m_bitmapFocus) chosen = m_bitmapFocus.get();
    else if ((item->itemState & ODS_DISABLED) && m_bitmapDisabled) chosen = m_bitmapDisabled.get();
    DrawButtonBitmap(item->hDC, chosen, item->rcItem);
}

void CzBitmapButton::DrawButtonBitmap(HDC dc, HBITMAP bitmap, RECT rect) {
    if (!dc) return;
    draw_bitmap(dc, bitmap, rect);
    if (show_icon == 1 && icon)
        ::DrawIconEx(dc, 0, 0, icon.get(), 0, 0, 0, nullptr, DI_NORMAL);
    if (m_hWnd)
        image_icon = reinterpret_cast<HICON>(::SendMessageW(m_hWnd, BM_GETIMAGE, IMAGE_ICON, 0));
    if (image_icon)
        ::DrawIconEx(dc, image_icon_position.x, image_icon_position.y, image_icon,
                     image_icon_size.cx, image_icon_size.cy, 0, nullptr, DI_NORMAL);
}

LRESULT CzBitmapButton::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_MOUSEMOVE:
        return OnMouseMove(wparam, lparam);
    case WM_MOUSELEAVE:
        return OnMouseLeave();
    case WM_SETCURSOR:
        return OnSetCursor(wparam, lparam);
    case WM_LBUTTONDOWN:
        return OnLButtonDown(wparam, lparam);
    case WM_ERASEBKGND:
        return TRUE;  // the bitmap covers the whole button
    default:
        return Default(message, wparam, lparam);
    }
}

void CzBitmapButton::redraw_now() {
    if (m_hWnd) ::RedrawWindow(m_hWnd, nullptr, nullptr, redraw_flags);
}

LRESULT CzBitmapButton::OnMouseMove(WPARAM wparam, LPARAM lparam) {
    if (!hovering_ && hover_bitmap_) {
        leave_tracking_ = {};
        leave_tracking_.cbSize = sizeof(leave_tracking_);
        leave_tracking_.dwFlags = TME_LEAVE;
        leave_tracking_.hwndTrack = m_hWnd;
        leave_tracking_.dwHoverTime = 0;
        ::_TrackMouseEvent(&leave_tracking_);
        hovering_ = 1;
        redraw_now();
    }
    return Default(WM_MOUSEMOVE, wparam, lparam);
}

LRESULT CzBitmapButton::OnMouseLeave() {
    if (hovering_) {
        hovering_ = 0;
        redraw_now();
    }
    return 0;
}

LRESULT CzBitmapButton::OnSetCursor(WPARAM wparam, LPARAM lparam) {
    if (m_hWnd && ::IsWindowEnabled(m_hWnd)) {
        ::SetCursor(hand_cursor_);
        return TRUE;
    }
    return Default(WM_SETCURSOR, wparam, lparam);
}

LRESULT CzBitmapButton::OnLButtonDown(WPARAM wparam, LPARAM lparam) {
    hovering_ = 0;
    return Default(WM_LBUTTONDOWN, wparam, lparam);
}
