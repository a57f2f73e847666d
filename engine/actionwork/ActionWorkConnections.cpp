// The actions that open, use or close data connections: the internet connection, the
// time-server synchronisation and closing every connection.
#include "ActionWork.h"

#include "AtomicSyncActionSettings.h"
#include "DeviceClock.h"
#include "DeviceConnections.h"
#include "InternetConnection.h"
#include "ItemStore.h"
#include "SntpClient.h"
#include "TimeServers.h"
#include "UnattendedScope.h"

#include <vector>

namespace {
constexpr DWORD kMaxConnections = 20;
constexpr ULONG kInterfaceBufferBytes = 264;

void HangUpConnections() {
    RASCONN connections[kMaxConnections] = {};
    connections[0].dwSize = sizeof(RASCONN);
    DWORD bytes = sizeof connections, count = 0;
    if (RasEnumConnections(connections, &bytes, &count) != 0) return;
    for (DWORD i = 0; i < count && i < kMaxConnections; ++i)
        if (RasHangUp(connections[i].hrasconn) != 0) return;
}

void ReleaseAddresses() {
    ULONG bytes = kInterfaceBufferBytes;
    std::vector<BYTE> buffer(bytes);
    DWORD result = GetInterfaceInfo(reinterpret_cast<PIP_INTERFACE_INFO>(buffer.data()), &bytes);
    if (result == ERROR_INSUFFICIENT_BUFFER) {
        buffer.resize(bytes);
        result = GetInterfaceInfo(reinterpret_cast<PIP_INTERFACE_INFO>(buffer.data()), &bytes);
    }
    if (result != NO_ERROR) return;
    auto* info = reinterpret_cast<PIP_INTERFACE_INFO>(buffer.data());
    // Never past what the answer filled in.
    const size_t fits = (buffer.size() - offsetof(IP_INTERFACE_INFO, Adapter)) / sizeof(IP_ADAPTER_INDEX_MAP);
    for (LONG i = 0; i < info->NumAdapters && static_cast<size_t>(i) < fits; ++i) IpReleaseAddress(&info->Adapter[i]);
}
}  // namespace

bool ActionWork::Run(CloseGprsAction&) {
    HangUpConnections();
    ReleaseAddresses();
    // Always false, as the connections' results are not the ring's concern.
    return false;
}

bool ActionWork::Run(InternetConnectAction&) {
    UnattendedScope unattended;
    // The connection stays open with the connection manager.
    HANDLE connection = nullptr;
    if (FAILED(InternetConnection_Open(&connection))) return false;
    InternetConnection_EndSockets();
    return true;
}

bool ActionWork::Run(AtomicSyncActionSettings& action) {
    // The device may be asleep: it stays up until the clock is set.
    UnattendedScope unattended;
    HANDLE connection = nullptr;
    if (FAILED(InternetConnection_Open(&connection))) return false;
    const bool synced = Sntp_SyncTime(TimeServer_Host(action.Server)) != 0;
    InternetConnection_EndSockets();
    ConnMgrReleaseConnection(connection, 0);
    if (!synced) return false;
    SYSTEMTIME local;
    DeviceClock_GetLocalTime(&local);
    SystemTimeToFileTime(&local, &action.LastSync);
    if (ItemStore* store = ItemStore::Current()) store->Save(false);
    return true;
}
