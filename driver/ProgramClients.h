#pragma once
// The programs that the driver starts after idle time: a list in registration order
// under its own lock. Every operation takes the lock; errors are Win32 codes (0: done).
#include <windows.h>
#include "InputSenseControl.h"
#include "LinkedList.h"

class ProgramClients {
public:
    // The lock lives as long as the driver is loaded.
    void Setup();
    // Frees every client and the lock.
    void Teardown();

    // Copies the record's path and arguments out of the caller's memory.
    DWORD Add(const InputSense::ProgramClientRecord& record);
    DWORD Remove(const GUID& key);
    bool Empty();
    // Activity: every client may start again after the next idle spell.
    void ClearLaunched();
    // Starts each client not started in this spell whose idle time has come, or that
    // starts on power-on when `poweredOn`.
    void StartDue(bool poweredOn, DWORD idleSeconds);

private:
    // The node mirrors the program-client record, with the driver's links.
    struct ActivityClient {
        ActivityClient* next;
        ActivityClient* previous;
        wchar_t* path;
        wchar_t* arguments;
        DWORD idleSeconds;
        DWORD launched;
        GUID key;
        DWORD startOnPowerOn;
    };

    ActivityClient* Find(const GUID& key) const;
    static void Free(ActivityClient* client);

    CRITICAL_SECTION lock_;
    LinkedList<ActivityClient> list_;
};
