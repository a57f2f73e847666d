#pragma once
// Data connections of the simulated device: the connection manager that opens them,
// the remote-access list that shows and hangs them up, and the IP helper's adapter
// list. All of it lives in the device state, so tests can list what a program opened
// or closed; nothing reaches the host's network.
// The records keep the handheld's sizes. Do not include the desktop's ras.h or
// iphlpapi.h beside this header: their records of the same names differ.
#include <windows.h>
#include <cstdint>

// Connection manager.
#define CONNMGR_PARAM_GUIDDESTNET 0x1
#define CONNMGR_PRIORITY_USERINTERACTIVE 0x8000
#define CONNMGR_STATUS_UNKNOWN 0x00
#define CONNMGR_STATUS_CONNECTED 0x10
#define CONNMGR_STATUS_NOPATHTODESTINATION 0x20

// What to connect to. Window and message of the asynchronous form are kept as 32-bit
// values (window handles fit in them), so the record keeps its size.
typedef struct ConnMgrConnectionInfo {
    DWORD cbSize;      // 64
    DWORD dwParams;    // CONNMGR_PARAM_*
    DWORD dwFlags;
    DWORD dwPriority;  // CONNMGR_PRIORITY_*
    BOOL bExclusive;
    BOOL bDisabled;
    GUID guidDestNet;
    uint32_t hWnd;
    UINT uMsg;
    uint32_t lParam;
    ULONG ulMaxCost;
    ULONG ulMinRcvBw;
    ULONG ulMaxConnLatency;
} CONNMGR_CONNECTIONINFO;
static_assert(sizeof(CONNMGR_CONNECTIONINFO) == 64, "connection request record");

// Remote access: connection handles are small numbers, kept in 32 bits as on the device.
#define RAS_MaxEntryName 20
typedef uint32_t HRASCONN;
typedef struct RasConn {
    DWORD dwSize;  // 52
    HRASCONN hrasconn;
    wchar_t szEntryName[RAS_MaxEntryName + 1];
} RASCONN;
static_assert(sizeof(RASCONN) == 52, "remote-access connection record");
// Remote access's own error codes.
#define ERROR_BUFFER_TOO_SMALL 603
#define ERROR_INVALID_SIZE 632

// IP helper.
#define MAX_ADAPTER_NAME 128
typedef struct IpAdapterIndexMap {
    ULONG Index;
    wchar_t Name[MAX_ADAPTER_NAME];
} IP_ADAPTER_INDEX_MAP, *PIP_ADAPTER_INDEX_MAP;
typedef struct IpInterfaceInfo {
    LONG NumAdapters;
    IP_ADAPTER_INDEX_MAP Adapter[1];
} IP_INTERFACE_INFO, *PIP_INTERFACE_INFO;
static_assert(sizeof(IP_ADAPTER_INDEX_MAP) == 260 && sizeof(IP_INTERFACE_INFO) == 264, "adapter records");

#ifdef __cplusplus
extern "C" {
#endif

// The destination network of a web address: every http:// or https:// address lies
// on the device's one Internet network. E_INVALIDARG for anything else.
HRESULT ConnMgrMapURL(LPCWSTR url, GUID* network, DWORD* index);
// Opens a data connection to the record's network and waits for it: S_OK with the
// connection and CONNMGR_STATUS_CONNECTED, or E_FAIL (no path) while the device has no
// network (DeviceControl_SetNetworkAvailable). E_INVALIDARG for a bad record.
HRESULT ConnMgrEstablishConnectionSync(const CONNMGR_CONNECTIONINFO* info, HANDLE* connection, DWORD timeoutMs,
                                       DWORD* status);
// Gives a connection back; it closes. E_INVALIDARG for an unknown one.
HRESULT ConnMgrReleaseConnection(HANDLE connection, LONG cache);

// The open connections, oldest first. The first record's dwSize must be 52
// (ERROR_INVALID_SIZE otherwise); too small a buffer gives ERROR_BUFFER_TOO_SMALL and
// the size needed. 0 on success.
DWORD Device_RasEnumConnections(RASCONN* connections, LPDWORD bytes, LPDWORD count);
// Closes the connection; ERROR_INVALID_HANDLE when it is not open.
DWORD Device_RasHangUp(HRASCONN connection);
// The device's network adapters; ERROR_INSUFFICIENT_BUFFER with the size needed when
// they do not fit. NO_ERROR on success.
DWORD Device_GetInterfaceInfo(PIP_INTERFACE_INFO info, PULONG bytes);
// Gives the adapter's address back (counted); ERROR_INVALID_PARAMETER for an unknown one.
DWORD Device_IpReleaseAddress(PIP_ADAPTER_INDEX_MAP adapter);
// The desktop's functions of these names would act on the host's network.
#define RasEnumConnections Device_RasEnumConnections
#define RasHangUp Device_RasHangUp
#define GetInterfaceInfo Device_GetInterfaceInfo
#define IpReleaseAddress Device_IpReleaseAddress

// For tests: whether the device can reach a network (it can, at first); how many
// connections are open, were established and were hung up; adding an adapter (FALSE
// when its index exists or there is no room) and how often its address was released.
void DeviceControl_SetNetworkAvailable(BOOL available);
DWORD DeviceControl_GetOpenConnections(void);
DWORD DeviceControl_GetEstablishedConnections(void);
DWORD DeviceControl_GetHungUpConnections(void);
BOOL DeviceControl_AddNetworkAdapter(ULONG index, const wchar_t* name);
DWORD DeviceControl_GetAddressReleases(ULONG index);

#ifdef __cplusplus
}
#endif
