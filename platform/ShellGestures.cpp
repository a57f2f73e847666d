#include "aygshell.h"

#include <stdlib.h>

namespace {
constexpr DWORD kPollMs = 10;
}

DWORD SHRecognizeGesture(SHRGINFO* info) {
    if (!info || !IsWindow(info->hwndClient)) return 0;
    const DWORD start = GetTickCount();
    MSG message;
    while (GetTickCount() - start < SHRG_HOLD_MS) {
        // The stylus came up: a plain tap.
        if (PeekMessageW(&message, info->hwndClient, WM_LBUTTONUP, WM_LBUTTONUP, PM_NOREMOVE)) return 0;
        if (PeekMessageW(&message, info->hwndClient, WM_MOUSEMOVE, WM_MOUSEMOVE, PM_NOREMOVE)) {
            const int x = static_cast<short>(LOWORD(message.lParam)), y = static_cast<short>(HIWORD(message.lParam));
            if (abs(x - info->ptDown.x) > SHRG_MOVE_TOLERANCE || abs(y - info->ptDown.y) > SHRG_MOVE_TOLERANCE)
                return 0;
            PeekMessageW(&message, info->hwndClient, WM_MOUSEMOVE, WM_MOUSEMOVE, PM_REMOVE);
        }
        Sleep(kPollMs);
    }
    if (!(info->dwFlags & SHRG_RETURNCMD)) {
        HWND target = (info->dwFlags & SHRG_NOTIFYPARENT) ? GetParent(info->hwndClient) : info->hwndClient;
        if (target) PostMessageW(target, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(info->hwndClient), 0);
    }
    return GN_CONTEXTMENU;
}
