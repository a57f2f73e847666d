#pragma once
// The device's notification service: starts the application of every time notification
// that falls due on the device clock (waking a sleeping device into unattended mode
// first), and of every event notification when the device clock or time zone is set.
// Only programs inside the device are started.
#include <windows.h>
#include <string>
#include "NotificationStore.h"
#include "ScopedHandle.h"

class NotificationService {
public:
    NotificationService();
    // Runs until told to stop or until the device's root folder is gone; the exit code.
    int Run();

private:
    void Round();
    void FireDueTimes();
    void FireEvents();
    // Starts an entry's application with its arguments; false when it is not a program of the device.
    bool Start(const NotificationStore::Entry& entry);
    bool DeviceGone() const;

    std::wstring root_;
    ScopedHandle stop_;
    ScopedHandle timeChanged_;
    ScopedHandle zoneChanged_;
};
