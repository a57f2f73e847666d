#include "Gfx.h"

#include <algorithm>

#include "Dpi.h"
#include "GdiHandles.h"

namespace {

constexpr int kSmallIcon = 16;
constexpr int kLargeIcon = 32;
constexpr int kLargeIconDpi = 192;

}  // namespace

BOOL Window_SetRect(HWND window, const RECT& rect, UINT flags) {
    return SetWindowPos(window, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                        flags | SWP_NOZORDER);
}

HBITMAP Gfx_GetBitmapSizeDpi(HBITMAP bitmap, int& width, int& height) {
    BITMAP info = {};
    if (!bitmap || GetObjectW(bitmap, sizeof info, &info) != sizeof info)
        return nullptr;
    width = Dpi_ScaleX(info.bmWidth);
    height = Dpi_ScaleY(info.bmHeight);
    WindowDc screen(nullptr);
    HDC source = CreateCompatibleDC(screen.Get());
    HDC target = CreateCompatibleDC(screen.Get());
    HBITMAP scaled = CreateCompatibleBitmap(screen.Get(), width, height);
    if (source && target && scaled) {
        SelectScope sourceSelection(source, bitmap);
        SelectScope targetSelection(target, scaled);
        SetStretchBltMode(target, COLORONCOLOR);
        StretchBlt(target, 0, 0, width, height, source, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
    }
    if (source)
        DeleteDC(source);
    if (target)
        DeleteDC(target);
    return scaled;
}

void Gfx_DrawFramedBox(HDC dc, const RECT& rect, int penWidth, COLORREF colour) {
    PenHandle pen(CreatePen(PS_SOLID, penWidth, colour));
    SelectScope selection(dc, pen.Get());
    const int half = penWidth / 2;
    const int inner = std::max(half, 1);
    const POINT lines[4][2] = {
        {{rect.left, rect.top + half}, {rect.right, rect.top + half}},
        {{rect.right - inner, rect.top}, {rect.right - inner, rect.bottom}},
        {{rect.left, rect.bottom - inner}, {rect.right, rect.bottom - inner}},
        {{rect.left + half, rect.top}, {rect.left + half, rect.bottom}},
    };
    for (const auto& line : lines) {
        MoveToEx(dc, line[0].x, line[0].y, nullptr);
        LineTo(dc, line[1].x, line[1].y);
    }
}

int Gfx_IconSizeForDpi() { return Dpi_GetX() < kLargeIconDpi ? kSmallIcon : kLargeIcon; }
