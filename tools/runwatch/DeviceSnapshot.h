#pragma once
// What the run's device holds at one moment: the notifications registered with it, the
// program's item store.
// Read only: taking a snapshot never changes the device.
#include <windows.h>

#include <string>
#include <vector>

struct DeviceNotification {
    DWORD type;   // CNT_TIME or CNT_EVENT
    DWORD event;  // for CNT_EVENT
    SYSTEMTIME start;
    std::wstring application;
    std::wstring arguments;
};

struct DeviceSnapshot {
    std::vector<DeviceNotification> notifications;
    DWORD alarms = 0;
    DWORD timers = 0;
    DWORD stopwatches = 0;

    static DeviceSnapshot Take();
};
