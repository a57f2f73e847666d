#pragma once
// The device's resident services (the notification service): one process per device,
// found by a named mutex it holds while it runs, stopped by a named event.
#include <windows.h>
#include <cstdint>
#include <string>

class DeviceServices {
public:
    // Kept in the device state: which process runs the services.
    struct Record {
        uint32_t processId;
        uint32_t reserved;
    };
    static_assert(sizeof(Record) == 8, "services record is stored");

    // Device object names (see DeviceStateStore::ObjectName).
    static const wchar_t kRunningMutex[];
    static const wchar_t kStopEvent[];

    static bool Running();
    // Starts the services when they do not run and waits until they do.
    static bool EnsureRunning();
    // Asks the services to end and waits for their process; ends it when it will not.
    static bool Stop();
    // Host path of the services program, empty when there is none.
    static std::wstring ProgramPath();
    // Called by the services process: records it as the device's.
    static bool Register(DWORD processId);
};
