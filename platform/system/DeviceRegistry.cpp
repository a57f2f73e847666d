#include "DeviceRegistry.h"

REGSAM DeviceRegistry_Access(REGSAM desired) {
    return desired == 0 ? (KEY_READ | KEY_WRITE) : desired;
}

LSTATUS DeviceRegistry_OpenKey(HKEY parent, const wchar_t* subKey, DWORD options, REGSAM desired, HKEY* key) {
    return RegOpenKeyExW(parent, subKey, options, DeviceRegistry_Access(desired), key);
}

LSTATUS DeviceRegistry_CreateKey(HKEY parent, const wchar_t* subKey, DWORD options, REGSAM desired,
                                 HKEY* key, DWORD* disposition) {
    return RegCreateKeyExW(parent, subKey, 0, nullptr, options, DeviceRegistry_Access(desired), nullptr, key,
                           disposition);
}
