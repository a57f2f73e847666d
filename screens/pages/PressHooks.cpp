#include "PressHooks.h"

LRESULT PressHook::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    const bool press = message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK;
    if (kind_ == Kind::kInstantTap) {
        if (message == WM_LBUTTONDBLCLK) return 0;
        // The list's own stylus handling waits for the release: it is already queued.
        if (message == WM_LBUTTONDOWN) PostMessageW(GetHwnd(), WM_LBUTTONUP, wParam, lParam);
        return ControlWndBase::WindowProc(message, wParam, lParam);
    }
    if ((message == WM_KEYDOWN && wParam == VK_RETURN) || press) {
        if (action_) action_();
        if (press && kind_ == Kind::kActionOnly) return 0;
    }
    return ControlWndBase::WindowProc(message, wParam, lParam);
}
