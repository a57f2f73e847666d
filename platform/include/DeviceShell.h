#pragma once
// The device shell's "open" of a document or link (ShellExecuteEx). The simulated device
// has no browser or mail program: it notes what it was asked to open, for tests to read,
// and starts nothing on the host.
#include <windows.h>
#include <shellapi.h>

#ifdef __cplusplus
extern "C" {
#endif

// FALSE (ERROR_INVALID_PARAMETER) without a file to open.
BOOL Device_ShellExecuteEx(SHELLEXECUTEINFOW* info);
// How often the shell was asked to open something, and the last file it was given.
BOOL Device_GetLastShellOpen(DWORD* count, wchar_t* file, DWORD cch);

#ifdef __cplusplus
}
#endif
