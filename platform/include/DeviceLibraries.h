#pragma once
// Libraries that programs load by name at run time, as on the device: a bare name is
// found in the device's \Windows (nowhere else), so a library the device lacks is
// missing and the feature that needs it switches off. The layer's own stand-ins for
// the handheld's "coredll.dll" and "aygshell.dll" are real libraries that the test
// support and scripts/run.sh put there (standins/). The types of the functions the
// program binds from them come with the header of their area (soundfile.h, DeviceBoot.h).
#include <windows.h>

#define COREDLL_LIBRARY L"coredll.dll"
#define AYGSHELL_LIBRARY L"aygshell.dll"

#ifdef __cplusplus
extern "C" {
#endif

// Loads `library`: a bare name ("x.dll", no backslash) from the device's \Windows, a
// drive-less path ("\dir\x.dll") from under the device root, a host path as it is.
// Null when it is not there (ERROR_MOD_NOT_FOUND) or cannot be loaded.
HMODULE Device_LoadLibrary(const wchar_t* library);
// The device's by-name lookup: the export of that (wide) name, null when missing.
FARPROC GetProcAddressW(HMODULE module, const wchar_t* name);

#ifdef __cplusplus
}
#endif
