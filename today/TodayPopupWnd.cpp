#include "TodayPopupWnd.h"

#include "GdiHandles.h"
#include "Image.h"
#include "OffscreenDc.h"
#include "Rgb565.h"
#include "TodayItemWnd.h"
#include "TodayResourceIds.h"
#include "todaycmn.h"

bool TodayPopupWnd::Open(const RECT& rect, bool upward) {
    upward_ = upward;
    HINSTANCE module = item_.module_;
    if (!Wnd_IsFrameworkClass(kClassName, module) && !Wnd_RegisterClass(kClassName, 0, nullptr, module)) return false;
    HWND window = CreateWindowExW(kExStyle, kClassName, L"", kStyle, rect.left, rect.top, rect.right - rect.left,
                                  rect.bottom - rect.top, item_.GetHwnd(), nullptr, module, static_cast<WindowBase*>(this));
    if (!window) return false;
    SetCapture(window);
    return true;
}

void TodayPopupWnd::Close() {
    if (GetHwnd()) PostMessageW(GetHwnd(), WM_CLOSE, 0, 0);
}

void TodayPopupWnd::OnDestroy() {
    if (GetCapture() == GetHwnd()) ReleaseCapture();
    item_.OnPopupDestroyed();
}

void TodayPopupWnd::OnPaint() {
    PaintScope paint(GetHwnd());
    RECT client;
    GetClientRect(GetHwnd(), &client);
    OffscreenDc buffer;
    const bool buffered = buffer.Begin(paint.Dc(), client);
    HDC dc = buffered ? buffer.Dc() : paint.Dc();
    const int w = client.right, h = client.bottom;

    item_.DrawHostWatermark(dc, client, GetHwnd());
    // The host's highlight colour over its background, as the handheld's 16-bit screen blends it.
    const COLORREF highlight = item_.HostColour(TODAYCOLOR_HIGHLIGHT);
    Image tint;
    if (w > 0 && h > 0 && tint.Create(w, h)) {
        tint.Fill(Rgb565_Narrow(GetRValue(highlight), GetGValue(highlight), GetBValue(highlight)));
        if (tint.CreateAlpha(kTintAlpha)) tint.Draw(dc, 0, 0);
    }
    // Open on the side that meets the item.
    const POINT below[] = {{0, 0}, {0, h - 1}, {w - 1, h - 1}, {w - 1, -1}};
    const POINT above[] = {{0, h - 1}, {0, 0}, {w - 1, 0}, {w - 1, h}};
    PenHandle pen(CreatePen(PS_SOLID, 1, highlight));
    {
        SelectScope selectPen(dc, pen.Get());
        Polyline(dc, upward_ ? above : below, 4);
    }
    TodayResources& resources = item_.Resources();
    const POINT icon = resources.ItemIconOrigin();
    DrawIconEx(dc, icon.x, icon.y, resources.Icon(IDI_TODAY_ITEM), resources.IconSize(), resources.IconSize(), 0,
               nullptr, DI_NORMAL);
    item_.Painter().PaintRows(dc, client, true, {false, false}, item_.RowTextColour(), GetParent(item_.GetHwnd()),
                              Time_LocalNowAsDate(true));
}
