#pragma once
// What the run's device holds at one moment: the notifications registered with it, the
// program's item store and what the program recorded in place of screens not built yet.
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

// One record the program writes instead of showing a screen: how many, and the last one.
struct StandInRecord {
    DWORD count = 0;
    DWORD lastMessage = 0;
    DWORD lastValue = 0;
};

struct DeviceSnapshot {
    std::vector<DeviceNotification> notifications;
    DWORD alarms = 0;
    DWORD timers = 0;
    DWORD stopwatches = 0;
    StandInRecord screens;  // screens asked for

    static DeviceSnapshot Take();
};

// The stand-in record as the program keeps it (StandInRecords.cpp).
void StandInRecords_Read(StandInRecord* screens);
// Where they live, for the reader of the report.
std::wstring StandInRecords_ScreenPath();
// What a record's last message and value mean, in words.
std::wstring StandInRecords_ScreenName(DWORD message, DWORD value);
