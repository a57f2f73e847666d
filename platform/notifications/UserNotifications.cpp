// The notification functions of the device, over the notification record.
#include <cstring>
#include <cwchar>
#include "DeviceClockState.h"
#include "DeviceControl.h"
#include "DeviceServices.h"
#include "NotificationStore.h"
#include "notify.h"

namespace {
using Entry = NotificationStore::Entry;

uint32_t IdOf(HANDLE h) { return uint32_t(reinterpret_cast<UINT_PTR>(h)); }
HANDLE HandleOf(uint32_t id) { return reinterpret_cast<HANDLE>(UINT_PTR(id)); }
bool ValidHandle(HANDLE h) { return h && reinterpret_cast<UINT_PTR>(h) <= 0xFFFFFFFFu; }

size_t Align(size_t n) { return (n + sizeof(void*) - 1) & ~(sizeof(void*) - 1); }

// The change count an event entry has already answered: the one current when it was set.
uint32_t CurrentChanges(uint32_t event) {
    DeviceClockState::Record clock = DeviceClockState::Load();
    if (event == NOTIFICATION_EVENT_TIME_CHANGE) return clock.timeChanges;
    if (event == NOTIFICATION_EVENT_TZ_CHANGE) return clock.zoneChanges;
    return 0;
}

// Lays an entry out in a caller's buffer: header, trigger, user notification, strings.
class InfoWriter {
public:
    explicit InfoWriter(const Entry& e) : e_(e) {
        size_ = Align(sizeof(CE_NOTIFICATION_INFO_HEADER)) + Align(sizeof(CE_NOTIFICATION_TRIGGER));
        if (e.hasUser) size_ += Align(sizeof(CE_USER_NOTIFICATION));
        const wchar_t* texts[] = {Text(0), Text(1), Text(2), Text(3), Text(4)};
        for (const wchar_t* t : texts)
            if (t) size_ += (wcslen(t) + 1) * sizeof(wchar_t);
    }
    DWORD Size() const { return DWORD(size_); }

    void Write(BYTE* buffer) const {
        memset(buffer, 0, size_);
        auto* header = reinterpret_cast<CE_NOTIFICATION_INFO_HEADER*>(buffer);
        size_t at = Align(sizeof *header);
        auto* trigger = reinterpret_cast<CE_NOTIFICATION_TRIGGER*>(buffer + at);
        at += Align(sizeof *trigger);
        CE_USER_NOTIFICATION* user = nullptr;
        if (e_.hasUser) {
            user = reinterpret_cast<CE_USER_NOTIFICATION*>(buffer + at);
            at += Align(sizeof *user);
        }
        auto place = [&](int which) -> WCHAR* {
            const wchar_t* t = Text(which);
            if (!t) return nullptr;
            size_t bytes = (wcslen(t) + 1) * sizeof(wchar_t);
            WCHAR* out = reinterpret_cast<WCHAR*>(buffer + at);
            memcpy(out, t, bytes);
            at += bytes;
            return out;
        };
        header->hNotification = HandleOf(e_.id);
        header->dwStatus = e_.status;
        header->pcent = trigger;
        header->pceun = user;
        trigger->dwSize = sizeof *trigger;
        trigger->dwType = e_.type;
        trigger->dwEvent = e_.event;
        trigger->stStartTime = e_.start;
        trigger->stEndTime = e_.end;
        trigger->lpszApplication = place(0);
        trigger->lpszArguments = place(1);
        if (user) {
            user->ActionFlags = e_.actionFlags;
            user->nMaxSound = e_.maxSound;
            user->pwszDialogTitle = place(2);
            user->pwszDialogText = place(3);
            user->pwszSound = place(4);
        }
    }

private:
    const wchar_t* Text(int which) const {
        switch (which) {
        case 0: return e_.hasApplication ? e_.application : nullptr;
        case 1: return e_.hasArguments ? e_.arguments : nullptr;
        case 2: return e_.userFields & 1 ? e_.title : nullptr;
        case 3: return e_.userFields & 2 ? e_.text : nullptr;
        default: return e_.userFields & 4 ? e_.sound : nullptr;
        }
    }
    const Entry& e_;
    size_t size_;
};
}  // namespace

