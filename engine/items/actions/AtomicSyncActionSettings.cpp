#include "AtomicSyncActionSettings.h"

#include "ActionKey.h"
#include "DeviceClock.h"
#include "DeviceConnections.h"
#include "InternetConnection.h"
#include "ItemStore.h"
#include "RegKeyRefTyped.h"
#include "SntpClient.h"
#include "TimeServers.h"
#include "UnattendedScope.h"

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

bool AtomicSyncActionSettings::Execute() {
    // The device may be asleep: it stays up until the clock is set.
    UnattendedScope unattended;
    HANDLE connection = nullptr;
    if (FAILED(InternetConnection_Open(&connection))) return false;
    const bool synced = Sntp_SyncTime(TimeServer_Host(Server)) != 0;
    InternetConnection_EndSockets();
    ConnMgrReleaseConnection(connection, 0);
    if (!synced) return false;
    SYSTEMTIME local;
    DeviceClock_GetLocalTime(&local);
    SystemTimeToFileTime(&local, &LastSync);
    if (ItemStore* store = ItemStore::Current()) store->Save(false);
    return true;
}
