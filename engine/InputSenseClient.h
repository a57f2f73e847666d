#pragma once
// Client of the user-activity driver: it installs and loads the driver when needed,
// opens "ISL0:" once per process, registers the launcher with "-scrsvr" as a program
// client (the screen saver after its idle time) and, after a ring that woke the device,
// the engine window as a window client (message 1394), and closes the driver at exit.
// GUI thread only. Without the platform's user-activity timer every client operation
// fails and nothing is reported.
#include <windows.h>

// True when the platform's user-activity timer exists, so the driver can be used.
bool InputSense_SystemTimerPresent();
// Opens the driver once per process (installing and activating it when it is not
// active); the handle is closed by an at-exit handler.
bool InputSense_EnsureOpen();
// The launcher with "-scrsvr", started after idleSeconds without user activity (and,
// with runAtSystem, when the device comes back on).
bool InputSense_RegisterScreenSaver(const wchar_t* programPath, DWORD idleSeconds, bool runAtSystem);
bool InputSense_CancelScreenSaver();
// The window is told of user activity with message 1394, lParam 1 (and of idleness, lParam 0).
bool InputSense_WatchWindow(HWND window);
bool InputSense_UnwatchWindow(HWND window);
// When this handle is the driver's last user and no program client is left: closes the
// handle, deactivates the driver and deletes its registration. Otherwise only closes.
bool InputSense_CloseDriver();
