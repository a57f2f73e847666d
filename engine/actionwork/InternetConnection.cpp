#include "InternetConnection.h"

#include "DeviceConnections.h"

#include <winsock2.h>

namespace {
// Any public web site will do: only its destination network is asked for.
const wchar_t kWebAddress[] = L"http://www.example.com/";
constexpr DWORD kConnectTimeoutMs = 60000;
constexpr WORD kWinsockVersion = MAKEWORD(1, 1);
}  // namespace

HRESULT InternetConnection_Open(HANDLE* connection) {
    *connection = nullptr;
    WSADATA winsock;
    if (WSAStartup(kWinsockVersion, &winsock) != 0) return E_FAIL;
    GUID network = {};
    HRESULT mapped = ConnMgrMapURL(kWebAddress, &network, nullptr);
    if (FAILED(mapped)) {
        WSACleanup();
        return mapped;
    }
    CONNMGR_CONNECTIONINFO info = {};
    info.cbSize = sizeof info;
    info.dwParams = CONNMGR_PARAM_GUIDDESTNET;
    info.dwPriority = CONNMGR_PRIORITY_USERINTERACTIVE;
    info.guidDestNet = network;
    DWORD status = 0;
    const HRESULT opened = ConnMgrEstablishConnectionSync(&info, connection, kConnectTimeoutMs, &status);
    if (FAILED(opened)) WSACleanup();
    return opened;
}

void InternetConnection_EndSockets() { WSACleanup(); }
