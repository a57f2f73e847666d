#pragma once
// Power-off and reboot of the simulated device. A reboot ends every program of the
// device (those that joined it with DeviceSession_Attach), the caller included, keeps
// its registry, files and notifications, and boots it again: on, no unattended
// requests, its services running. Power-off leaves the device off until a
// notification wakes it. Nothing here touches the host.
#include <windows.h>

// The hardware layer's reboot request.
#define IOCTL_HAL_REBOOT 0x0101003C

#ifdef __cplusplus
extern "C" {
#endif

// The kernel's control codes; only IOCTL_HAL_REBOOT is known (no buffers), anything
// else fails with ERROR_NOT_SUPPORTED. Returns only when the caller outlives the reboot.
BOOL KernelIoControl(DWORD code, LPVOID in, DWORD inSize, LPVOID out, DWORD outSize, LPDWORD bytesReturned);

// The shell's ExitWindowsEx (EWX_POWEROFF 8 or EWX_REBOOT 2, reserved 0); the stand-in
// aygshell.dll exports it by that name. Other flags fail with ERROR_INVALID_PARAMETER.
BOOL Device_ExitWindowsEx(UINT flags, DWORD reserved);
typedef BOOL (*ExitWindowsExFunction)(UINT flags, DWORD reserved);

// Takes the calling process into (or out of) the device's programs, which a reboot
// ends. DeviceSession_Attach takes every program in; a test leaves again, since it
// watches the device from outside and must outlive its reboots.
BOOL DeviceProcesses_Join(void);
void DeviceProcesses_Leave(void);
// How many programs of the device still run (the caller counted when it joined).
DWORD DeviceControl_GetProcessCount(void);
// How often the device booted again.
DWORD DeviceControl_GetBootCount(void);

#ifdef __cplusplus
}
#endif
