#pragma once
// The device clock's shared state: the offset of device time from host time, the
// device's time zone, and how often each was changed. Kept in the device state store
// so every process of the device reads the same clock.
#include <windows.h>
#include <cstdint>
#include <functional>

class DeviceClockState {
public:
    struct Record {
        int64_t offset;          // device UTC minus host UTC, 100-ns units
        uint32_t timeChanges;    // raised by every clock set or jump
        uint32_t zoneChanges;    // raised by every zone set
        TIME_ZONE_INFORMATION zone;
        uint32_t reserved;
    };
    static_assert(sizeof(TIME_ZONE_INFORMATION) == 172, "zone record is stored");
    static_assert(sizeof(Record) == 192, "clock record is stored");

    // A fresh device runs on host time in UTC, so runs do not depend on the host's zone.
    static Record Defaults();
    static Record Load();

    // Replaces the offset with newOffset(current offset), counts and signals a time change.
    static bool ChangeTime(const std::function<int64_t(int64_t)>& newOffset);
    // Replaces the zone, counts and signals a zone change.
    static bool ChangeZone(const TIME_ZONE_INFORMATION& zone);

    // Auto-reset events set after every time / zone change of this device.
    static HANDLE OpenTimeChangeEvent();
    static HANDLE OpenZoneChangeEvent();
};
