#include "TimeServerPeers.h"

#include "NtpTime.h"
#include "SntpClient.h"
#include "TestSupport.h"

#include <windows.h>

#include <cstdlib>
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

}  // namespace

std::string LoopbackAddress() {
    // Wine's processes of parallel tests share small process ids, and random_device is
    // no better seed here: the high-resolution counter tells them apart.
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    std::mt19937_64 random(uint64_t(now.QuadPart) ^ (uint64_t(GetCurrentProcessId()) << 40));
    std::uniform_int_distribution<int> high(64, 250), low(1, 254);
    return "127." + std::to_string(high(random)) + "." + std::to_string(low(random)) + "." +
           std::to_string(low(random));
}

bool HostServer::MakeFolder() {
    const std::wstring parent = testsupport::BinaryDir() + L"\\timeservers";
    folder_ = parent + L"\\" + testsupport::UniqueName(L"server");
    if (!CreateDirectoryW(parent.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
    if (!CreateDirectoryW(folder_.c_str(), nullptr) || !CreateDirectoryW((folder_ + L"\\run").c_str(), nullptr))
        return false;
    unixFolder_ = testsupport::UnixPath(folder_);
    return !unixFolder_.empty();
}

bool HostServer::Start(const std::string& command) {
    const std::string script = "/usr/bin/timeout 300 " + command + " >" + Quoted(File("server.log")) +
                               " 2>&1 </dev/null &\n";
    if (!testsupport::WriteBytes(folder_ + L"\\start.sh", script) ||
        !testsupport::RunHostTool("sh", Quoted(File("start.sh"))))
        return false;
    const std::wstring pidFile = folder_ + L"\\run\\server.pid";
    testsupport::PollUntil(kStartTimeoutMs, [&] { return testsupport::ReadBytes(pidFile, &pid_) && !pid_.empty(); });
    while (!pid_.empty() && (pid_.back() == '\n' || pid_.back() == '\r')) pid_.pop_back();
    if (pid_.find_first_not_of("0123456789") != std::string::npos) pid_.clear();
    return !pid_.empty();
}

HostServer::~HostServer() {
    if (!pid_.empty() && testsupport::RunHostTool("kill", pid_))
        testsupport::PollUntil(kStartTimeoutMs, [&] { return !testsupport::RunHostTool("kill", "-0 " + pid_); });
    if (!folder_.empty()) testsupport::DeleteTree(folder_);
}

std::string HostServer::Log() const {
    std::string log;
    testsupport::ReadBytes(folder_ + L"\\server.log", &log);
    return log;
}

Chronyd::Chronyd(const std::string& address, bool local) {
    EnsureWinsock();
    if (!MakeFolder()) return;
    // No command port: parallel chronyds would contend for 127.0.0.1:323.
    std::string config = "allow 127.0.0.0/8\nbindaddress " + address + "\nport 123\ncmdport 0\npidfile " +
                         File("run/server.pid") + "\nbindcmdaddress " + File("run/chronyd.sock") + "\n";
    if (local) config += "local stratum 8\n";
    if (!testsupport::WriteBytes(folder_ + L"\\chrony.conf", config)) return;
    // chronyd must start as root to bind port 123, then runs as its own unprivileged
    // user (-u), which must own the socket's folder; -x: it never touches the host clock.
    if (!testsupport::RunHostTool("chown", "_chrony:_chrony " + Quoted(File("run"))) ||
        !testsupport::RunHostTool("chmod", "700 " + Quoted(File("run"))) ||
        !Start("/usr/sbin/chronyd -d -x -u _chrony -f " + Quoted(File("chrony.conf"))))
        return;
    // Answers at the address must be this chronyd's, not another server's there.
    answering_ = testsupport::PollUntil(kStartTimeoutMs, [&] { return Answers(address); }) &&
                 Log().find("Could not open NTP socket") == std::string::npos;
}

FakeServer::FakeServer(const std::string& address, Reply reply) {
    static const char* const kKinds[] = {"valid", "short", "client-mode", "zero-transmit", "wrong-originate", "silent"};
    listening_ = MakeFolder() && Start("python3 " + Quoted(SNTP_PEER_SCRIPT) + " " + address + " " +
                                       kKinds[int(reply)] + " " + Quoted(unixFolder_));
}

int FakeServer::Requests() const {
    std::string count;
    return testsupport::ReadBytes(folder_ + L"\\requests", &count) ? atoi(count.c_str()) : -1;
}

}  // namespace timeserverpeers
