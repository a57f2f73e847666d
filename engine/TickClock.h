#pragma once
// How much time passed between two engine ticks. Normally the tick counter says;
// when the wall clock jumped (more than 3 s of the day, or another day) the clock's
// own difference counts, so a clock set forward by an hour advances running timers
// by that hour, and one set back within the day costs them nothing.
#include "DateFunctions.h"

#include <windows.h>

class TickClock {
public:
    // Starts from the device's local time and tick count now.
    TickClock();

    // Milliseconds since the previous step (or construction), from the device clock.
    int64_t Step();
    // The same for given readings; tests pass their own.
    int64_t Step(const SYSTEMTIME& local, DWORD tickCount);

    OleDate LastDate() const { return lastDate_; }

private:
    void Keep(const SYSTEMTIME& local, DWORD tickCount);

    SYSTEMTIME lastTime_ = {};
    OleDate lastDate_ = 0;
    DWORD lastTickCount_ = 0;
    int lastSecondsOfDay_ = 0;
};
