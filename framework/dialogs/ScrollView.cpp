#include "ScrollView.h"

#include <algorithm>

#include "DeviceScreen.h"
#include "Dpi.h"
#include "WindowBase.h"

namespace {

constexpr int kLineStep = 5;        // at 96 DPI
constexpr int kVisibleMargin = 8;   // at 96 DPI
constexpr int kPageExtra = 1;       // at 96 DPI

// Scrolls the pixels and moves every child by delta. The children are moved here
// rather than by SW_SCROLLCHILDREN, which leaves alone children outside the client
// area on some platforms; those are exactly the ones a scroll must bring in.
void ScrollContent(HWND window, int delta) {
    ScrollWindowEx(window, 0, delta, nullptr, nullptr, nullptr, nullptr, SW_INVALIDATE | SW_ERASE);
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT rect;
        GetWindowRect(child, &rect);
        MapWindowPoints(HWND_DESKTOP, window, reinterpret_cast<POINT*>(&rect), 2);
        SetWindowPos(child, nullptr, rect.left, rect.top + delta, 0, 0,
                     SWP_NOZORDER | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOREDRAW);
    }
    InvalidateRect(window, nullptr, TRUE);
}

// Sets the position (the bar clamps it) and scrolls the content by what it moved.
void MoveTo(WindowBase& view, int position) {
    HWND window = view.GetHwnd();
    const int old = view.GetVScrollPos();
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_POS;
    info.nPos = position;
    SetScrollInfo(window, SB_VERT, &info, TRUE);
    const int now = view.GetVScrollPos();
    if (now != old)
        ScrollContent(window, old - now);
}

bool IsDescendant(HWND ancestor, HWND window) { return window && ancestor && IsChild(ancestor, window); }

}  // namespace

void ScrollView_UpdateRange(WindowBase& view, bool scrollable, int height) {
    HWND window = view.GetHwnd();
    if (!window)
        return;
    const int position = view.GetVScrollPos();
    if (position > 0) {
        ScrollContent(window, position);
        SCROLLINFO reset = {};
        reset.cbSize = sizeof reset;
        reset.fMask = SIF_POS;
        SetScrollInfo(window, SB_VERT, &reset, FALSE);
    }
    if (!scrollable)
        return;
    int extent = 0;
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    if (view.GetChildrenExtent(extent)) {
        SetScrollInfo(window, SB_VERT, &info, TRUE);
        return;
    }
    info.nMin = 0;
    info.nMax = extent;
    info.nPage = static_cast<UINT>(height + Dpi_ScaleY(kPageExtra));
    info.nPos = 0;
    SetScrollInfo(window, SB_VERT, &info, TRUE);
    HWND focus = GetFocus();
    if (IsDescendant(window, focus) && IsWindowVisible(window))
        ScrollView_EnsureVisible(view, focus);
}

void ScrollView_EnsureVisible(WindowBase& view, HWND control) {
    HWND window = view.GetHwnd();
    if (!window || !control)
        return;
    RECT rect, client;
    GetWindowRect(control, &rect);
    MapWindowPoints(HWND_DESKTOP, window, reinterpret_cast<POINT*>(&rect), 2);
    GetClientRect(window, &client);
    const int position = view.GetVScrollPos();
    int wanted;
    if (rect.top < client.top)
        wanted = position + (rect.top - client.top) - Dpi_ScaleY(kVisibleMargin);
    else if (rect.bottom > client.bottom)
        wanted = position + (rect.bottom - client.bottom) + Dpi_ScaleY(kVisibleMargin);
    else
        return;
    MoveTo(view, wanted);
}

void ScrollView_OnVScroll(WindowBase& view, UINT code, UINT thumbPosition) {
    const int position = view.GetVScrollPos();
    int wanted;
    switch (code) {
    case SB_LINEUP:
        wanted = position - Dpi_ScaleY(kLineStep);
        break;
    case SB_LINEDOWN:
        wanted = position + Dpi_ScaleY(kLineStep);
        break;
    case SB_PAGEUP:
    case SB_TOP:
        if (position <= 0)
            return;
        wanted = 0;
        break;
    case SB_PAGEDOWN:
    case SB_BOTTOM: {
        // Straight to the end, however long the range (the bar clamps it).
        SCROLLINFO range = {};
        range.cbSize = sizeof range;
        range.fMask = SIF_RANGE;
        GetScrollInfo(view.GetHwnd(), SB_VERT, &range);
        wanted = std::max(range.nMax, DeviceScreen_GetSystemMetrics(SM_CYSCREEN));
        break;
    }
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
        wanted = static_cast<int>(thumbPosition);
        break;
    default:
        return;
    }
    MoveTo(view, wanted);
}
