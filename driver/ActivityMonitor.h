#pragma once
// The driver's watcher: one thread that waits for the power manager's user-activity
// event, for power notifications and for the end of each period without activity, and
// tells the window clients and starts the program clients. Start and Stop run under the
// driver lock; the thread takes only the two client lists' locks.
#include <windows.h>
#include "ProgramClients.h"
#include "WindowClients.h"

class ActivityMonitor {
public:
    ActivityMonitor(ProgramClients& programs, WindowClients& windows) : programs_(programs), windows_(windows) {}

    // Creates the events, reads the settings and starts the thread (the first open);
    // 0, or the error after everything made is released again.
    DWORD Start();
    // Stops the thread and releases the events (the last close).
    void Stop();
    bool Running() const { return thread_ != nullptr; }
    // Milliseconds since the last activity.
    DWORD IdleMs() const;
    // now - last on a tick counter that wraps past 0xFFFFFFFF.
    static DWORD ElapsedMs(DWORD now, DWORD last);

    static const DWORD kDefaultPeriodSeconds = 5;
    static const DWORD kMaxPeriodSeconds = 10;

private:
    DWORD ReadSettings();
    static DWORD WINAPI Thread(void* self);
    void Watch();
    void OnActivity();
    void OnIdleCheck(bool poweredOn);
    void OnPowerNotifications(HANDLE queue, BYTE* buffer);

    ProgramClients& programs_;
    WindowClients& windows_;
    HANDLE thread_ = nullptr;
    HANDLE stop_ = nullptr;
    HANDLE broadcast_ = nullptr;     // pulsed on every activity; nobody in this system waits on it
    HANDLE userActivity_ = nullptr;  // the power manager's, set while the user is active
    DWORD periodMs_ = kDefaultPeriodSeconds * 1000;
    volatile DWORD lastActivity_ = 0;  // device tick count; written by the thread, read without a lock
};
