#include "CloseGprsAction.h"

#include "DeviceConnections.h"

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

bool CloseGprsAction::Execute() {
    HangUpConnections();
    ReleaseAddresses();
    return false;
}
