#pragma once
// Registry opens as the device's programs expect them: the device ignores the access
// mask, while desktop Windows refuses every read and write on a key opened with 0.
#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

// Access 0 becomes read and write; any other mask is kept.
REGSAM DeviceRegistry_Access(REGSAM desired);
LSTATUS DeviceRegistry_OpenKey(HKEY parent, const wchar_t* subKey, DWORD options, REGSAM desired, HKEY* key);
LSTATUS DeviceRegistry_CreateKey(HKEY parent, const wchar_t* subKey, DWORD options, REGSAM desired,
                                 HKEY* key, DWORD* disposition);

#ifdef __cplusplus
}
#endif
