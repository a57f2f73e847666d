#include "MainMenuProbe.h"

#include <cwchar>

#include "QuestionBox.h"

namespace main_menu_probe {

namespace {

bool IsPopup(HWND window) {
    wchar_t name[16] = {};
    GetClassNameW(window, name, 16);
    const LONG style = GetWindowLongW(window, GWL_STYLE);
    const LONG wanted = WS_POPUP | WS_VISIBLE | WS_SYSMENU;
    return wcscmp(name, L"#32770") == 0 && (style & (wanted | WS_CAPTION | WS_CHILD)) == wanted &&
           GetWindowTextLengthW(window) == 0;
}

}  // namespace

HWND WaitForPopup(DWORD timeoutMs) { return testsupport::FindDeviceWindow(timeoutMs, IsPopup); }

bool WaitForNoPopup(DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (testsupport::FindDeviceWindow(0, IsPopup)) {
        if (GetTickCount64() >= deadline) return false;
        Sleep(50);
    }
    return true;
}

void ChooseCell(HWND popup, int cell) {
    PostMessageW(popup, WM_KEYDOWN, VK_SPACE, 0);
    PostMessageW(popup, WM_KEYDOWN, '1' + cell, 0);
}

}  // namespace main_menu_probe
