#pragma once
// Test-facing control of the simulated device: move its clock, read how often the
// clock and the zone changed, wait for those changes. A test sets the clock to a moment
// or the zone with DeviceClock_SetSystemTime / SetLocalTime / SetTimeZoneInformation,
// as the device's own programs do; every way raises the same change.
#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

// Moves device time by `milliseconds` (negative: back) and raises a time change.
BOOL DeviceControl_JumpClock(LONGLONG milliseconds);
// Device time minus host time, in milliseconds.
LONGLONG DeviceControl_GetClockOffset(void);
// How many time changes (clock set or jump) and zone changes the device has seen.
DWORD DeviceControl_GetTimeChangeCount(void);
DWORD DeviceControl_GetZoneChangeCount(void);
// Auto-reset events set after every time / zone change of this device. The caller
// closes the handle. Meant for one waiter each (the notification service); others
// compare the counts above.
HANDLE DeviceControl_OpenTimeChangeEvent(void);
HANDLE DeviceControl_OpenZoneChangeEvent(void);
// A zone without daylight saving: local time = UTC - biasMinutes.
void DeviceControl_MakeFixedZone(LONG biasMinutes, TIME_ZONE_INFORMATION* tz);

#ifdef __cplusplus
}
#endif
