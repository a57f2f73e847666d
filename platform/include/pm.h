#pragma once
// Power manager of the simulated device (Windows CE power management API).
#include <windows.h>

#define PPN_UNATTENDEDMODE 3

#ifdef __cplusplus
extern "C" {
#endif

// Reference-counted unattended-mode request: while one is held the device keeps
// running with the screen off instead of suspending.
BOOL PowerPolicyNotify(DWORD message, DWORD data);

#ifdef __cplusplus
}
#endif
