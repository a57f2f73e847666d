#pragma once
// The device's file system. Windows CE paths have no drive letter ("\Windows\...");
// the device root maps them into a sandbox folder so nothing lands in Wine's own
// Windows folder or the host's menus.
#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

// Host path of the device root (no trailing backslash).
BOOL Device_GetRoot(wchar_t* out, DWORD cch);
// Sets the device root of this process and of the programs it starts (null or empty: the
// default beside the program). Every change of the root goes through here, so that what
// is kept per root (the device's state store) follows it.
BOOL Device_SetRoot(const wchar_t* root);
// How many times this process has changed its device root.
LONG Device_RootChanges(void);
// "\Windows\x.exe" -> "<root>\Windows\x.exe"; a path with a drive or UNC prefix is copied unchanged.
// "." and ".." parts are resolved on the device: nothing maps above the root.
BOOL Device_MapPath(const wchar_t* cePath, wchar_t* out, DWORD cch);
// The reverse, for showing a path to the user: "<root>\Windows\x.exe" -> "\Windows\x.exe";
// a path outside the device root is copied unchanged.
BOOL Device_UnmapPath(const wchar_t* hostPath, wchar_t* out, DWORD cch);
// Special folders (CSIDL_WINDOWS, CSIDL_PROGRAMS, CSIDL_STARTMENU, CSIDL_PERSONAL, ...) inside the device root.
BOOL Device_GetSpecialFolderPath(int csidl, wchar_t* out, DWORD cch, BOOL create);
// Free space of the volume that holds a device path: the host's, unless a test fixed the
// number (DeviceControl_SetDiskFreeBytes); FALSE when the folder does not exist.
BOOL Device_GetDiskFreeSpaceExW(const wchar_t* path, ULARGE_INTEGER* freeToCaller, ULARGE_INTEGER* total,
                                ULARGE_INTEGER* totalFree);

#ifdef __cplusplus
}
#endif
