#include "DeviceClockState.h"
#include "DeviceStateStore.h"
#include <wchar.h>

namespace {
const wchar_t kClockRecord[] = L"clock";
const wchar_t kTimeChangeEvent[] = L"TimeChange";
const wchar_t kZoneChangeEvent[] = L"ZoneChange";
const wchar_t kUtcName[] = L"Coordinated Universal Time";

HANDLE CreateChangeEvent(const wchar_t* purpose) {
    auto store = DeviceStateStore::Current();
    if (!store->Ready()) return nullptr;
    return CreateEventW(nullptr, FALSE, FALSE, store->ObjectName(purpose).c_str());
}

// The count in the record is the truth; the event only wakes whoever waits for it.
void Signal(const wchar_t* purpose) {
    ScopedHandle event(CreateChangeEvent(purpose));
    if (event) SetEvent(event.Get());
}
}  // namespace

DeviceClockState::Record DeviceClockState::Defaults() {
    Record r = {};
    wcsncpy(r.zone.StandardName, kUtcName, 31);
    wcsncpy(r.zone.DaylightName, kUtcName, 31);
    return r;
}

DeviceClockState::Record DeviceClockState::Load() {
    Record r;
    if (!DeviceStateStore::Current()->Read(kClockRecord, &r, sizeof r)) r = Defaults();
    return r;
}

bool DeviceClockState::ChangeTime(const std::function<int64_t(int64_t)>& newOffset) {
    bool ok = DeviceStateStore::Current()->Update(kClockRecord, Defaults(), [&](Record& r) {
        r.offset = newOffset(r.offset);
        ++r.timeChanges;
        return true;
    });
    if (ok) Signal(kTimeChangeEvent);
    return ok;
}

bool DeviceClockState::ChangeZone(const TIME_ZONE_INFORMATION& zone) {
    bool ok = DeviceStateStore::Current()->Update(kClockRecord, Defaults(), [&](Record& r) {
        r.zone = zone;
        ++r.zoneChanges;
        return true;
    });
    if (ok) Signal(kZoneChangeEvent);
    return ok;
}

HANDLE DeviceClockState::OpenTimeChangeEvent() { return CreateChangeEvent(kTimeChangeEvent); }
HANDLE DeviceClockState::OpenZoneChangeEvent() { return CreateChangeEvent(kZoneChangeEvent); }
