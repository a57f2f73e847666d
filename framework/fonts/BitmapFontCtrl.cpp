#include "BitmapFontCtrl.h"

#include <cwchar>

#include "GdiHandles.h"

BitmapFontCtrl::BitmapFontCtrl() = default;

BitmapFontCtrl::~BitmapFontCtrl() = default;

void BitmapFontCtrl::SetText(const wchar_t* text) {
    wcsncpy(text_, text ? text : L"", kTextCapacity - 1);
    text_[kTextCapacity - 1] = 0;
    if (GetHwnd()) InvalidateRect(GetHwnd(), nullptr, FALSE);
}

void BitmapFontCtrl::OnPaint() {
    PaintScope paint(GetHwnd());
    RECT client = {};
    GetClientRect(GetHwnd(), &client);
    if (!paint.Dc() || !offscreen_.Create(client.right, client.bottom)) return;
    const COLORREF window = background_ != CLR_INVALID ? background_ : GetSysColor(COLOR_WINDOW);
    const uint32_t background = 0xFF000000u | GetRValue(window) << 16 | GetGValue(window) << 8 | GetBValue(window);
    GdiFlush();
    uint32_t* pixels = offscreen_.Pixels();
    for (size_t i = 0, n = static_cast<size_t>(offscreen_.Stride()) * offscreen_.Height(); i < n; ++i) pixels[i] = background;
    text_[kTextCapacity - 1] = 0;
    font_.DrawText(offscreen_, text_);
    offscreen_.Draw(paint.Dc(), 0, 0);
}

LRESULT BitmapFontCtrl::OnEraseBkgnd(HDC) { return 1; }
