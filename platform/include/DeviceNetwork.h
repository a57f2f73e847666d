#pragma once
// The simulated device's view of the network through Winsock (Wine's, real): host
// names resolve through the device's own name map only, and connections reach only
// loopback addresses (127.0.0.0/8), so nothing our code sends leaves the host. Tests
// map the names a program uses to a loopback address of their own. Include after
// winsock2.h; the other Winsock functions are the real ones.
#include <winsock2.h>

#ifdef __cplusplus
extern "C" {
#endif

// The mapped address of `name` (ASCII, any case; "localhost" is 127.0.0.1), in a
// record of the calling thread that the next call replaces; null with
// WSAHOST_NOT_FOUND for a name the device does not know.
struct hostent* WSAAPI Device_gethostbyname(const char* name);
// Winsock's connect for loopback addresses; anything else fails with WSAENETUNREACH.
int WSAAPI Device_connect(SOCKET s, const struct sockaddr* name, int length);
#define gethostbyname Device_gethostbyname
#define connect Device_connect

// For tests: maps `name` to an IPv4 address in dotted form (null removes the name).
// FALSE when the map is full (16 names) or either text is not usable.
BOOL DeviceControl_MapHostName(const char* name, const char* address);

#ifdef __cplusplus
}
#endif
