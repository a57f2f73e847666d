#pragma once
// WLAN on or off: through the device maker's utility library when the device has it,
// otherwise by the device power of every WLAN adapter the power manager lists.
#include <windows.h>

// Through "iPAQUtil.dll": 1 when the library and both its functions were there.
int Wlan_SetRadioByUtil(int on);
// Every listed adapter whose name carries a WLAN marker to D0 (on) or D4 (off); 0.
int Wlan_SetDevicePower(int on);
// 1 when the power manager lists an adapter with a WLAN marker, else 0.
int Wlan_FindAdapter();
// The WLAN actions' switch: the utility, else device power.
void Wlan_Switch(bool on);
