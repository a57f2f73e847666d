#include "aygshell_gesture.h"

#include <cstdint>
#include <cstdlib>

#include "DeviceInput.h"
#include "DeviceStateStore.h"

namespace {

const wchar_t kRecordName[] = L"heldtouch";
// A finger is not a pixel: the touch counts when the window asks near where it landed.
constexpr int kTouchSlop = 4;

struct HeldTouch {
    int32_t x, y;  // screen coordinates
    uint32_t held;
};

// True once for the held touch at `at`: recognising it uses it up.
bool TakeHeldTouch(POINT at) {
    auto store = DeviceStateStore::Current();
    HeldTouch touch = {};
    if (!store->Read(kRecordName, &touch, sizeof touch) || !touch.held) return false;
    return store->Update(kRecordName, HeldTouch{}, [&](HeldTouch& record) {
        if (!record.held || std::abs(record.x - at.x) > kTouchSlop || std::abs(record.y - at.y) > kTouchSlop)
            return false;
        record.held = 0;
        return true;
    });
}

}  // namespace

DWORD SHRecognizeGesture(SHRGINFO* info) {
    if (!info || info->cbSize < sizeof(SHRGINFO) || !IsWindow(info->hwndClient)) return 0;
    POINT at = info->ptDown;
    ClientToScreen(info->hwndClient, &at);
    if (!TakeHeldTouch(at)) return 0;
    if (info->dwFlags & SHRG_NOTIFYPARENT) {
        NMRGINFO note = {};
        note.hdr.hwndFrom = info->hwndClient;
        note.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(info->hwndClient));
        note.hdr.code = GN_CONTEXTMENU;
        note.ptAction = at;
        SendMessageW(GetParent(info->hwndClient), WM_NOTIFY, note.hdr.idFrom, reinterpret_cast<LPARAM>(&note));
    }
    return GN_CONTEXTMENU;
}

BOOL DeviceInput_TapAndHold(int x, int y) {
    if (!DeviceStateStore::Current()->Update(kRecordName, HeldTouch{}, [&](HeldTouch& record) {
            record = HeldTouch{x, y, 1};
            return true;
        }))
        return FALSE;
    return DeviceInput_Tap(x, y);
}
