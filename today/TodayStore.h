#pragma once
// The Today item's read-only view of the program's item store: the alarms, timers and
// stopwatches as the program last saved them, loaded with the program's own item
// classes (no ItemHost is installed, so they act as if no program existed). Running
// timers and stopwatches are brought forward by the time since the program's last
// save. Nothing is ever written back; a reload replaces everything.
#include "AlarmItem.h"
#include "DateFunctions.h"
#include "StopwatchItem.h"
#include "TimerItem.h"

#include <memory>
#include <vector>

class TodayStore {
public:
    using AlarmList = std::vector<std::unique_ptr<AlarmItem>>;
    using TimerList = std::vector<std::unique_ptr<TimerItem>>;
    using StopwatchList = std::vector<std::unique_ptr<StopwatchItem>>;

    // Empties the lists and reads them again at the local time now; alarms sorted by
    // their next occurrence, timers and stopwatches by their expiry, earliest first.
    void Load(OleDate now);
    void Clear();

    const AlarmList& Alarms() const { return alarms_; }
    const TimerList& Timers() const { return timers_; }
    const StopwatchList& Stopwatches() const { return stopwatches_; }
    // For the running-timer advance: the timers themselves change, the lists do not.
    TimerList& MutableTimers() { return timers_; }

    Ticks100ns lastTimerTime = TimerItem::kDefaultDuration;
    Ticks100ns lastStopwatchTime = StopwatchItem::kNoStopTime;

    // now + the remaining time, for a running timer that is no template and has time
    // left (none left counts); kOleDateNever for every other timer.
    static OleDate NextExpiry(const TimerItem& timer, OleDate now);

private:
    AlarmList alarms_;
    TimerList timers_;
    StopwatchList stopwatches_;
};
