#include "MainTabStrip.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "DeviceScreen.h"
#include "Dpi.h"
#include "Fonts.h"
#include "GdiHandles.h"
#include "Gfx.h"
#include "OffscreenDc.h"
#include "Translator.h"
#include "resource.h"

namespace MainTabStrip {

namespace {

// Lengths at 96 DPI.
constexpr int kTabWidth = 30;
constexpr int kOverhang = 2;
constexpr int kTabInset = 2;
constexpr int kLinkFontHeight = 11;
constexpr int kLinkFontWeight = 400;
constexpr COLORREF kLinkColour = RGB(0, 0, 0xFF);
// The link in dialog units.
constexpr RECT kLinkDialogUnits = {92, 2, 138, 11};
const wchar_t kOwnProcedure[] = L"OrvalenTabStripProc";

WNDPROC OwnProcedure(HWND strip) { return reinterpret_cast<WNDPROC>(GetPropW(strip, kOwnProcedure)); }

void Paint(HWND strip, WNDPROC own) {
    PaintScope paint(strip);
    RECT client;
    GetClientRect(strip, &client);
    OffscreenDc buffer;
    if (!paint.Dc() || !buffer.Begin(paint.Dc(), client)) return;
    FillRect(buffer.Dc(), &client, GetSysColorBrush(COLOR_BTNFACE));
    // The tab control draws its tabs into the buffer as it would on the screen.
    CallWindowProcW(own, strip, WM_PAINT, reinterpret_cast<WPARAM>(buffer.Dc()), 0);
    FontHandle font(Font_CreateFace(kLinkFontWeight, Dpi_ScaleY(kLinkFontHeight), false));
    SelectScope selected(buffer.Dc(), font.Get());
    SetBkMode(buffer.Dc(), TRANSPARENT);
    SetTextColor(buffer.Dc(), kLinkColour);
    const std::wstring text = Translator::Instance().GetString(IDS_SETTINGS);
    RECT link = LinkRect(strip);
    DrawTextW(buffer.Dc(), text.c_str(), -1, &link, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

bool StrictlyInside(const RECT& rect, int x, int y) {
    return x > rect.left && x < rect.right && y > rect.top && y < rect.bottom;
}

LRESULT CALLBACK StripProcedure(HWND strip, UINT message, WPARAM wParam, LPARAM lParam) {
    WNDPROC own = OwnProcedure(strip);
    if (!own) return DefWindowProcW(strip, message, wParam, lParam);
    switch (message) {
    case WM_PAINT:
        if (wParam) break;  // a DC of the caller's: the control's own drawing
        Paint(strip, own);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_LBUTTONDOWN:
        if (StrictlyInside(LinkRect(strip), static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)))) {
            // The frame opens the sheet once the tap has been handled.
            PostMessageW(GetAncestor(strip, GA_ROOT), WM_COMMAND, MAKEWPARAM(IDS_SETTINGS, 0), 0);
            return 0;
        }
        break;
    case WM_NCDESTROY:
        SetWindowLongPtrW(strip, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(own));
        RemovePropW(strip, kOwnProcedure);
        return CallWindowProcW(own, strip, message, wParam, lParam);
    }
    return CallWindowProcW(own, strip, message, wParam, lParam);
}

}  // namespace

RECT LinkRect(HWND strip) {
    // In the dialog units of the view the strip belongs to: the units of the program's own
    // dialogs on this screen. (The desktop's GetDialogBaseUnits measures its "System"
    // font, which would put the link past a 240-pixel screen's edge.)
    RECT link = kLinkDialogUnits;
    if (!strip || !MapDialogRect(GetParent(strip), &link)) return RECT{};
    // The link, as wide, starts no sooner than the last tab ends, so that no tap on a tab
    // opens the sheet (the dialog units need not grow with the tabs' pixels); it ends at
    // the strip's edge at the latest.
    const int tabs = static_cast<int>(SendMessageW(strip, TCM_GETITEMCOUNT, 0, 0));
    RECT last = {}, client = {};
    if (tabs > 0 && SendMessageW(strip, TCM_GETITEMRECT, static_cast<WPARAM>(tabs - 1), reinterpret_cast<LPARAM>(&last)) &&
        last.right > link.left) {
        OffsetRect(&link, last.right - link.left, 0);
        GetClientRect(strip, &client);
        link.right = std::min(link.right, client.right);
    }
    return link;
}

void Place(HWND strip, int clientWidth, int clientHeight) {
    MoveWindow(strip, -Dpi_ScaleX(kOverhang), clientHeight - Dpi_ScaleY(kHeight), clientWidth + Dpi_ScaleX(kOverhang),
               Dpi_ScaleY(kHeight), FALSE);
}

void Attach(HWND strip, int clientHeight) {
    if (!strip || OwnProcedure(strip)) return;
    SetWindowLongPtrW(strip, GWL_STYLE, GetWindowLongPtrW(strip, GWL_STYLE) | TCS_OWNERDRAWFIXED | TCS_FIXEDWIDTH);
    SendMessageW(strip, TCM_SETITEMSIZE, 0, MAKELPARAM(Dpi_ScaleX(kTabWidth), Dpi_ScaleY(kHeight) - kTabInset));
    Place(strip, DeviceScreen_GetSystemMetrics(SM_CXSCREEN), clientHeight);
    SetPropW(strip, kOwnProcedure,
             reinterpret_cast<HANDLE>(GetWindowLongPtrW(strip, GWLP_WNDPROC)));
    SetWindowLongPtrW(strip, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(StripProcedure));
    InvalidateRect(strip, nullptr, TRUE);
}

void DrawTab(const DRAWITEMSTRUCT& item, HICON icon) {
    if (!icon) return;
    const int size = Gfx_IconSizeForDpi();
    const int x = item.rcItem.left + (item.rcItem.right - item.rcItem.left - size) / 2;
    const int y = item.rcItem.top + (item.rcItem.bottom - item.rcItem.top - size) / 2;
    DrawIconEx(item.hDC, x, y, icon, size, size, 0, nullptr, DI_NORMAL);
}

}  // namespace MainTabStrip
