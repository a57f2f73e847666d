#pragma once
// Kernel calls that the device's drivers make.
#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

// Sets a thread's priority on the device's scale: 0 (highest) to 255 (lowest); the
// applications' range is 248 to 255 with 251 as normal. Values below 248 (drivers)
// run just above normal applications on this host.
BOOL CeSetThreadPriority(HANDLE hThread, int nPriority);

// A pointer that the driver may read `size` bytes at, for an address that the process
// calling into the driver passed (in a control code's record, for instance). In the
// device manager, during a call from another process, it points at a copy of the
// caller's bytes that lives until the call returns; otherwise the caller is this
// process and the address is returned once the bytes are readable. Null on failure:
// ERROR_INVALID_PARAMETER (null address), ERROR_NOACCESS (not readable),
// ERROR_NOT_ENOUGH_MEMORY.
LPVOID MapCallerPtr(LPVOID ptr, DWORD size);

#ifdef __cplusplus
}
#endif
