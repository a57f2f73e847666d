#pragma once
// Time servers for the synchronisation tests, host processes each on a loopback
// address of its own (127.x.y.z) at port 123, so tests run side by side: Debian's
// chronyd, with a configuration, pid file and command socket of its own under the build
// tree and never allowed to touch the host clock (-x); and a peer that answers every
// request in one chosen, mostly malformed, way.
#include <winsock2.h>

#include <string>

namespace timeserverpeers {

// A fresh loopback address, unlikely to be any other test's.
std::string LoopbackAddress();

// A server process of the host, with a folder of its own under the build tree; it is
// stopped, by its process id, when this goes (and ends by itself after five minutes
// should the test never stop it).
class HostServer {
public:
    HostServer() = default;
    ~HostServer();
    HostServer(const HostServer&) = delete;
    HostServer& operator=(const HostServer&) = delete;

    std::string Log() const;

protected:
    // Makes the folder, with run/ in it; unixFolder_ is its host path.
    bool MakeFolder();
    // Runs the host's shell command in the background, its output to the log; true once
    // the process wrote its id to run/server.pid.
    bool Start(const std::string& command);
    std::string File(const char* name) const { return unixFolder_ + "/" + name; }

    std::wstring folder_;
    std::string unixFolder_;

private:
    std::string pid_;
};

// Debian's chronyd, never allowed to touch the host clock.
class Chronyd : public HostServer {
public:
    // local: serves its own clock as stratum 8; otherwise it has no time to give and
    // answers as an unsynchronised server.
    Chronyd(const std::string& address, bool local);
    // True once chronyd runs and answers at its address.
    bool Answering() const { return answering_; }

private:
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

// A peer that answers every request in one chosen way (sntp_peer.py).
class FakeServer : public HostServer {
public:
    FakeServer(const std::string& address, Reply reply);
    bool Listening() const { return listening_; }
    int Requests() const;

private:
    bool listening_ = false;
};

}  // namespace timeserverpeers
