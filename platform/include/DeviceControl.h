#pragma once
// Test-facing control of the simulated device: move its clock, read how often the
// clock and the zone changed, wait for those changes; read its power state and
// notifications; start and stop its services. A test sets the clock to a moment
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

// Power: the state's POWER_STATE_* flag, the unattended requests held by living
// processes, the AC line (AC_LINE_*), how often SystemIdleTimerReset was called, how
// many state changes there were, and the milliseconds the tick count stood still.
DWORD DeviceControl_GetPowerState(void);
DWORD DeviceControl_GetUnattendedCount(void);
BOOL DeviceControl_SetACLineStatus(BYTE status);
BYTE DeviceControl_GetACLineStatus(void);
DWORD DeviceControl_GetIdleTimerResets(void);
DWORD DeviceControl_GetPowerTransitions(void);
ULONGLONG DeviceControl_GetSuspendedMs(void);

// Notifications: how many the device holds, and one of them by its place in the list
// (the order of CeGetUserNotificationHandles). Every out-parameter may be null; FALSE
// past the end (ERROR_NO_MORE_ITEMS) or when a text does not fit (ERROR_INSUFFICIENT_BUFFER).
DWORD DeviceControl_GetNotificationCount(void);
BOOL DeviceControl_GetNotification(DWORD index, HANDLE* handle, DWORD* type, DWORD* event, DWORD* status,
                                   SYSTEMTIME* start, wchar_t* application, DWORD cchApplication,
                                   wchar_t* arguments, DWORD cchArguments);
// How many programs the notification service started for this device.
DWORD DeviceControl_GetNotificationStarts(void);
// How often the object store's volume was flushed (CeFlushDBVol).
DWORD DeviceControl_GetVolumeFlushes(void);
// How often Device_CreateProcess started `program` (a device or host path) with exactly
// the command text `args` (null: none) on this device.
DWORD DeviceControl_GetProgramStarts(const wchar_t* program, const wchar_t* args);
// How many of those starts were made while an unattended-mode request held the device up.
DWORD DeviceControl_GetProgramStartsKeptUp(const wchar_t* program, const wchar_t* args);

// The free bytes every volume of the device reports from now on (Device_GetDiskFreeSpaceExW),
// for all its processes; DEVICE_DISK_FREE_HOST goes back to the host's own figure.
#define DEVICE_DISK_FREE_HOST (~0ull)
BOOL DeviceControl_SetDiskFreeBytes(ULONGLONG freeBytes);

// The device's services (the notification service): started by the layer when a
// notification is set; these start them on purpose (after a boot, say) or stop them
// and wait until they are gone. Stop succeeds when none runs.
BOOL DeviceControl_StartServices(void);
BOOL DeviceControl_StopServices(void);
// TRUE while the notification service of this device runs.
BOOL DeviceControl_ServicesRunning(void);
// The program the layer starts as the device's services: this variable's host path
// when set (tests point it at the build), else "\Windows\OrvalenDeviceServices.exe"
// of the device, else the file of that name beside the running program.
#define DEVICE_SERVICES_VARIABLE L"ORVALEN_DEVICE_SERVICES"
#define DEVICE_SERVICES_PROGRAM L"OrvalenDeviceServices.exe"

#ifdef __cplusplus
}
#endif
