#pragma once
// The single owner of all alarms, timers and stopwatches, of the one chime and of
// the settings. It loads everything from the registry when constructed (running
// timers and stopwatches advanced by the time the program was away), writes
// everything back on request and tells the Today item after every save. Items and
// screens reach the one store through Current(). GUI thread only.
//
// Registry layout under the product key: "SavedTime" and "SavedTimeUtc"; Alarms\Items, Timers\Items
// and Stopwatches\Items with one subkey per item named by the signed decimal text
// of its Hash, and the last-used times beside them; ChimeItem; Clock (settings).
#include "AlarmItem.h"
#include "ChimeItem.h"
#include "DateFunctions.h"
#include "ItemHash.h"
#include "SaveStamp.h"
#include "Settings.h"
#include "StopwatchItem.h"
#include "TimerItem.h"
#include "UnreadItemKeys.h"

#include <deque>
#include <memory>

class ItemStore {
public:
    static constexpr const wchar_t* kSavedTimeValue = SaveStamp::kLocalValue;
    static constexpr wchar_t kTodayWindowValue[] = L"TodayPluginHWND";
    static constexpr wchar_t kAlarmsSubKey[] = L"Alarms";
    static constexpr wchar_t kTimersSubKey[] = L"Timers";
    static constexpr wchar_t kStopwatchesSubKey[] = L"Stopwatches";
    static constexpr wchar_t kItemsSubKey[] = L"Items";
    static constexpr wchar_t kLastTimerTimeValue[] = L"LastTimerTime";
    static constexpr wchar_t kLastStopwatchTimeValue[] = L"LastStopwatchTime";
    // The clock-synchronisation alarm exists once; its Hash comes from this name.
    static constexpr wchar_t kAtomicClockAlarmName[] = L"AtomicClockAlarm";
    static constexpr wchar_t kAtomicClockTitle[] = L"atomic clock";
    static constexpr wchar_t kAlarmTitlePrefix[] = L"Alarm - ";
    // Title prefix of an alarm's copy; the English text stands when no translation has one.
    static constexpr UINT kCopyOfStringId = 30074;
    static constexpr wchar_t kCopyOfText[] = L"A copy of";
    // Posted to the Today item's window after every save: reread the registry.
    static constexpr UINT kTodayReloadMessage = WM_USER + 378;

    // Imports items of version 3 once, then loads settings and items; soundsFolder
    // holds the chime's sounds.
    ItemStore(const RcString& soundsFolder, bool activityDriverUsable);
    ~ItemStore();
    ItemStore(const ItemStore&) = delete;
    ItemStore& operator=(const ItemStore&) = delete;

    // The store items and screens work with; null before the first store loads.
    static ItemStore* Current() { return current_; }

    Settings& GetSettings() { return *settings_; }
    const Settings& GetSettings() const { return *settings_; }
    ChimeItem& Chime() { return chime_; }
    const ChimeItem& Chime() const { return chime_; }
    // Owned items, in creation and load order.
    const std::deque<AlarmItem*>& Alarms() const { return alarms_; }
    const std::deque<TimerItem*>& Timers() const { return timers_; }
    const std::deque<StopwatchItem*>& Stopwatches() const { return stopwatches_; }

    AlarmItem* FindAlarmByHash(ItemHash hash) const;
    TimerItem* FindTimerByHash(ItemHash hash) const;
    StopwatchItem* FindStopwatchByHash(ItemHash hash) const;
    // True when item is one of the store's items; the pointer is only compared, so
    // a stale one is safe to ask about.
    bool ContainsItem(const EventItem* item) const;
    // True when an alarm or a timer has that Hash; stopwatches and the chime do not count.
    bool IsHashTaken(ItemHash hash) const;

    // A new alarm, appended: "Alarm - n", or a copy of the template titled "A copy of ...".
    AlarmItem* CreateAlarm(const AlarmItem* from);
    // A new timer, appended: running with the last-used duration, or a non-template
    // copy of the template. Null when memory runs out.
    TimerItem* CreateTimer(const TimerItem* from);
    // A new running stopwatch, appended, stopping at the last-used stop time.
    StopwatchItem* CreateStopwatch();
    // Each removes and destroys the item when it is in its list and does nothing
    // otherwise; the timer twins return 1 when they removed it.
    void RemoveAlarm(AlarmItem* alarm);
    int RemoveTimer(TimerItem* timer);
    int RemoveStopwatch(StopwatchItem* stopwatch);
    void ClearAlarms();
    void ClearTimers();
    void ClearStopwatches();
    // The clock-synchronisation alarm, made hidden and switched off when missing.
    AlarmItem* SetAtomicClockAlarm();

    // The item part of starting a timer or stopwatch of the store: a template starts
    // a fresh copy; restart begins again from the set duration (a stopwatch from
    // zero). The item actually started, or null.
    TimerItem* StartTimer(TimerItem* timer, bool restart);
    // The engine tick's countdown: every running, confirmed timer that is no template
    // counts elapsedMs toward its own whole seconds; expired ones ring and start their
    // chains. A timer an expiry starts (or starts again) meanwhile counts from that start.
    void CountDownTimers(int64_t elapsedMs);
    // Timers started since the last count begin their count now, sinceCountMs after it
    // (the engine calls it whenever items changed).
    void StartCountingStarted(int64_t sinceCountMs);
    // The engine tick's count-up of every running stopwatch; one started again by an
    // expiry meanwhile counts from that start.
    void CountUpStopwatches(Ticks100ns elapsed);

    // Empties the lists and reads settings, timers, stopwatches, alarms and the chime.
    void Load();
    // Everything (or only the settings) and the chime; marks the registry dirty and
    // tells the Today item.
    void Save(bool settingsOnly);
    // The save stamp, timers and stopwatches; tells the Today item when a timer runs.
    void SaveTimers();
    // Posts 1402 to the window the Today item registered.
    void NotifyToday() const;

    Ticks100ns LastTimerTime = TimerItem::kDefaultDuration;
    Ticks100ns LastStopwatchTime = StopwatchItem::kNoStopTime;

    // A timer the engine's count takes: running, confirmed and no template.
    static bool Counts(const TimerItem& timer);

private:
    void SaveTimerLists(const RegKeyRef& productKey);
    // A second item with the Hash of an earlier one (or 0) would share or lose its
    // key at the next save: it draws a new Hash.
    template <class Item>
    void MakeHashesDistinct(const std::deque<Item*>& list);

    enum List { kTimerList, kStopwatchList, kAlarmList, kListCount };

    static ItemStore* current_;

    bool activityDriverUsable_;
    uint64_t starts_ = 0;  // timers and stopwatches started so far, numbering each start
    std::deque<AlarmItem*> alarms_;
    std::deque<TimerItem*> timers_;
    std::deque<StopwatchItem*> stopwatches_;
    ChimeItem chime_;
    std::unique_ptr<Settings> settings_;  // destroyed before the chime
    UnreadItemKeys unread_[kListCount];
};
