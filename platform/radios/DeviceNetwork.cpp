#include "DeviceNetwork.h"

#include "DeviceRecord.h"

#include <cstdint>
#include <cstring>

// Winsock's own connect, for the addresses the device may reach.
#undef connect

namespace {
const wchar_t kRecordName[] = L"hostnames";
constexpr size_t kMaxNames = 16;
constexpr size_t kMaxName = 128;
const char kLocalHost[] = "localhost";
constexpr uint32_t kLoopbackNet = 0x7F000000, kLoopbackMask = 0xFF000000;

struct Entry {
    char name[kMaxName];  // empty: free
    uint32_t address;     // network byte order
};
struct Record {
    Entry entries[kMaxNames];
};
static_assert(sizeof(Record) == kMaxNames * (kMaxName + 4), "host name map is stored");

bool SameName(const char* a, const char* b) { return _stricmp(a, b) == 0; }

bool Lookup(const char* name, uint32_t* address) {
    if (SameName(name, kLocalHost)) {
        *address = htonl(INADDR_LOOPBACK);
        return true;
    }
    Record r = DeviceRecord_Load(kRecordName, Record{});
    for (Entry& e : r.entries) {
        e.name[kMaxName - 1] = 0;
        if (e.name[0] && SameName(e.name, name)) {
            *address = e.address;
            return true;
        }
    }
    return false;
}

// What gethostbyname hands out, one per thread as Winsock's own.
struct HostRecord {
    char name[kMaxName];
    uint32_t address;
    char* addresses[2];
    char* aliases[1];
    hostent host;
};
thread_local HostRecord t_host;
}  // namespace

struct hostent* WSAAPI Device_gethostbyname(const char* name) {
    uint32_t address = 0;
    if (!name || strlen(name) >= kMaxName || !Lookup(name, &address)) {
        WSASetLastError(WSAHOST_NOT_FOUND);
        return nullptr;
    }
    HostRecord& h = t_host;
    strcpy(h.name, name);
    h.address = address;
    h.addresses[0] = reinterpret_cast<char*>(&h.address);
    h.addresses[1] = nullptr;
    h.aliases[0] = nullptr;
    h.host.h_name = h.name;
    h.host.h_aliases = h.aliases;
    h.host.h_addrtype = AF_INET;
    h.host.h_length = sizeof h.address;
    h.host.h_addr_list = h.addresses;
    return &h.host;
}

int WSAAPI Device_connect(SOCKET s, const struct sockaddr* name, int length) {
    const auto* to = reinterpret_cast<const sockaddr_in*>(name);
    if (!name || length < static_cast<int>(sizeof(sockaddr_in)) || to->sin_family != AF_INET ||
        (ntohl(to->sin_addr.s_addr) & kLoopbackMask) != kLoopbackNet) {
        WSASetLastError(WSAENETUNREACH);
        return SOCKET_ERROR;
    }
    return connect(s, name, length);
}

BOOL DeviceControl_MapHostName(const char* name, const char* address) {
    if (!name || !*name || strlen(name) >= kMaxName) return FALSE;
    uint32_t mapped = 0;
    if (address) {
        mapped = inet_addr(address);
        if (mapped == INADDR_NONE) return FALSE;
    }
    return DeviceRecord_Update(kRecordName, Record{}, [&](Record& r) {
        Entry* free = nullptr;
        for (Entry& e : r.entries) {
            e.name[kMaxName - 1] = 0;
            if (e.name[0] && SameName(e.name, name)) {
                if (address)
                    e.address = mapped;
                else
                    e = Entry{};
                return true;
            }
            if (!e.name[0] && !free) free = &e;
        }
        if (!address) return true;
        if (!free) return false;
        strcpy(free->name, name);
        free->address = mapped;
        return true;
    });
}
