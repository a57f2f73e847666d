#pragma once
// The operating-system version the simulated handheld reports. A fresh device reports
// the host's; a test gives it another (an older handheld, say) to take the paths our
// code keeps for older versions. Every process of the device sees the same version.
#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

// GetVersionExW with the device's major and minor version; the rest as the host reports it.
BOOL Device_GetVersionEx(OSVERSIONINFOW* info);
// Makes the device report major.minor from now on; major 0 gives it the host's version back.
BOOL DeviceControl_SetOsVersion(DWORD major, DWORD minor);

#ifdef __cplusplus
}
#endif
