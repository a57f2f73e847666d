#include "DeviceInput.h"

#include "ShellGestures.h"
#include "UserActivity.h"
#include "hotkeys.h"

namespace {

BOOL Touch(int x, int y) {
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

}  // namespace

BOOL DeviceInput_Tap(int x, int y) {
    ShellGestures_RecordTouch(x, y, false);
    return Touch(x, y);
}

BOOL DeviceInput_TapAndHold(int x, int y) { return ShellGestures_RecordTouch(x, y, true) ? Touch(x, y) : FALSE; }

BOOL DeviceInput_Key(UINT virtualKey) { return DeviceInput_KeyWithModifiers(virtualKey, 0); }

BOOL DeviceInput_KeyWithModifiers(UINT virtualKey, UINT modifiers) {
    HWND target = nullptr;
    int id = 0;
    // A registered hot key takes the press: the window hears WM_HOTKEY, no key messages.
    if (Device_FindHotKey(modifiers, virtualKey, &target, &id))
        PostMessageW(target, WM_HOTKEY, static_cast<WPARAM>(id), MAKELPARAM(modifiers, virtualKey));
    else if (HWND window = GetForegroundWindow()) {
        PostMessageW(window, WM_KEYDOWN, virtualKey, 1);
        PostMessageW(window, WM_KEYUP, virtualKey, 0xC0000001);
    }
    return UserActivity::Signal() ? TRUE : FALSE;
}

DWORD DeviceInput_GetCount(void) { return UserActivity::Load().inputs; }
