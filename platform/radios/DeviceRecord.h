#pragma once
// One fixed-size record of the device state per area of the device: read whole (its
// defaults while it is missing or damaged) and changed in one step under the store's
// lock, so every process of the device sees the same radios, messages and devices.
#include "DeviceStateStore.h"

template <typename Record>
Record DeviceRecord_Load(const wchar_t* name, const Record& defaults) {
    Record record;
    if (!DeviceStateStore::Current()->Read(name, &record, sizeof record)) record = defaults;
    return record;
}

// change(record) returns false to leave the record as it was; false then, or when the
// store cannot be written.
template <typename Record, typename Change>
bool DeviceRecord_Update(const wchar_t* name, const Record& defaults, Change change) {
    return DeviceStateStore::Current()->Update(name, defaults, change);
}
