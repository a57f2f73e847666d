#pragma once
// How much time passed between two engine ticks. Normally the tick counter says;
// when the UTC clock jumped against it (more than 3 s of the day, or another day:
// the device slept, or the clock was set) the UTC clock's own difference counts, so
// the time a suspend or a clock set forward by an hour took advances running timers,
// a clock set back within the day costs them nothing, and a new zone or the start of
// daylight saving, which move only the local clock, costs them nothing either.
//
// It also keeps how far the local clock moved beyond the time that really passed, for
// the waits that must not move with it (snoozes): a jump a tick saw stays unsettled
// until the clock-change word takes it or, with no word coming, a suspend explains it.
// Across a step that began or ended with the device not on, what the UTC clock moved
// beyond the counter is its sleep: it passed for running timers, and no word announces it.
#include "DateFunctions.h"

#include <windows.h>

class TickClock {
public:
    // A move of the wall clock against the counter this large is a jump, not jitter.
    static constexpr int64_t kJumpMs = 1000;
    // How long a jump waits for the word that the clock or zone was changed.
    static constexpr DWORD kChangeWordWaitMs = 10000;

    // Starts from the device's local time, UTC time and tick count now.
    TickClock();

    // Milliseconds since the previous step (or construction), from the device clock;
    // deviceOn: the device is on now (a move seen while it is not is its sleep).
    int64_t Step(bool deviceOn);
    // The same for given readings; tests pass their own.
    int64_t Step(const SYSTEMTIME& local, const SYSTEMTIME& utc, DWORD tickCount, bool deviceOn);

    // The clock or zone was changed: how far the wall clock moved beyond the time that
    // really passed (milliseconds, either way), counting unsettled jumps and the move
    // since the last step. Each move is taken once.
    int64_t TakeChange();
    int64_t TakeChange(const SYSTEMTIME& local, DWORD tickCount);
    // Whether an unsettled forward jump carried the clock from before `when` to at or
    // after it: a wait due at `when` is not over by that jump alone.
    bool JumpedOver(OleDate when) const;

    // The local time of the last step (or construction).
    OleDate LastDate() const { return lastDate_; }
    // The device tick count at the last step (or construction).
    DWORD LastTickCount() const { return lastTickCount_; }

private:
    void Keep(const SYSTEMTIME& local, const SYSTEMTIME& utc, DWORD tickCount);
    // The local clock's move beyond the counter's since the last step, less what was taken.
    int64_t MoveSinceStep(OleDate date, DWORD tickCount) const;

    OleDate lastDate_ = 0;
    SYSTEMTIME lastUtc_ = {};
    OleDate lastUtcDate_ = 0;
    DWORD lastTickCount_ = 0;
    bool lastDeviceOn_ = true;

    int64_t unsettledMs_ = 0;     // jumps seen by steps, not yet taken
    OleDate jumpFrom_ = 0, jumpTo_ = 0;
    DWORD jumpTickCount_ = 0;
    int64_t takenSinceStepMs_ = 0;  // taken before the step that will see it
};
