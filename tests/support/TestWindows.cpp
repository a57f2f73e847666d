#include "TestWindows.h"

#include <commctrl.h>

namespace testsupport {

std::wstring WindowText(HWND window) {
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    return text;
}

std::wstring DialogItemText(HWND dialog, int controlId) {
    HWND control = GetDlgItem(dialog, controlId);
    return control ? WindowText(control) : std::wstring();
}

HWND FirstVisibleWindow() {
    for (HWND window = GetTopWindow(nullptr); window; window = GetWindow(window, GW_HWNDNEXT))
        if (IsWindowVisible(window) && !GetWindow(window, GW_OWNER)) return window;
    return nullptr;
}

std::wstring ButtonText(HWND bar, int index) {
    wchar_t text[128] = {};
    TBBUTTONINFOW info = {};
    info.cbSize = sizeof info;
    info.dwMask = TBIF_TEXT | TBIF_BYINDEX;
    info.pszText = text;
    info.cchText = 127;
    SendMessageW(bar, TB_GETBUTTONINFOW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&info));
    return text;
}

}  // namespace testsupport
