// Notification bubbles of the simulated device: kept in one record of the device state
// so that a test in another process sees and taps them.
#include <cwchar>

#include "DeviceBubbles.h"
#include "DeviceStateStore.h"

namespace {

const wchar_t kRecordName[] = L"bubbles";
constexpr size_t kMaxBubbles = 16;

struct StoredBubble {
    uint32_t used;
    uint32_t id;
    GUID clsid;
    uint32_t cbStruct;
    uint32_t priority;
    uint32_t duration;
    uint32_t flags;
    uint32_t iconWidth;
    uint32_t reserved;
    uint64_t sink;
    int64_t lParam;
    wchar_t title[64];
    wchar_t html[128];
};

struct BubbleRecord {
    StoredBubble bubbles[kMaxBubbles];
};

template <typename Change>
bool Update(Change change) {
    return DeviceStateStore::Current()->Update(kRecordName, BubbleRecord{}, change);
}

BubbleRecord Load() {
    BubbleRecord r = {};
    Update([&](BubbleRecord& now) {
        r = now;
        return false;  // nothing to write
    });
    return r;
}

uint32_t IconWidth(HICON icon) {
    ICONINFO info = {};
    if (!icon || !GetIconInfo(icon, &info)) return 0;
    BITMAP bitmap = {};
    GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    return static_cast<uint32_t>(bitmap.bmWidth);
}

void CopyText(wchar_t* to, size_t capacity, const wchar_t* from) {
    if (from) wcsncpy(to, from, capacity - 1);
}

}  // namespace

LRESULT SHNotificationAdd(SHNOTIFICATIONDATA* data) {
    if (!data || data->cbStruct != sizeof(SHNOTIFICATIONDATA)) return ERROR_INVALID_PARAMETER;
    StoredBubble added = {};
    added.used = 1;
    added.id = data->dwID;
    added.clsid = data->clsid;
    added.cbStruct = data->cbStruct;
    added.priority = static_cast<uint32_t>(data->npPriority);
    added.duration = data->csDuration;
    added.flags = data->grfFlags;
    added.iconWidth = IconWidth(data->hicon);
    added.sink = reinterpret_cast<uintptr_t>(data->hwndSink);
    added.lParam = data->lParam;
    CopyText(added.title, 64, data->pszTitle);
    CopyText(added.html, 128, data->pszHTML);
    LRESULT result = ERROR_OUTOFMEMORY;
    Update([&](BubbleRecord& r) {
        for (const StoredBubble& b : r.bubbles)
            if (b.used && b.id == added.id && IsEqualGUID(b.clsid, added.clsid)) {
                result = ERROR_ALREADY_EXISTS;
                return false;
            }
        for (StoredBubble& b : r.bubbles)
            if (!b.used) {
                b = added;
                result = ERROR_SUCCESS;
                return true;
            }
        return false;
    });
    return result;
}

LRESULT SHNotificationRemove(const CLSID* clsid, DWORD id) {
    LRESULT result = ERROR_NOT_FOUND;
    if (clsid)
        Update([&](BubbleRecord& r) {
            for (StoredBubble& b : r.bubbles)
                if (b.used && b.id == id && IsEqualGUID(b.clsid, *clsid)) {
                    b = StoredBubble{};
                    result = ERROR_SUCCESS;
                    return true;
                }
            return false;
        });
    return result;
}

DWORD DeviceControl_GetBubbles(DEVICE_BUBBLE* bubbles, DWORD capacity) {
    const BubbleRecord r = Load();
    DWORD count = 0;
    for (const StoredBubble& b : r.bubbles) {
        if (!b.used) continue;
        if (bubbles && count < capacity) {
            DEVICE_BUBBLE& out = bubbles[count];
            out = DEVICE_BUBBLE{};
            out.clsid = b.clsid;
            out.id = b.id;
            out.cbStruct = b.cbStruct;
            out.priority = b.priority;
            out.duration = b.duration;
            out.flags = b.flags;
            out.iconWidth = b.iconWidth;
            out.sink = reinterpret_cast<HWND>(static_cast<uintptr_t>(b.sink));
            out.lParam = static_cast<LPARAM>(b.lParam);
            wcsncpy(out.title, b.title, 63);
            wcsncpy(out.html, b.html, 127);
        }
        ++count;
    }
    return count;
}

BOOL DeviceControl_TapBubble(const CLSID* clsid, DWORD id, LRESULT* result) {
    const BubbleRecord r = Load();
    for (const StoredBubble& b : r.bubbles) {
        if (!b.used || b.id != id || !clsid || !IsEqualGUID(b.clsid, *clsid)) continue;
        HWND sink = reinterpret_cast<HWND>(static_cast<uintptr_t>(b.sink));
        NMHDR header = {nullptr, id, static_cast<UINT>(SHNN_SHOW)};
        const LRESULT answer = SendMessageW(sink, WM_NOTIFY, id, reinterpret_cast<LPARAM>(&header));
        if (result) *result = answer;
        return TRUE;
    }
    return FALSE;
}
