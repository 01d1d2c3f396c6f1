#include "button.h"

#include "gdi_util.h"
#include "module.h"

int CButton::GetCheck() const {
    return static_cast<int>(::SendMessageW(m_hWnd, BM_GETCHECK, 0, 0));
}

void CButton::SetCheck(int state) { ::SendMessageW(m_hWnd, BM_SETCHECK, state, 0); }

bitmap_handle CBitmapButton::load_bitmap(UINT id) {
    return bitmap_handle(static_cast<HBITMAP>(
        ::LoadImageW(program_module(), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));
}

void CBitmapButton::SizeToContent() {
    if (!m_hWnd || !m_bitmap) return;
    BITMAP info{};
    if (!::GetObjectW(m_bitmap.get(), sizeof(info), &info)) return;
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, info.bmWidth, info.bmHeight,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CBitmapButton::DrawItem(DRAWITEMSTRUCT* item) {
    if (!item || !m_bitmap) return;
    HBITMAP chosen = m_bitmap.get();
    if ((item->itemState & ODS_SELECTED) && m_bitmapSel) chosen = m_bitmapSel.get();
    else if ((item->itemState & ODS_FOCUS) && m_bitmapFocus) chosen = m_bitmapFocus.get();
    else if ((item->itemState & ODS_DISABLED) && m_bitmapDisabled) chosen = m_bitmapDisabled.get();
    draw_bitmap(item->hDC, chosen, item->rcItem);
}
