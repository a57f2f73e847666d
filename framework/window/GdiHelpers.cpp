#include "GdiHelpers.h"

#include <cwchar>

namespace {
constexpr COLORREF kIconBackground = 0xC0C0C0;
}

int Gfx_GetTextWidth(HDC dc, const wchar_t* text) {
    SIZE size = {};
    if (!text || !GetTextExtentExPointW(dc, text, static_cast<int>(wcslen(text)), 0, nullptr, nullptr, &size)) return 0;
    return size.cx;
}

HBITMAP Gfx_IconToBitmap(HICON icon, int width, int height) {
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = memory ? CreateCompatibleBitmap(screen, width, height) : nullptr;
    ReleaseDC(nullptr, screen);
    if (!memory || !bitmap) {
        if (bitmap) DeleteObject(bitmap);
        if (memory) DeleteDC(memory);
        return nullptr;
    }
    const int saved = SaveDC(memory);
    SelectObject(memory, bitmap);
    HBRUSH background = CreateSolidBrush(kIconBackground);
    SelectObject(memory, background);
    PatBlt(memory, 0, 0, width, height, PATCOPY);
    DrawIconEx(memory, 0, 0, icon, width, height, 0, nullptr, DI_NORMAL);
    RestoreDC(memory, saved);
    DeleteObject(background);
    DeleteDC(memory);
    return bitmap;
}
