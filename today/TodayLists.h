#pragma once
// What the Today item shows, rebuilt on every reload: the coming occurrences of the
// alarms (up to five days ahead, and the snooze of every alarm that waits in one),
// the running countdown timers, how many rows of each the user asked for
// ("PluginHeight") and whether the expand button shows.
#include "TodayStore.h"

#include <cstdint>
#include <vector>

// One possible occurrence of an alarm.
struct TodayAlarmEntry {
    const AlarmItem* alarm;
    OleDate reference;
    // Set: the occurrence is the alarm's next at or after the reference; clear: its snooze.
    bool computed;

    OleDate Time() const { return computed ? alarm->NextFireTime(reference) : alarm->snooze; }
};

// One running timer, and the local time the entry was made at.
struct TodayTimerEntry {
    TimerItem* timer;
    OleDate builtAt;
};

class TodayLists {
public:
    static constexpr int kDaysAhead = 5;
    static constexpr uint32_t kDefaultPluginHeight = 2;
    static constexpr wchar_t kClockSystemKey[] = L"Clock\\System";
    static constexpr wchar_t kPluginHeightValue[] = L"PluginHeight";

    // The entries of store at the local time now, rows for pluginHeight lines.
    void Build(TodayStore& store, OleDate now, uint32_t pluginHeight);
    // "PluginHeight" under the product key's Clock\System (4 bytes of any type); 2 when missing.
    static uint32_t ReadPluginHeight();

    // Counts every running timer of the entries down by elapsed; one that reaches
    // zero stops at -1 and is no longer running, but keeps its row.
    void AdvanceTimers(Ticks100ns elapsed);

    const std::vector<TodayAlarmEntry>& AlarmEntries() const { return alarms_; }
    const std::vector<TodayTimerEntry>& TimerEntries() const { return timers_; }
    uint32_t AlarmRows() const { return alarmRows_; }
    uint32_t TimerRows() const { return timerRows_; }
    bool ButtonShown() const { return buttonShown_; }
    bool Empty() const { return alarms_.empty() && timers_.empty(); }
    // No alarm rows and one timer row: the item shows only the sooner of the first alarm and the first timer.
    bool OneLineForm() const { return alarmRows_ == 0 && timerRows_ == 1; }
    // In that form: true when the first timer expires before the first alarm occurrence
    // (or there is no alarm entry), false when the alarm comes first or on a tie.
    bool OneLineShowsTimer(OleDate now) const;

private:
    std::vector<TodayAlarmEntry> alarms_;
    std::vector<TodayTimerEntry> timers_;
    uint32_t alarmRows_ = 1;
    uint32_t timerRows_ = 1;
    bool buttonShown_ = false;
};
