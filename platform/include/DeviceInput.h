#pragma once
// Simulated user input for tests: a tap on the device's screen or a key press. The
// window under the tap (or the foreground window, for a key) gets the input messages,
// and the power manager sees user activity: the device's
// "PowerManager/UserActivity_Active" event is set and stays set until its activity
// timer has run out without further input (HKEY_LOCAL_MACHINE
// "System\CurrentControlSet\Control\Power\ActivityTimers\UserActivity", "Timeout" in
// seconds, default 5). The event exists while the device's services run.
#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

// (x, y) in screen coordinates. FALSE when the activity could not be recorded.
BOOL DeviceInput_Tap(int x, int y);
// A touch held long enough for tap-and-hold: a tap whose window recognises the gesture
// (SHRecognizeGesture, aygshell.h) while handling it.
BOOL DeviceInput_TapAndHold(int x, int y);
BOOL DeviceInput_Key(UINT virtualKey);
// A hardware key held with modifiers (MOD_WIN ...): a hot key registered for it
// (hotkeys.h) gets WM_HOTKEY instead of the foreground window's key messages.
BOOL DeviceInput_KeyWithModifiers(UINT virtualKey, UINT modifiers);
// User inputs since the device's state was made.
DWORD DeviceInput_GetCount(void);

#ifdef __cplusplus
}
#endif
