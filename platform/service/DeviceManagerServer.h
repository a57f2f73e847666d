#pragma once
// The device manager's pipe: every process of the device reaches the drivers through
// it. One thread accepts connections, one thread serves each; a connection that opened
// a device closes it when it ends, however its process ended.
#include <windows.h>
#include <string>
#include "StreamDrivers.h"
#include "ScopedHandle.h"

class DeviceManagerServer {
public:
    explicit DeviceManagerServer(StreamDrivers& manager) : manager_(manager) {}
    ~DeviceManagerServer() { Stop(); }

    // Creates the pipe and starts accepting; false when another manager serves this device.
    bool Start();
    // Stops accepting. Connections still served end with the process.
    void Stop();

private:
    static DWORD WINAPI AcceptThread(void* self);
    static DWORD WINAPI ConnectionThread(void* connection);
    void Accept();
    HANDLE NewInstance(bool first);

    StreamDrivers& manager_;
    std::wstring name_;
    ScopedHandle waiting_;  // the instance that waits for the next client
    ScopedHandle acceptor_;
    volatile LONG stopping_ = 0;
};
