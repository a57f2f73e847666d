#pragma once
// The simulated device's Bluetooth radio and the WLAN radio switch of its maker's
// utility library, kept in the device state. Programs reach them through the
// libraries the device has in \Windows: "bthutil.dll" (BthSetMode, BthGetMode) and
// "iPAQUtil.dll" (iPAQSetWLANRadio, iPAQGetWLANRadioStatus); the layer's stand-ins
// for both export these functions by those names (standins/). A test removes a
// library to make a device without it.
#include <windows.h>

#define BTHUTIL_LIBRARY L"bthutil.dll"
#define IPAQUTIL_LIBRARY L"iPAQUtil.dll"

// Bluetooth modes.
#define BTH_POWER_OFF 0
#define BTH_CONNECTABLE 1
#define BTH_DISCOVERABLE 2

// The functions as the program binds them by name.
typedef int (*BthSetModeFunction)(DWORD mode);
typedef int (*BthGetModeFunction)(DWORD* mode);
// Each takes a pointer to a 32-bit value: the radio to set (1 on, 0 off) or its state.
typedef BOOL (*WlanRadioFunction)(DWORD* radio);

#ifdef __cplusplus
extern "C" {
#endif

// ERROR_SUCCESS, or ERROR_INVALID_PARAMETER for an unknown mode.
int Device_BthSetMode(DWORD mode);
int Device_BthGetMode(DWORD* mode);
BOOL Device_iPAQSetWLANRadio(DWORD* radio);
BOOL Device_iPAQGetWLANRadioStatus(DWORD* radio);

// For tests: the Bluetooth mode and how often BthSetMode set it; the WLAN radio of the
// utility (0 off, 1 on; off at first), how often it was switched and asked.
DWORD DeviceControl_GetBluetoothMode(void);
DWORD DeviceControl_GetBluetoothModeSets(void);
DWORD DeviceControl_GetWlanRadio(void);
DWORD DeviceControl_GetWlanRadioSets(void);
DWORD DeviceControl_GetWlanRadioQueries(void);

#ifdef __cplusplus
}
#endif
