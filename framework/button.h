// Push buttons and check boxes bound from dialog items.
#pragma once

#include <windows.h>

#include "win_handle.h"
#include "wnd.h"

class CButton : public CWnd {
public:
    int GetCheck() const;
    void SetCheck(int state);
};

// An owner-drawn button that shows one of four bitmaps by its state.
class CBitmapButton : public CButton {
public:
    // Sizes the button to its normal bitmap without moving it.
    void SizeToContent();
    void DrawItem(DRAWITEMSTRUCT* item) override;

protected:
    // A bitmap of the program's resources; empty when the id is not there.
    static bitmap_handle load_bitmap(UINT id);

    bitmap_handle m_bitmap;          // normal
    bitmap_handle m_bitmapSel;       // selected (pressed)
    bitmap_handle m_bitmapFocus;     // focus
    bitmap_handle m_bitmapDisabled;  // disabled
};
