#include "PpcDialog.h"

#include <aygshell.h>
#include <sipapi.h>

#include "DeviceScreen.h"
#include "Dpi.h"
#include "Fonts.h"
#include "GdiHandles.h"
#include "PlatformHelpers.h"

namespace {

constexpr DWORD kInitFlags = SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_SIPDOWN;
constexpr WPARAM kWorkAreaBits = 0x3002;
constexpr UINT kShellOk = 0xE790;
constexpr UINT kShellCancel = 0xE791;
constexpr int kInfoStaticId = 0xFFFE;
constexpr int kTitleTextLength = 48;
constexpr int kTitleIndent = 8;  // at 96 DPI

void PaintTitleStrip(const PpcDialogState& state) {
    PaintScope paint(state.dialog);
    HDC dc = paint.Dc();
    if (!dc)
        return;
    FontHandle font(Font_CreateBoldSystem());
    SelectScope fontSelection(dc, font.Get());
    const COLORREF oldColour = SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHT));
    const int width = DeviceScreen_GetDeviceCaps(dc, HORZRES);
    const int height = state.titleStripHeight;
    RECT strip = {0, 0, width, height};
    FillRect(dc, &strip, GetSysColorBrush(COLOR_BTNHIGHLIGHT));
    wchar_t text[kTitleTextLength + 1] = {};
    GetWindowTextW(state.dialog, text, kTitleTextLength + 1);
    RECT textRect = strip;
    textRect.left = Dpi_ScaleX(kTitleIndent);
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    DrawTextW(dc, text, -1, &textRect, DT_VCENTER | DT_SINGLELINE);
    SetBkMode(dc, oldMode);
    SetTextColor(dc, oldColour);
    SelectScope penSelection(dc, GetStockObject(BLACK_PEN));
    const POINT line[4] = {{0, height}, {width, height}, {0, height - 1}, {width, height - 1}};
    // A thin strip edge on low-density screens, a doubled one on dense screens.
    if (Dpi_ScaleY(1) == 1) {
        Polyline(dc, line, 2);
    } else {
        Polyline(dc, line, 2);
        Polyline(dc, line + 2, 2);
    }
}

bool ProcessMessage(PpcDialogState& state, HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                    LRESULT& result, DWORD mapId, bool sipButton) {
    if (mapId != 0)
        return false;
    state.dialog = window;
    switch (message) {
    case WM_SETTINGCHANGE:
        Dlg_ResizeForSip(state, wParam);
        result = 0;
        return true;
    case WM_INITDIALOG:
        Dlg_InitFullScreen(state);
        MenuBar_CreateVersionDependent(state.menuBar, window, sipButton, Sys_GetOsMajorVersion());
        result = 0;
        return false;
    case WM_PAINT:
        if (state.titleStripHeight)
            PaintTitleStrip(state);
        return false;
    case WM_COMMAND: {
        const UINT id = LOWORD(wParam);
        if (id == IDOK || id == IDCANCEL) {
            EndDialog(window, static_cast<INT_PTR>(id));
        } else if (id == kShellOk) {
            EndDialog(window, IDOK);
        } else if (id == kShellCancel) {
            EndDialog(window, IDCANCEL);
        } else {
            return false;
        }
        result = 0;
        return true;
    }
    case WM_CTLCOLORSTATIC:
        if (GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) != kInfoStaticId)
            return false;
        SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
        result = reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_INFOBK));
        return true;
    default:
        return false;
    }
}

}  // namespace

bool PpcDialog_ProcessMessage(PpcDialogState& state, HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                              LRESULT& result, DWORD mapId) {
    return ProcessMessage(state, window, message, wParam, lParam, result, mapId, false);
}

bool SipDialog_ProcessMessage(PpcDialogState& state, HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                              LRESULT& result, DWORD mapId) {
    return ProcessMessage(state, window, message, wParam, lParam, result, mapId, true);
}

void Dlg_InitFullScreen(PpcDialogState& state) {
    if (state.titleStripHeight)
        Dlg_OffsetChildren(state);
    SHINITDLGINFO info = {SHIDIM_FLAGS, state.dialog, kInitFlags};
    SHInitDialog(&info);
}

void Dlg_OffsetChildren(const PpcDialogState& state) {
    for (HWND child = GetWindow(state.dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT rect;
        GetWindowRect(child, &rect);
        MapWindowPoints(HWND_DESKTOP, state.dialog, reinterpret_cast<POINT*>(&rect), 2);
        MoveWindow(child, rect.left, rect.top + state.titleStripHeight, rect.right - rect.left,
                   rect.bottom - rect.top, FALSE);
    }
}

void Dlg_ResizeForSip(PpcDialogState& state, WPARAM flag) {
    if (flag & kWorkAreaBits) {
        Dlg_InitFullScreen(state);
        return;
    }
    if (flag != SPI_SETSIPINFO)
        return;
    SIPINFO info = {};
    info.cbSize = sizeof info;
    if (!SipGetInfo(&info))
        return;
    const RECT& visible = info.rcVisibleDesktop;
    const int bottom = (info.fdwFlags & SIPF_ON) ? visible.bottom : info.rcSipRect.bottom;
    MoveWindow(state.dialog, visible.left, visible.top, visible.right - visible.left, bottom - visible.top, FALSE);
}
