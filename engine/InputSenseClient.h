#pragma once
// Client of the user-activity driver.

// True when the platform's user-activity timer exists, so the driver can be used.
bool InputSense_SystemTimerPresent();

#include <windows.h>

// The engine window as a window client of the driver: told of user activity with
// message (lParam 1) and of idleSeconds of idleness (lParam 0). The driver does not
// exist yet: both do nothing and report failure.
bool InputSense_AddWindowClient(HWND window, UINT message, DWORD idleSeconds);
bool InputSense_RemoveWindowClient(HWND window);
