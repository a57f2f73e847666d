#include "DeviceInput.h"

#include "UserActivity.h"

BOOL DeviceInput_Tap(int x, int y) {
    POINT at = {x, y};
    if (HWND window = WindowFromPoint(at)) {
        POINT client = at;
        ScreenToClient(window, &client);
        const LPARAM position = MAKELPARAM(client.x, client.y);
        PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, position);
        PostMessageW(window, WM_LBUTTONUP, 0, position);
    }
    return UserActivity::Signal() ? TRUE : FALSE;
}

BOOL DeviceInput_Key(UINT virtualKey) {
    if (HWND window = GetForegroundWindow()) {
        PostMessageW(window, WM_KEYDOWN, virtualKey, 1);
        PostMessageW(window, WM_KEYUP, virtualKey, 0xC0000001);
    }
    return UserActivity::Signal() ? TRUE : FALSE;
}

DWORD DeviceInput_GetCount(void) { return UserActivity::Load().inputs; }
