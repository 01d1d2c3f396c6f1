// The launcher's push button: drawn from bitmaps, with an extra bitmap
// while the mouse is over it, a hand cursor over an enabled button and an
// optional icon in its top-left corner.
#pragma once

#include <windows.h>

#include "button.h"
#include "win_handle.h"

class CzBitmapButton : public CBitmapButton {
public:
    CzBitmapButton();
    ~CzBitmapButton() override;

    // Bitmap ids of the program's resources; 0 for "none" (all but normal).
    // True when every given bitmap loaded; only then is the button made
    // owner-drawn.
    bool LoadStateBitmaps(UINT normal, UINT selected = 0, UINT focus = 0, UINT disabled = 0,
                          UINT hover = 0);
    void DrawItem(DRAWITEMSTRUCT* item) override;
    virtual void DrawButtonBitmap(HDC dc, HBITMAP bitmap, RECT rect);

    bool hovering() const { return hovering_ != 0; }
    bool has_hover_bitmap() const { return static_cast<bool>(hover_bitmap_); }
    // The last request for a leave notice; all zero when none was made.
    const TRACKMOUSEEVENT& leave_tracking() const { return leave_tracking_; }

    // Set by the owner: when show_icon is 1, icon is drawn at (0, 0).
    DWORD show_icon = 0;
    icon_handle icon;
    // The icon the button control holds as its image, as last read back.
    HICON image_icon = nullptr;
    POINT image_icon_position{0, 0};
    SIZE image_icon_size{16, 16};

protected:
    LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;

    bitmap_handle hover_bitmap_;

private:
    LRESULT OnMouseMove(WPARAM wparam, LPARAM lparam);
    LRESULT OnMouseLeave();
    LRESULT OnSetCursor(WPARAM wparam, LPARAM lparam);
    LRESULT OnLButtonDown(WPARAM wparam, LPARAM lparam);
    void redraw_now();
    void release_bitmaps();

    TRACKMOUSEEVENT leave_tracking_{};
    DWORD hovering_ = 0;
    HCURSOR hand_cursor_;
};
