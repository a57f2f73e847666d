#include "AtomicSyncActionSettings.h"

#include "ActionKey.h"
#include "RegKeyRefTyped.h"

bool AtomicSyncActionSettings::Save(RegKeyRef itemKey) const {
    RegKeyRef key = ActionKey_Open(static_cast<RegKeyRef&&>(itemKey), kSubKey);
    RegKey_WriteDword(key, static_cast<DWORD>(Server), kServerValue);
    RegKeyRef_SetBinary(key, &LastSync, sizeof LastSync, kLastSyncValue);
    return true;
}

bool AtomicSyncActionSettings::Load(RegKeyRef itemKey) {
    RegKeyRef key = ActionKey_Open(static_cast<RegKeyRef&&>(itemKey), kSubKey);
    DWORD server = 0;
    RegKeyRef_QueryDword(key, &server, kServerValue, 0);
    Server = static_cast<int32_t>(server);
    FILETIME lastSync = {}, read = {};
    DWORD size = sizeof read;
    if (RegKeyRef_QueryValue(key, kLastSyncValue, nullptr, &read, &size) == ERROR_SUCCESS && size == sizeof read)
        lastSync = read;
    LastSync = lastSync;
    return true;
}
