#pragma once
// Joins a process to its simulated device. Every program, DLL host and test main calls
// DeviceSession_Attach first, so all processes started for one device (and inheriting
// its environment) share the same device root and the same private registry.
#include <windows.h>

// Host folder that holds the device's file system (inherited by child processes).
#define DEVICE_ROOT_VARIABLE L"ORVALEN_DEVICE_ROOT"
// Key under the real HKEY_CURRENT_USER whose subkeys "HKCU" and "HKLM" stand in for
// HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE of the device. Unset: the real registry.
#define DEVICE_REGISTRY_VARIABLE L"ORVALEN_REGISTRY_ROOT"
// Desktop that holds the device's windows, so FindWindow sees only this device's
// windows when several devices run side by side. Unset: the process's own desktop.
#define DEVICE_DESKTOP_VARIABLE L"ORVALEN_DEVICE_DESKTOP"

#ifdef __cplusplus
extern "C" {
#endif

// Creates the device root if needed, redirects the registry and moves the calling
// thread to the device's desktop (call it before the thread creates any window).
// Safe to call twice.
BOOL DeviceSession_Attach(void);
// Gives the process its real predefined registry keys and the thread its desktop back.
void DeviceSession_Detach(void);

#ifdef __cplusplus
}
#endif
