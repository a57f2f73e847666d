#include "DeviceObjects.h"
#include <wchar.h>
#include "DeviceStateStore.h"

BOOL Device_GetObjectName(const wchar_t* name, wchar_t* out, DWORD cch) {
    if (!name || !*name || wcschr(name, L'\\') || !out) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    auto store = DeviceStateStore::Current();
    if (!store->Ready()) return FALSE;
    const std::wstring full = store->ObjectName(name);
    if (full.size() + 1 > cch) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    wmemcpy(out, full.c_str(), full.size() + 1);
    return TRUE;
}
