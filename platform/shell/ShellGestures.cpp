#include "aygshell.h"

#include <cstdint>
#include <cstdlib>

#include "DeviceStateStore.h"
#include "ShellGestures.h"

namespace {

const wchar_t kRecordName[] = L"touches";
constexpr DWORD kPollMs = 10;

// The latest touches made through DeviceInput, each recognised once. They say for sure
// whether a touch was held, however late the window gets to it; the messages of a tap may
// already be gone by then (a list view's own drag tracking takes the button-up).
struct Touch {
    int32_t x, y;  // screen coordinates
    uint32_t state;
};
constexpr uint32_t kNone = 0, kTapped = 1, kHeld = 2;
struct Touches {
    Touch touch[8];
    uint32_t next;
};

bool Near(const Touch& touch, POINT at) {
    return std::abs(touch.x - at.x) <= SHRG_MOVE_TOLERANCE && std::abs(touch.y - at.y) <= SHRG_MOVE_TOLERANCE;
}

// kTapped or kHeld for the oldest touch of the device at `at`, used up; kNone when the
// device made none there (a mouse on the host's screen, messages posted by a test).
uint32_t TakeTouch(POINT at) {
    uint32_t found = kNone;
    DeviceStateStore::Current()->Update(kRecordName, Touches{}, [&](Touches& record) {
        const uint32_t count = sizeof record.touch / sizeof record.touch[0];
        for (uint32_t i = 0; i < count; ++i) {
            Touch& touch = record.touch[(record.next + i) % count];
            if (touch.state == kNone || !Near(touch, at)) continue;
            found = touch.state;
            touch.state = kNone;
            return true;
        }
        return false;
    });
    return found;
}

// A touch from elsewhere is held when the stylus neither comes up (a queued
// WM_LBUTTONUP of the window) nor moves away within the hold time.
bool WaitForHold(const SHRGINFO& info) {
    const DWORD start = GetTickCount();
    MSG message;
    while (GetTickCount() - start < SHRG_HOLD_MS) {
        if (PeekMessageW(&message, info.hwndClient, WM_LBUTTONUP, WM_LBUTTONUP, PM_NOREMOVE)) return false;
        if (PeekMessageW(&message, info.hwndClient, WM_MOUSEMOVE, WM_MOUSEMOVE, PM_NOREMOVE)) {
            const int x = static_cast<short>(LOWORD(message.lParam)), y = static_cast<short>(HIWORD(message.lParam));
            if (abs(x - info.ptDown.x) > SHRG_MOVE_TOLERANCE || abs(y - info.ptDown.y) > SHRG_MOVE_TOLERANCE)
                return false;
            PeekMessageW(&message, info.hwndClient, WM_MOUSEMOVE, WM_MOUSEMOVE, PM_REMOVE);
        }
        Sleep(kPollMs);
    }
    return true;
}

}  // namespace

bool ShellGestures_RecordTouch(int x, int y, bool held) {
    return DeviceStateStore::Current()->Update(kRecordName, Touches{}, [&](Touches& record) {
        const uint32_t count = sizeof record.touch / sizeof record.touch[0];
        record.touch[record.next % count] = Touch{x, y, held ? kHeld : kTapped};
        record.next = (record.next + 1) % count;
        return true;
    });
}

DWORD SHRecognizeGesture(SHRGINFO* info) {
    if (!info || !IsWindow(info->hwndClient)) return 0;
    POINT at = info->ptDown;
    ClientToScreen(info->hwndClient, &at);
    const uint32_t touch = TakeTouch(at);
    if (touch == kTapped || (touch == kNone && !WaitForHold(*info))) return 0;
    if (!(info->dwFlags & SHRG_RETURNCMD)) {
        NMRGINFO note = {};
        note.hdr.hwndFrom = info->hwndClient;
        note.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(info->hwndClient));
        note.hdr.code = GN_CONTEXTMENU;
        note.ptAction = at;
        HWND target = (info->dwFlags & SHRG_NOTIFYPARENT) ? GetParent(info->hwndClient) : info->hwndClient;
        if (target) SendMessageW(target, WM_NOTIFY, note.hdr.idFrom, reinterpret_cast<LPARAM>(&note));
    }
    return GN_CONTEXTMENU;
}
