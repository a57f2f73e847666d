#pragma once
// Small drawing and layout helpers.
#include <windows.h>

// SetWindowPos to the rectangle, no z-order change, plus the caller's flags.
BOOL Window_SetRect(HWND window, const RECT& rect, UINT flags);
// A new bitmap, the given one stretched by the screen's density (width by LOGPIXELSX,
// height by LOGPIXELSY); its size in out. Null when the bitmap cannot be read.
HBITMAP Gfx_GetBitmapSizeDpi(HBITMAP bitmap, int& width, int& height);
// A box of four lines of width penWidth inside the rectangle.
void Gfx_DrawFramedBox(HDC dc, const RECT& rect, int penWidth, COLORREF colour);
// Icons are 16 pixels square below 192 DPI, 32 from there.
int Gfx_IconSizeForDpi();
