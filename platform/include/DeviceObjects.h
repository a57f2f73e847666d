#pragma once
// Names of kernel objects (mutexes, events, sections) that belong to one simulated
// device. Several devices can run side by side on one host (parallel tests), and a
// named object of one must not be found by the programs of another.
#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

// "Name" -> "Local\Orvalen.Device.<id of the device root>.Name". The name may not
// contain a backslash. FALSE when it does, or when `out` is too small.
BOOL Device_GetObjectName(const wchar_t* name, wchar_t* out, DWORD cch);

#ifdef __cplusplus
}
#endif
