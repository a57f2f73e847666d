// Message boxes fitted to the device's screen: narrowed to it, their text wrapped again at
// the new width (a word too long for a line is broken, as the handheld breaks it), their
// buttons moved down and centred again, and the box kept inside the work area.
#include "DeviceScreen.h"

#include <algorithm>
#include <climits>
#include <string>

namespace {

thread_local bool t_fitted;

bool IsClass(HWND child, const wchar_t* className) {
    wchar_t name[16] = {};
    GetClassNameW(child, name, 16);
    return lstrcmpiW(name, className) == 0;
}

bool IsTextStatic(HWND child) {
    return IsClass(child, L"Static") && (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON;
}

// By its own style: the box itself is not shown yet when it is fitted.
bool IsShownButton(HWND child) { return IsClass(child, L"Button") && (GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE); }

RECT ClientRectOf(HWND child, HWND parent) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// The height the text needs at `width`.
int TextHeight(HWND text, int width) {
    std::wstring s(GetWindowTextLengthW(text) + 1, L'\0');
    s.resize(GetWindowTextW(text, &s[0], static_cast<int>(s.size())));
    HDC dc = GetDC(text);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(text, WM_GETFONT, 0, 0)));
    RECT need = {0, 0, width, 0};
    DrawTextW(dc, s.c_str(), -1, &need, DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL | DT_EXPANDTABS | DT_NOPREFIX);
    SelectObject(dc, old);
    ReleaseDC(text, dc);
    return need.bottom;
}

void FitToScreen(HWND box) {
    RECT area, r;
    DeviceScreen_GetWorkArea(&area);
    GetWindowRect(box, &r);
    int width = r.right - r.left, height = r.bottom - r.top;
    const int excess = width - (area.right - area.left);
    if (excess > 0) {
        HWND text = nullptr;
        for (HWND c = GetWindow(box, GW_CHILD); c && !text; c = GetWindow(c, GW_HWNDNEXT))
            if (IsTextStatic(c)) text = c;
        if (!text) return;
        const RECT t = ClientRectOf(text, box);
        const int textWidth = t.right - t.left - excess;
        if (textWidth <= 0) return;
        const int grow = std::max(0, TextHeight(text, textWidth) - static_cast<int>(t.bottom - t.top));
        SetWindowPos(text, nullptr, 0, 0, textWidth, t.bottom - t.top + grow, SWP_NOMOVE | SWP_NOZORDER);
        // The buttons (the box keeps every kind, hidden but the ones it shows): moved down
        // and centred again in the narrower box.
        RECT client;
        GetClientRect(box, &client);
        int left = INT_MAX, right = INT_MIN;
        for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            const RECT b = ClientRectOf(c, box);
            if (IsShownButton(c)) left = std::min<int>(left, b.left), right = std::max<int>(right, b.right);
        }
        const int shift = left <= right ? (client.right - excess - (right - left)) / 2 - left : 0;
        for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            const RECT b = ClientRectOf(c, box);
            if (IsShownButton(c)) SetWindowPos(c, nullptr, b.left + shift, b.top + grow, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        }
        width -= excess;
        height += grow;
    }
    const int x = std::max<int>(area.left, std::min<int>(r.left, area.right - width));
    const int y = std::max<int>(area.top, std::min<int>(r.top, area.bottom - height));
    SetWindowPos(box, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

// The message box is the first dialog this thread sets up during the call; it is fitted
// once it has laid itself out (when WM_INITDIALOG returns).
LRESULT CALLBACK WatchSetUp(int code, WPARAM wParam, LPARAM lParam) {
    const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && call->message == WM_INITDIALOG && !t_fitted) {
        wchar_t name[8] = {};
        GetClassNameW(call->hwnd, name, 8);
        if (lstrcmpW(name, L"#32770") == 0) {
            t_fitted = true;
            FitToScreen(call->hwnd);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

int DeviceScreen_MessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) {
    const bool outer = t_fitted;
    t_fitted = false;
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROCRET, WatchSetUp, nullptr, GetCurrentThreadId());
    const int result = MessageBoxW(owner, text, caption, type);
    if (hook) UnhookWindowsHookEx(hook);
    t_fitted = outer;
    return result;
}
