#pragma once
// Text measuring and icon rendering for the screens.
#include <windows.h>

// Width in pixels of the whole text in the DC's font.
int Gfx_GetTextWidth(HDC dc, const wchar_t* text);
// A screen-compatible bitmap of the given size with the icon drawn on light grey
// (0xC0C0C0); null when it cannot be made. The caller deletes it.
HBITMAP Gfx_IconToBitmap(HICON icon, int width, int height);
