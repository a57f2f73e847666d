#pragma once
// The device manager of the services process: the stream drivers it loaded and their
// devices. Every call into a driver is made under one lock, so a driver is never
// unloaded while another of its entry points runs. It lives as long as the process:
// connections may still call it while the services end.
#include <windows.h>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include "StreamInterface.h"

class StreamDrivers {
public:
    // What a connection holds once it opened a device.
    struct OpenDevice {
        ULONG_PTR device = 0;  // activation handle
        DWORD_PTR context = 0; // the driver's open context
    };
    // The outcome of a call: the result and the last error the driver (or the manager) left.
    struct Outcome {
        bool ok = false;
        DWORD error = 0;
    };

    // Clears what a previous run of the device left registered.
    StreamDrivers();

    Outcome Activate(const std::wstring& key, ULONG_PTR* handle);
    Outcome Deactivate(ULONG_PTR handle);
    Outcome Open(const std::wstring& name, DWORD access, DWORD share, OpenDevice* opened);
    Outcome Close(const OpenDevice& opened);
    Outcome IoControl(const OpenDevice& opened, DWORD code, BYTE* in, DWORD inSize, BYTE* out, DWORD outSize,
                      DWORD* returned);
    // At the end of the services: unloads every driver that agrees.
    void UnloadAll();

private:
    struct Driver;
    Driver* Find(ULONG_PTR handle);
    void Unload(ULONG_PTR handle);

    std::mutex lock_;
    std::map<ULONG_PTR, std::unique_ptr<Driver>> drivers_;
    ULONG_PTR lastHandle_ = 0;
};
