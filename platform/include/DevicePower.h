#pragma once
// Device power of the simulated device's power-manager devices: each named device
// (a backlight "BKL1:", the audio device "WAV1:", the WLAN adapters a test adds) has a
// power state D0 (full) to D4 (off) kept in the device state. The power manager lists
// the devices it manages as value names under PM_DEVICE_STATE_KEY of
// HKEY_LOCAL_MACHINE; "BKL1:" and "WAV1:" exist on every device. Nothing here
// reaches a host device.
#include <windows.h>

#include "pm.h"

#define PM_DEVICE_STATE_KEY L"System\\CurrentControlSet\\Control\\Power\\State"

#ifdef __cplusplus
extern "C" {
#endif

// `device` is a device name (flags must hold POWER_NAME; POWER_FORCE may be added).
// ERROR_SUCCESS; ERROR_FILE_NOT_FOUND for a device the power manager does not know;
// ERROR_INVALID_PARAMETER for other flags or a state outside D0..D4 (SetDevicePower
// also takes PwrDeviceUnspecified: the device goes back to the power manager, at D0).
DWORD SetDevicePower(PVOID device, DWORD flags, CEDEVICE_POWER_STATE state);
DWORD GetDevicePower(PVOID device, DWORD flags, CEDEVICE_POWER_STATE* state);
// A driver's request for a power state; counted, the state itself is left to SetDevicePower.
DWORD DevicePowerNotify(PVOID device, CEDEVICE_POWER_STATE state, DWORD flags);

// For tests: adds a device at D0 and lists it under PM_DEVICE_STATE_KEY (FALSE when
// there is no room); its power state (PwrDeviceMaximum for an unknown device), how often
// SetDevicePower changed it and how many DevicePowerNotify requests it had.
BOOL DeviceControl_AddPowerDevice(const wchar_t* name);
LONG DeviceControl_GetDevicePower(const wchar_t* name);
DWORD DeviceControl_GetDevicePowerSets(const wchar_t* name);
DWORD DeviceControl_GetDevicePowerNotifies(const wchar_t* name);

#ifdef __cplusplus
}
#endif
