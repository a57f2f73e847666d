#pragma once
// A device zone whose daylight saving begins on the last Sunday of March at 02:00, when
// the local clock goes on from 03:00 (UTC in winter, UTC + 1 in summer), with the device
// clock set a moment before that, on 28 March 2027: the test then lets time pass.
#include "DeviceClock.h"
#include "DeviceControl.h"

namespace testsupport {

inline bool SetClockBeforeSpringForward(WORD leadMs) {
    TIME_ZONE_INFORMATION zone;
    DeviceControl_MakeFixedZone(0, &zone);
    zone.DaylightBias = -60;
    zone.DaylightDate = SYSTEMTIME{0, 3, 0, 5, 2, 0, 0, 0};   // the last Sunday of March, 02:00
    zone.StandardDate = SYSTEMTIME{0, 10, 0, 5, 3, 0, 0, 0};  // the last Sunday of October, 03:00
    if (!DeviceClock_SetTimeZoneInformation(&zone)) return false;
    SYSTEMTIME before = {2027, 3, 0, 28, 1, 59, 59, 0};
    before.wSecond = static_cast<WORD>(60 - (leadMs + 999) / 1000);
    before.wMilliseconds = static_cast<WORD>((1000 - leadMs % 1000) % 1000);
    return DeviceClock_SetSystemTime(&before) != FALSE;
}

// Whether the device's local clock has gone on to summer time.
inline bool SpringedForward() {
    SYSTEMTIME local;
    DeviceClock_GetLocalTime(&local);
    return local.wHour >= 3;
}

}  // namespace testsupport
