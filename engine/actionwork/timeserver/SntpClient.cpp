#include "DeviceNetwork.h"  // winsock2.h before windows.h

#include "SntpClient.h"

#include "DeviceClock.h"
#include "WideText.h"

#include <cstdlib>
#include <cstring>

namespace {
constexpr uint8_t kClientRequest = 0x1B;  // leap 0, version 3, mode 3 (client)
constexpr int kModeServer = 4, kModeBroadcast = 5;
constexpr int kLeapUnsynchronised = 3;
constexpr int kHighestStratum = 15;
constexpr int kOriginateOffset = 24, kReceiveOffset = 32, kTransmitOffset = 40;

uint32_t ReadWord(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

void WriteWord(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v >> 24);
    p[1] = uint8_t(v >> 16);
    p[2] = uint8_t(v >> 8);
    p[3] = uint8_t(v);
}

NtpTime ReadTimestamp(const uint8_t* p) { return NtpTime{ReadWord(p + 4), ReadWord(p)}; }

// One UDP socket for one attempt, closed on every way out of it.
class SntpSocket {
public:
    SntpSocket() : socket_(::socket(AF_INET, SOCK_DGRAM, 0)) {}
    ~SntpSocket() {
        if (socket_ != INVALID_SOCKET) closesocket(socket_);
    }
    SntpSocket(const SntpSocket&) = delete;
    SntpSocket& operator=(const SntpSocket&) = delete;
    SOCKET Get() const { return socket_; }

private:
    SOCKET socket_;
};

// The IPv4 address of host: dotted as it is, a name through the resolver.
bool ResolveHost(const wchar_t* host, in_addr* address) {
    char* name = Text_WideToMultiByte(host);
    if (!name) return false;
    address->s_addr = inet_addr(name);
    bool found = address->s_addr != INADDR_NONE;
    if (!found) {
        const hostent* entry = gethostbyname(name);
        if (entry && entry->h_addrtype == AF_INET && entry->h_addr_list && entry->h_addr_list[0]) {
            memcpy(&address->s_addr, entry->h_addr_list[0], sizeof address->s_addr);
            found = true;
        }
    }
    free(name);
    return found;
}

// The exchange itself; false leaves the reason as the socket's last error.
bool Exchange(SOCKET s, const wchar_t* host, SntpResult& result) {
    in_addr address = {};
    if (!ResolveHost(host, &address)) return false;
    sockaddr_in server = {};
    server.sin_family = AF_INET;
    server.sin_port = htons(kSntpPort);
    server.sin_addr = address;
    if (connect(s, reinterpret_cast<const sockaddr*>(&server), sizeof server) == SOCKET_ERROR) return false;

    uint8_t request[kSntpPacketBytes];
    const NtpTime sent = Ntp_Now();
    Sntp_BuildRequest(sent, request);
    if (send(s, reinterpret_cast<const char*>(request), sizeof request, 0) != int(sizeof request)) return false;

    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(s, &readable);
    timeval wait = {kSntpReplyWaitSeconds, 0};
    if (select(0, &readable, nullptr, nullptr, &wait) <= 0) {
        WSASetLastError(WSAETIMEDOUT);
        return false;
    }
    const NtpTime destination = Ntp_Now();
    uint8_t reply[kSntpReplyBufferBytes] = {};
    const int received = recv(s, reinterpret_cast<char*>(reply), sizeof reply, 0);
    if (received <= 0) return false;
    if (!Sntp_ReadReply(reply, received, sent, destination, result)) {
        WSASetLastError(ERROR_INVALID_DATA);
        return false;
    }
    return true;
}
}  // namespace

void Sntp_BuildRequest(NtpTime sent, uint8_t (&packet)[kSntpPacketBytes]) {
    memset(packet, 0, sizeof packet);
    packet[0] = kClientRequest;
    WriteWord(packet + kTransmitOffset, sent.seconds);
    WriteWord(packet + kTransmitOffset + 4, sent.fraction);
}

bool Sntp_ReadReply(const uint8_t* reply, int bytes, NtpTime sent, NtpTime destination, SntpResult& result) {
    if (!reply || bytes < kSntpPacketBytes) return false;
    const int leap = reply[0] >> 6, mode = reply[0] & 7, stratum = reply[1];
    const NtpTime originate = ReadTimestamp(reply + kOriginateOffset);
    const NtpTime transmit = ReadTimestamp(reply + kTransmitOffset);
    // An unsynchronised server, a kiss-o'-death (stratum 0) or a stray packet would set
    // the clock to nonsense.
    if ((mode != kModeServer && mode != kModeBroadcast) || leap == kLeapUnsynchronised || stratum < 1 ||
        stratum > kHighestStratum || transmit == NtpTime{} || originate != sent)
        return false;
    result.leapIndicator = uint8_t(leap);
    result.stratum = uint8_t(stratum);
    result.originate = originate;
    result.receive = ReadTimestamp(reply + kReceiveOffset);
    result.transmit = transmit;
    result.destination = destination;
    // The server's hold time (T3 - T2) does not count as travel.
    result.roundTripDelay =
        Ntp_Diff(result.destination, result.originate) - Ntp_Diff(result.transmit, result.receive);
    result.clockOffset = (Ntp_Diff(result.receive, result.originate) + Ntp_Diff(result.transmit, result.destination)) * 0.5;
    return true;
}

int Sntp_Query(const wchar_t* host, SntpResult& result) {
    int error = 0;
    {
        SntpSocket socket;
        if (socket.Get() == INVALID_SOCKET) return 0;
        if (Exchange(socket.Get(), host, result)) return 1;
        error = WSAGetLastError();
    }
    // Closing the socket must not lose the reason.
    SetLastError(error);
    return 0;
}

int Sntp_SyncTime(const wchar_t* host) {
    for (int attempt = 0; attempt < kSntpAttempts; ++attempt) {
        SntpResult result = {};
        if (!Sntp_Query(host, result)) continue;
        const SYSTEMTIME now = Ntp_ToSystemTime(Ntp_AddSeconds(Ntp_Now(), result.clockOffset));
        return DeviceClock_SetSystemTime(&now) ? 1 : 0;
    }
    return 0;
}
