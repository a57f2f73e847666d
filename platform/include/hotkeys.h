#pragma once
// Hot keys of the simulated device: the handheld's hardware buttons reach the window
// that registered them as WM_HOTKEY (wParam the id, lParam the modifiers and the key in
// its high word). The registrations are device state shared by its processes, and a
// key press from DeviceInput delivers them; the host's keyboard is never grabbed, so
// RegisterHotKey and UnregisterHotKey of our code mean these.
#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

#ifndef MOD_WIN
#define MOD_WIN 0x0008
#endif
// The shell's broadcast (WM_SETTINGCHANGE wParam) that it takes its buttons back.
#define SPI_APPBUTTONCHANGE 228

// FALSE when the window already has that id, or another window holds the key with
// those modifiers (ERROR_HOTKEY_ALREADY_REGISTERED), or the device's state is unusable.
BOOL Device_RegisterHotKey(HWND window, int id, UINT modifiers, UINT key);
// FALSE when the window has no hot key of that id (ERROR_HOTKEY_NOT_REGISTERED).
BOOL Device_UnregisterHotKey(HWND window, int id);
// The shell lets go of a key it holds, so a program may register it. The layer's shell
// holds none: counted only (coredll's "UnregisterFunc1").
BOOL Device_UnregisterFunc1(UINT modifiers, UINT key);
// coredll's "AllKeys": whether every key reaches the program; the previous setting.
BOOL Device_AllKeys(BOOL all);
// The window and id that a key with those modifiers would reach; FALSE when none
// (registrations of windows that are gone do not count).
BOOL Device_FindHotKey(UINT modifiers, UINT key, HWND* window, int* id);
// How often UnregisterFunc1 was called on this device.
DWORD Device_GetShellKeyReleases(void);

#ifdef __cplusplus
}
#endif

#define RegisterHotKey Device_RegisterHotKey
#define UnregisterHotKey Device_UnregisterHotKey
