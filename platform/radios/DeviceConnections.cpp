#include "DeviceConnections.h"
#include "DeviceStateStore.h"
#include <cwchar>

namespace {
const wchar_t kRecordName[] = L"connections";
// The device's one Internet network.
const GUID kInternetNetwork = {0x436EF144, 0xB4FB, 0x4863, {0xA0, 0x41, 0x8F, 0x90, 0x5A, 0x62, 0xC5, 0x72}};
const wchar_t kEntryName[] = L"Internet";
const uint32_t kMaxConnections = 20;
const uint32_t kMaxAdapters = 8;

struct Connection {
    uint32_t handle;  // 0: free slot
    wchar_t entryName[RAS_MaxEntryName + 1];
};
struct Adapter {
    uint32_t index;
    uint32_t used;
    uint32_t releases;
    wchar_t name[MAX_ADAPTER_NAME];
};
struct Record {
    uint32_t unavailable;  // 0 while the device reaches a network
    uint32_t nextHandle;
    uint32_t established;
    uint32_t hungUp;
    Connection connections[kMaxConnections];  // oldest first
    Adapter adapters[kMaxAdapters];
};
static_assert(sizeof(Connection) == 48 && sizeof(Adapter) == 268 && sizeof(Record) == 16 + 20 * 48 + 8 * 268,
              "connections record is stored");

Record Load() {
    Record r;
    if (!DeviceStateStore::Current()->Read(kRecordName, &r, sizeof r)) r = Record{};
    return r;
}

// change returns the result code of the call; the record is written only on success.
template <typename Change>
DWORD Update(DWORD success, Change change) {
    DWORD result = ERROR_WRITE_FAULT;
    DeviceStateStore::Current()->Update(kRecordName, Record{}, [&](Record& r) {
        result = change(r);
        return result == success;
    });
    return result;
}

uint32_t OpenCount(const Record& r) {
    uint32_t n = 0;
    for (const Connection& c : r.connections)
        if (c.handle) ++n;
    return n;
}

// Removes the open connection; the others keep their order.
bool Close(Record& r, uint32_t handle) {
    for (uint32_t i = 0; i < kMaxConnections; ++i) {
        if (!handle || r.connections[i].handle != handle) continue;
        for (uint32_t j = i; j + 1 < kMaxConnections; ++j) r.connections[j] = r.connections[j + 1];
        r.connections[kMaxConnections - 1] = Connection{};
        return true;
    }
    return false;
}

bool IsWebAddress(LPCWSTR url) { return _wcsnicmp(url, L"http://", 7) == 0 || _wcsnicmp(url, L"https://", 8) == 0; }
}  // namespace

HRESULT ConnMgrMapURL(LPCWSTR url, GUID* network, DWORD* index) {
    if (!url || !network || !IsWebAddress(url)) return E_INVALIDARG;
    *network = kInternetNetwork;
    if (index) *index = 0;
    return S_OK;
}

HRESULT ConnMgrEstablishConnectionSync(const CONNMGR_CONNECTIONINFO* info, HANDLE* connection, DWORD,
                                       DWORD* status) {
    if (status) *status = CONNMGR_STATUS_UNKNOWN;
    if (!info || !connection || info->cbSize != sizeof *info || !(info->dwParams & CONNMGR_PARAM_GUIDDESTNET))
        return E_INVALIDARG;
    *connection = nullptr;
    uint32_t handle = 0;
    DWORD result = Update(S_OK, [&](Record& r) -> DWORD {
        if (r.unavailable || !IsEqualGUID(info->guidDestNet, kInternetNetwork) || OpenCount(r) == kMaxConnections)
            return static_cast<DWORD>(E_FAIL);
        Connection& c = r.connections[OpenCount(r)];
        handle = ++r.nextHandle ? r.nextHandle : ++r.nextHandle;
        c.handle = handle;
        wcscpy(c.entryName, kEntryName);
        ++r.established;
        return S_OK;
    });
    if (result != S_OK) {
        if (status) *status = CONNMGR_STATUS_NOPATHTODESTINATION;
        return E_FAIL;
    }
    *connection = reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(handle));
    if (status) *status = CONNMGR_STATUS_CONNECTED;
    return S_OK;
}

