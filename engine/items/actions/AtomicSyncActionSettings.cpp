#include "AtomicSyncActionSettings.h"

#include "ActionKey.h"
#include "RegKeyRefTyped.h"

bool AtomicSyncActionSettings::Save(RegKeyRef itemKey) const {
    RegKeyRef key = ActionKey_Open(itemKey, kSubKey);
    ActionKey_WriteInt(key, Server, kServerValue);
    RegKeyRef_SetBinary(key, &LastSync, sizeof LastSync, kLastSyncValue);
    return true;
}

bool AtomicSyncActionSettings::Load(RegKeyRef itemKey) {
    RegKeyRef key = ActionKey_Open(itemKey, kSubKey);
    ActionKey_ReadInt(key, Server, kServerValue, 0);
    FILETIME lastSync = {}, read = {};
    DWORD size = sizeof read;
    if (RegKeyRef_QueryValue(key, kLastSyncValue, nullptr, &read, &size) == ERROR_SUCCESS && size == sizeof read)
        lastSync = read;
    LastSync = lastSync;
    return true;
}