HANDLE CeSetUserNotificationEx(HANDLE hNotification, CE_NOTIFICATION_TRIGGER* pcnt, CE_USER_NOTIFICATION* pceun) {
    if (!pcnt || (hNotification && !ValidHandle(hNotification))) {
        SetLastError(pcnt ? ERROR_INVALID_HANDLE : ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::unique_ptr<Entry> entry(new Entry());
    if (!NotificationStore::FromTrigger(*pcnt, pceun, entry.get())) return nullptr;
    entry->seenChanges = entry->type == CNT_EVENT ? CurrentChanges(entry->event) : 0;
    uint32_t id = 0;
    bool ok = NotificationStore::Update([&](NotificationStore::Record& r) {
        if (hNotification) {
            int at = NotificationStore::Find(r, IdOf(hNotification));
            if (at < 0) {
                SetLastError(ERROR_INVALID_HANDLE);
                return false;
            }
            id = r.entries[at].id;
            r.entries[at] = *entry;
            r.entries[at].id = id;
            return true;
        }
        if (r.count >= NotificationStore::kCapacity || r.nextId >= NotificationStore::kLastId) {
            SetLastError(ERROR_OUTOFMEMORY);
            return false;
        }
        id = r.nextId++;
        r.entries[r.count] = *entry;
        r.entries[r.count].id = id;
        ++r.count;
        return true;
    });
    if (!ok) return nullptr;
    // The service acts on the notification; a failure to start it leaves the notification set.
    DeviceServices::EnsureRunning();
    return HandleOf(id);
}

BOOL CeGetUserNotificationHandles(HANDLE* rghNotifications, DWORD cHandles, LPDWORD pcHandlesNeeded) {
    auto r = NotificationStore::Load();
    if (pcHandlesNeeded) *pcHandlesNeeded = r->count;
    if (!rghNotifications && cHandles == 0) return TRUE;
    if (!rghNotifications || cHandles < r->count) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    for (uint32_t i = 0; i < r->count; ++i) rghNotifications[i] = HandleOf(r->entries[i].id);
    return TRUE;
}

BOOL CeGetUserNotification(HANDLE hNotification, DWORD cBufferSize, LPDWORD pcBytesNeeded, LPBYTE pBuffer) {
    if (pcBytesNeeded) *pcBytesNeeded = 0;
    auto r = NotificationStore::Load();
    int at = ValidHandle(hNotification) ? NotificationStore::Find(*r, IdOf(hNotification)) : -1;
    if (at < 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    InfoWriter writer(r->entries[at]);
    if (pcBytesNeeded) *pcBytesNeeded = writer.Size();
    if (!pBuffer || cBufferSize < writer.Size()) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    writer.Write(pBuffer);
    return TRUE;
}

BOOL CeClearUserNotification(HANDLE hNotification) {
    if (!ValidHandle(hNotification)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return NotificationStore::Update([&](NotificationStore::Record& r) {
        int at = NotificationStore::Find(r, IdOf(hNotification));
        if (at < 0) {
            SetLastError(ERROR_INVALID_HANDLE);
            return false;
        }
        NotificationStore::RemoveAt(r, uint32_t(at));
        return true;
    }) ? TRUE : FALSE;
}

DWORD DeviceControl_GetNotificationCount(void) { return NotificationStore::Load()->count; }
DWORD DeviceControl_GetNotificationStarts(void) { return NotificationStore::Load()->starts; }

BOOL DeviceControl_GetNotification(DWORD index, HANDLE* handle, DWORD* type, DWORD* event, DWORD* status,
                                   SYSTEMTIME* start, wchar_t* application, DWORD cchApplication,
                                   wchar_t* arguments, DWORD cchArguments) {
    auto r = NotificationStore::Load();
    if (index >= r->count) {
        SetLastError(ERROR_NO_MORE_ITEMS);
        return FALSE;
    }
    const Entry& e = r->entries[index];
    auto copy = [](const wchar_t* text, wchar_t* out, DWORD cch) {
        if (!out) return true;
        size_t n = wcslen(text);
        if (n + 1 > cch) return false;
        wmemcpy(out, text, n + 1);
        return true;
    };
    if (!copy(e.application, application, cchApplication) || !copy(e.arguments, arguments, cchArguments)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    if (handle) *handle = HandleOf(e.id);
    if (type) *type = e.type;
    if (event) *event = e.event;
    if (status) *status = e.status;
    if (start) *start = e.start;
    return TRUE;
}
