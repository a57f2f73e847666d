#pragma once
// Time servers for the synchronisation tests, each on a loopback address of its own
// (127.x.y.z) at port 123, so tests run side by side: Debian's chronyd, started with a
// configuration, pid file and command socket of its own under the build tree and never
// allowed to touch the host clock (-x); and a peer in this process that answers every
// request in one chosen, mostly malformed, way.
#include <winsock2.h>

#include <atomic>
#include <string>
#include <thread>

namespace timeserverpeers {

// A fresh loopback address, unlikely to be any other test's.
std::string LoopbackAddress();

class Chronyd {
public:
    // local: serves its own clock as stratum 8; otherwise it has no time to give and
    // answers as an unsynchronised server.
    Chronyd(const std::string& address, bool local);
    ~Chronyd();
    Chronyd(const Chronyd&) = delete;
    Chronyd& operator=(const Chronyd&) = delete;

    // True once chronyd runs and answers at its address.
    bool Answering() const { return answering_; }
    std::string Log() const;

private:
    std::wstring folder_;
    std::string pid_;
    bool answering_ = false;
};

enum class Reply {
    Valid,           // a synchronised stratum-2 server's answer, from the host clock
    Short,           // the valid answer cut to 47 bytes
    ClientMode,      // mode 3 instead of 4
    ZeroTransmit,    // no transmit time
    WrongOriginate,  // not the time our request was sent
    Silent,          // no answer at all
};

class FakeServer {
public:
    FakeServer(const std::string& address, Reply reply);
    ~FakeServer();
    FakeServer(const FakeServer&) = delete;
    FakeServer& operator=(const FakeServer&) = delete;

    bool Listening() const { return socket_ != INVALID_SOCKET; }
    int Requests() const { return requests_; }

private:
    void Serve();

    Reply reply_;
    SOCKET socket_ = INVALID_SOCKET;
    std::atomic<int> requests_{0};
    std::thread thread_;
};

}  // namespace timeserverpeers
