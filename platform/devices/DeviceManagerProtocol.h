#pragma once
// Inside the layer: what a process of the device and the device manager say over the
// device manager's pipe. Every request is one message and gets one reply. A connection
// that opened a device is that device's handle; closing it (or the end of its process)
// closes the device.
#include <windows.h>
#include <cstdint>
#include <string>
#include "DeviceManager.h"

namespace DeviceManagerProtocol {

enum Operation : uint32_t { kActivate = 1, kDeactivate, kOpen, kIoControl, kClose };
// IoControl flags: which of the caller's pointers were given.
const uint32_t kHasIn = 1, kHasOut = 2, kHasReturned = 4;
const uint32_t kMaxNameChars = MAX_PATH;

struct Request {
    uint32_t operation;
    uint32_t code;      // IoControl
    uint32_t inSize;    // IoControl: bytes of input after the request
    uint32_t outSize;   // IoControl: bytes of the output buffer (its contents follow the input)
    uint32_t flags;     // IoControl
    uint32_t access;    // Open
    uint32_t share;     // Open
    uint32_t reserved;
    uint64_t value;     // Activate: client info; Deactivate: activation handle
    wchar_t name[kMaxNameChars + 1];  // Activate: registry key; Open: device name
};
struct Reply {
    uint32_t ok;
    uint32_t error;
    uint32_t returned;  // IoControl: bytes returned; the output buffer follows
    uint32_t reserved;
    uint64_t value;     // Activate: activation handle
};

const DWORD kMaxMessage = sizeof(Request) + 2 * DEVICE_MAX_IO_BYTES;

// The pipe of this device's manager.
std::wstring PipeName();

}  // namespace DeviceManagerProtocol
