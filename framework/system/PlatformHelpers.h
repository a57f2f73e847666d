#pragma once
// Small helpers over the platform that several parts share.
#include <windows.h>

// The device's Windows folder, without a trailing backslash (out: MAX_PATH characters).
void Sys_GetWindowsFolder(wchar_t* out);
// GetVersionEx's major version, cached after the first nonzero read.
int Sys_GetOsMajorVersion();
// 0 unlocked, 1 locked, 2 the phone lock's second state; 0 when the lock key is missing.
int Sys_GetPhoneLockState();