HRESULT ConnMgrReleaseConnection(HANDLE connection, LONG) {
    uint32_t handle = static_cast<uint32_t>(reinterpret_cast<UINT_PTR>(connection));
    bool known = false;
    DWORD result = Update(S_OK, [&](Record& r) -> DWORD {
        known = Close(r, handle);
        return known ? S_OK : static_cast<DWORD>(E_INVALIDARG);
    });
    if (result == S_OK) return S_OK;
    return known ? E_FAIL : E_INVALIDARG;
}

DWORD Device_RasEnumConnections(RASCONN* connections, LPDWORD bytes, LPDWORD count) {
    if (!bytes || !count) return ERROR_INVALID_PARAMETER;
    if (connections && connections->dwSize != sizeof(RASCONN)) return ERROR_INVALID_SIZE;
    Record r = Load();
    uint32_t open = OpenCount(r);
    DWORD needed = open * sizeof(RASCONN);
    if (!connections || *bytes < needed) {
        *bytes = needed;
        *count = 0;
        return ERROR_BUFFER_TOO_SMALL;
    }
    for (uint32_t i = 0; i < open; ++i) {
        connections[i].dwSize = sizeof(RASCONN);
        connections[i].hrasconn = r.connections[i].handle;
        wcsncpy(connections[i].szEntryName, r.connections[i].entryName, RAS_MaxEntryName);
        connections[i].szEntryName[RAS_MaxEntryName] = 0;
    }
    *bytes = needed;
    *count = open;
    return 0;
}

DWORD Device_RasHangUp(HRASCONN connection) {
    return Update(0, [&](Record& r) -> DWORD {
        if (!Close(r, connection)) return ERROR_INVALID_HANDLE;
        ++r.hungUp;
        return 0;
    });
}

DWORD Device_GetInterfaceInfo(PIP_INTERFACE_INFO info, PULONG bytes) {
    if (!bytes) return ERROR_INVALID_PARAMETER;
    Record r = Load();
    ULONG used = 0;
    for (const Adapter& a : r.adapters)
        if (a.used) ++used;
    ULONG needed = offsetof(IP_INTERFACE_INFO, Adapter) + (used ? used : 1) * sizeof(IP_ADAPTER_INDEX_MAP);
    if (!info || *bytes < needed) {
        *bytes = needed;
        return ERROR_INSUFFICIENT_BUFFER;
    }
    info->NumAdapters = static_cast<LONG>(used);
    ULONG n = 0;
    for (const Adapter& a : r.adapters) {
        if (!a.used) continue;
        info->Adapter[n].Index = a.index;
        wmemcpy(info->Adapter[n].Name, a.name, MAX_ADAPTER_NAME);
        info->Adapter[n].Name[MAX_ADAPTER_NAME - 1] = 0;
        ++n;
    }
    return NO_ERROR;
}

DWORD Device_IpReleaseAddress(PIP_ADAPTER_INDEX_MAP adapter) {
    if (!adapter) return ERROR_INVALID_PARAMETER;
    return Update(NO_ERROR, [&](Record& r) -> DWORD {
        for (Adapter& a : r.adapters) {
            if (a.used && a.index == adapter->Index) {
                ++a.releases;
                return NO_ERROR;
            }
        }
        return ERROR_INVALID_PARAMETER;
    });
}

void DeviceControl_SetNetworkAvailable(BOOL available) {
    Update(0, [&](Record& r) -> DWORD {
        r.unavailable = available ? 0 : 1;
        return 0;
    });
}

DWORD DeviceControl_GetOpenConnections(void) { return OpenCount(Load()); }
DWORD DeviceControl_GetEstablishedConnections(void) { return Load().established; }
DWORD DeviceControl_GetHungUpConnections(void) { return Load().hungUp; }

BOOL DeviceControl_AddNetworkAdapter(ULONG index, const wchar_t* name) {
    if (!name) return FALSE;
    return Update(0, [&](Record& r) -> DWORD {
        Adapter* free = nullptr;
        for (Adapter& a : r.adapters) {
            if (a.used && a.index == index) return ERROR_ALREADY_EXISTS;
            if (!a.used && !free) free = &a;
        }
        if (!free) return ERROR_NOT_ENOUGH_MEMORY;
        *free = Adapter{};
        free->index = index;
        free->used = 1;
        wcsncpy(free->name, name, MAX_ADAPTER_NAME - 1);
        return 0;
    }) == 0;
}

DWORD DeviceControl_GetAddressReleases(ULONG index) {
    for (const Adapter& a : Load().adapters)
        if (a.used && a.index == index) return a.releases;
    return 0;
}
