#pragma once
// Program start as on the device: the command line a program receives holds only its
// arguments, and a bare program name is found in the device's \Windows folder.
#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

// Host path of `program`: a bare name ("x.exe", no backslash) lies in the device's
// \Windows (".exe" is added when the name has no extension), a drive-less path
// ("\dir\x.exe") lies under the device root, a host path is kept.
BOOL Device_ResolveProgram(const wchar_t* program, wchar_t* out, DWORD cch);
// Starts `program` so that its command text is exactly `args` (NULL: empty).
// `pi` may be NULL; otherwise the caller closes both handles.
BOOL Device_CreateProcess(const wchar_t* program, const wchar_t* args, PROCESS_INFORMATION* pi);
// This process's command text as its starter passed it: what follows the program
// token and the one blank after it. Unlike wWinMain's lpCmdLine, leading blanks of
// the arguments are kept.
const wchar_t* Device_GetCommandText(void);

#ifdef __cplusplus
}
#endif
