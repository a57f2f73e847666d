#include "DeviceClock.h"

// Pass-through until the device state store keeps an offset and a zone.
void DeviceClock_GetLocalTime(SYSTEMTIME* st) { GetLocalTime(st); }
void DeviceClock_GetSystemTime(SYSTEMTIME* st) { GetSystemTime(st); }
BOOL DeviceClock_SetSystemTime(const SYSTEMTIME*) { return FALSE; }
BOOL DeviceClock_SetLocalTime(const SYSTEMTIME*) { return FALSE; }
DWORD DeviceClock_GetTickCount(void) { return GetTickCount(); }
BOOL DeviceClock_QueryPerformanceCounter(LARGE_INTEGER* c) { return QueryPerformanceCounter(c); }
DWORD DeviceClock_GetTimeZoneInformation(TIME_ZONE_INFORMATION* tz) { return GetTimeZoneInformation(tz); }
BOOL DeviceClock_SetTimeZoneInformation(const TIME_ZONE_INFORMATION*) { return FALSE; }
