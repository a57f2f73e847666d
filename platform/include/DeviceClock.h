#pragma once
// The simulated device's clock: device time is host time plus an offset the layer
// keeps, in the device's own time zone. Every read of "now" in our code goes here,
// so tests can move the device clock without touching the host's.
#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

void  DeviceClock_GetLocalTime(SYSTEMTIME* st);
void  DeviceClock_GetSystemTime(SYSTEMTIME* st);
BOOL  DeviceClock_SetSystemTime(const SYSTEMTIME* st);
BOOL  DeviceClock_SetLocalTime(const SYSTEMTIME* st);
DWORD DeviceClock_GetTickCount(void);
BOOL  DeviceClock_QueryPerformanceCounter(LARGE_INTEGER* counter);
DWORD DeviceClock_GetTimeZoneInformation(TIME_ZONE_INFORMATION* tz);
BOOL  DeviceClock_SetTimeZoneInformation(const TIME_ZONE_INFORMATION* tz);

#ifdef __cplusplus
}
#endif
