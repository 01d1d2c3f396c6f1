#include "gdi_util.h"

void draw_bitmap(HDC dc, HBITMAP bitmap, const RECT& target) {
    if (!dc || !bitmap) return;
    memory_dc memory(::CreateCompatibleDC(dc));
    if (!memory) return;
    select_object selected(memory.get(), bitmap);
    ::BitBlt(dc, target.left, target.top, target.right - target.left, target.bottom - target.top,
             memory.get(), 0, 0, SRCCOPY);
}
