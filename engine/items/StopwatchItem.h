#pragma once
// A stopwatch: a timer that counts up instead, rings like a timer when it reaches
// its stop time, and keeps the laps taken, in groups.
#include "TimerItem.h"

#include <cstdint>
#include <vector>

class StopwatchItem : public TimerItem {
public:
    static constexpr wchar_t kStopTimeValue[] = L"StopTime";
    static constexpr wchar_t kStagesSubKey[] = L"Stages";
    static constexpr Ticks100ns kNoStopTime = INT64_MAX;

    using LapGroup = std::vector<Ticks100ns>;

    // A running stopwatch at zero, titled after its number, stopping at stopTime.
    StopwatchItem(int number, Ticks100ns stopTime);

    bool IsExpired() const override { return time >= StopTime; }
    bool IsStopwatch() const override { return true; }

    // One step of the engine's tick: counts elapsed on; at the stop time stops at
    // zero, starts the chained stopwatch and posts 1374 to the engine.
    void CountUp(Ticks100ns elapsed);
    // Milliseconds of counting until it reaches its stop time; -1 when it does not.
    int64_t MsToExpiry() const override;
    // Appends the current count to the last group of laps, making a first group when there is none.
    void AddLap();
    // A new run: an empty group of laps (only the last two groups are kept), the count
    // at zero, running and not held.
    void Restart();
    // The last lap of the last group; 0 when there is none.
    Ticks100ns LastLap() const;
    void Save(const RegKeyRef& key) const override;
    // A running stopwatch gains the time away; one that reached its stop time meanwhile
    // is stopped at zero with its laps kept. False only when its values are damaged.
    bool Load(const RegKeyRef& key, Ticks100ns away) override;
    // The laps under "Stages": group i a subkey named i, lap j of it a value named j.
    void SaveLaps(const RegKeyRef& key) const;
    void LoadLaps(const RegKeyRef& key);

    // "hh:mm:ss.mmm", the hours counting the days in.
    static RcString FormatTime(Ticks100ns duration);

    Ticks100ns StopTime = kNoStopTime;
    std::vector<LapGroup> laps;
};
