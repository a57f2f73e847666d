#pragma once
// The programs of the simulated device, kept in the device state: each joined
// process by id and creation time (ids are reused). Ended ones drop out whenever
// the table changes.
#include <windows.h>
#include <cstdint>
#include <vector>

class DeviceProcessTable {
public:
    static const uint32_t kMaxProcesses = 64;
    struct Entry {
        uint32_t processId;
        uint32_t reserved;
        uint64_t creationTime;
    };

    static bool Join();
    static void Leave();
    // The programs that still run, the caller included when it joined.
    static std::vector<Entry> Running();
    static bool IsMember(DWORD processId);
    // Ends every program of the device but the caller; empties the table of them.
    static void EndAllButCaller();
    // The creation time of an open process; 0 when it cannot be read.
    static uint64_t CreationTime(HANDLE process);
};
