#pragma once
// Inside the layer: the power manager's user-activity timer. The named event
// USER_ACTIVITY_EVENT (pm.h) of the device is set by every user input and stays
// set until the timer's "Timeout" seconds have passed without input; the services
// process owns it (it exists while the device runs) and resets it.
#include <windows.h>
#include <cstdint>
#include <string>
#include "pm.h"

class UserActivity {
public:
    static const DWORD kDefaultTimeoutSeconds = 5;

    struct Record {
        uint64_t lastInput;  // host GetTickCount64 of the last input
        uint32_t inputs;     // inputs since the device started
        uint32_t reserved;
    };
    static_assert(sizeof(Record) == 16, "activity record is stored");

    // The event's name on this device.
    static std::wstring EventName();
    static Record Load();
    // Counts an input and sets the event, in one step with the timer's reset.
    static bool Signal();
    // The timer's length from the registry (missing or unreadable: the default).
    static DWORD TimeoutMs();
    // Resets the event when no input came since `inputs` were counted; false when one came.
    static bool ResetUnless(HANDLE event, uint32_t inputs);
};
