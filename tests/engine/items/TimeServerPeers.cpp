#include "TimeServerPeers.h"

#include "NtpTime.h"
#include "SntpClient.h"
#include "TestSupport.h"

#include <windows.h>

#include <cstring>
#include <random>

namespace timeserverpeers {
namespace {

constexpr DWORD kStartTimeoutMs = 30000;
constexpr DWORD kProbeWaitMs = 500;

struct Winsock {
    Winsock() {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
    }
};

void EnsureWinsock() { static Winsock winsock; }

sockaddr_in Endpoint(const std::string& address) {
    sockaddr_in to = {};
    to.sin_family = AF_INET;
    to.sin_port = htons(kSntpPort);
    to.sin_addr.s_addr = inet_addr(address.c_str());
    return to;
}

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

// One request to address; true when any answer comes back in time.
bool Answers(const std::string& address) {
    SOCKET s = socket(AF_INET, SOCK_DGRAM, 0);
    if (s == INVALID_SOCKET) return false;
    uint8_t request[kSntpPacketBytes];
    Sntp_BuildRequest(NtpTime{1, 1}, request);
    sockaddr_in to = Endpoint(address);
    bool answered = false;
    if (sendto(s, reinterpret_cast<const char*>(request), sizeof request, 0, reinterpret_cast<sockaddr*>(&to),
               sizeof to) == int(sizeof request)) {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(s, &readable);
        timeval wait = {0, long(kProbeWaitMs) * 1000};
        char reply[kSntpReplyBufferBytes];
        answered = select(0, &readable, nullptr, nullptr, &wait) > 0 && recv(s, reply, sizeof reply, 0) > 0;
    }
    closesocket(s);
    return answered;
}

NtpTime HostNow() {
    SYSTEMTIME utc;
    GetSystemTime(&utc);
    return Ntp_FromSystemTime(utc);
}

void Put(uint8_t* p, NtpTime t) {
    const uint32_t words[2] = {htonl(t.seconds), htonl(t.fraction)};
    memcpy(p, words, sizeof words);
}

}  // namespace

std::string LoopbackAddress() {
    std::random_device device;
    std::mt19937 random(device() ^ GetCurrentProcessId());
    std::uniform_int_distribution<int> high(64, 250), low(1, 254);
    return "127." + std::to_string(high(random)) + "." + std::to_string(low(random)) + "." +
           std::to_string(low(random));
}

Chronyd::Chronyd(const std::string& address, bool local) {
    EnsureWinsock();
    folder_ = testsupport::BinaryDir() + L"\\chrony\\" + testsupport::UniqueName(L"chronyd");
    if (!CreateDirectoryW((testsupport::BinaryDir() + L"\\chrony").c_str(), nullptr) &&
        GetLastError() != ERROR_ALREADY_EXISTS)
        return;
    if (!CreateDirectoryW(folder_.c_str(), nullptr)) return;
    const std::string unix = testsupport::UnixPath(folder_);
    const std::string run = unix + "/run";
    std::string config = "allow 127.0.0.0/8\nbindaddress " + address + "\nport 123\npidfile " + run +
                         "/chronyd.pid\nbindcmdaddress " + run + "/chronyd.sock\n";
    if (local) config += "local stratum 8\n";
    // chronyd gives up root for its own user, which must own the socket's folder. The
    // time-out ends it should the test never stop it.
    const std::string start = "mkdir -p " + Quoted(run) + " && chown _chrony:_chrony " + Quoted(run) +
                              " && chmod 700 " + Quoted(run) + "\n/usr/bin/timeout 300 /usr/sbin/chronyd -d -x -f " +
                              Quoted(unix + "/chrony.conf") + " >" + Quoted(unix + "/chronyd.log") +
                              " 2>&1 </dev/null &\n";
    if (!testsupport::WriteBytes(folder_ + L"\\chrony.conf", config) ||
        !testsupport::WriteBytes(folder_ + L"\\start.sh", start) ||
        !testsupport::RunHostTool("sh", Quoted(unix + "/start.sh")))
        return;
    const std::wstring pidFile = folder_ + L"\\run\\chronyd.pid";
    testsupport::PollUntil(kStartTimeoutMs, [&] { return testsupport::ReadBytes(pidFile, &pid_) && !pid_.empty(); });
    while (!pid_.empty() && (pid_.back() == '\n' || pid_.back() == '\r')) pid_.pop_back();
    answering_ = !pid_.empty() && testsupport::PollUntil(kStartTimeoutMs, [&] { return Answers(address); });
}

Chronyd::~Chronyd() {
    if (pid_.find_first_not_of("0123456789") == std::string::npos && !pid_.empty() &&
        testsupport::RunHostTool("kill", pid_)) {
        // chronyd removes its pid file as it ends.
        const std::wstring pidFile = folder_ + L"\\run\\chronyd.pid";
        testsupport::PollUntil(kStartTimeoutMs,
                               [&] { return GetFileAttributesW(pidFile.c_str()) == INVALID_FILE_ATTRIBUTES; });
    }
    if (!folder_.empty()) testsupport::DeleteTree(folder_);
}

std::string Chronyd::Log() const {
    std::string log;
    testsupport::ReadBytes(folder_ + L"\\chronyd.log", &log);
    return log;
}

FakeServer::FakeServer(const std::string& address, Reply reply) : reply_(reply) {
    EnsureWinsock();
    socket_ = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in at = Endpoint(address);
    if (socket_ != INVALID_SOCKET &&
        bind(socket_, reinterpret_cast<sockaddr*>(&at), sizeof at) == SOCKET_ERROR) {
        closesocket(socket_);
        socket_ = INVALID_SOCKET;
    }
    if (socket_ != INVALID_SOCKET) thread_ = std::thread([this] { Serve(); });
}

FakeServer::~FakeServer() {
    // Closing the socket ends the wait in Serve.
    if (socket_ != INVALID_SOCKET) closesocket(socket_);
    if (thread_.joinable()) thread_.join();
}

void FakeServer::Serve() {
    for (;;) {
        uint8_t request[kSntpReplyBufferBytes];
        sockaddr_in from = {};
        int fromLength = sizeof from;
        const int received = recvfrom(socket_, reinterpret_cast<char*>(request), sizeof request, 0,
                                      reinterpret_cast<sockaddr*>(&from), &fromLength);
        if (received == SOCKET_ERROR && WSAGetLastError() == WSAECONNRESET) continue;
        if (received < kSntpPacketBytes) return;
        ++requests_;
        if (reply_ == Reply::Silent) continue;

        uint8_t answer[kSntpPacketBytes] = {};
        answer[0] = reply_ == Reply::ClientMode ? 0x1B : 0x24;  // version 4, mode 3 or 4
        answer[1] = 2;                                        // stratum
        memcpy(answer + 24, request + 40, 8);                 // originate: their transmit time
        if (reply_ == Reply::WrongOriginate) answer[31] ^= 1;
        const NtpTime now = HostNow();
        Put(answer + 32, now);
        if (reply_ != Reply::ZeroTransmit) Put(answer + 40, now);
        const int length = reply_ == Reply::Short ? kSntpPacketBytes - 1 : kSntpPacketBytes;
        sendto(socket_, reinterpret_cast<const char*>(answer), length, 0, reinterpret_cast<sockaddr*>(&from),
               fromLength);
    }
}

}  // namespace timeserverpeers
