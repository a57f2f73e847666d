#pragma once
// The single owner of all alarms, timers, stopwatches, the chime and the
// settings; loads everything from the registry when constructed.
#include "ItemHash.h"

#include <deque>
#include <memory>

class AlarmItem;
class EventItem;
class Settings;

class ItemStore {
public:
    ItemStore();
    ~ItemStore();
    ItemStore(const ItemStore&) = delete;
    ItemStore& operator=(const ItemStore&) = delete;

    Settings& GetSettings() { return *settings_; }
    const Settings& GetSettings() const { return *settings_; }
    // Owned items, in list order.
    std::deque<AlarmItem*>& Alarms() { return alarms_; }
    std::deque<EventItem*>& Timers() { return timers_; }
    AlarmItem* FindAlarmByHash(ItemHash hash) const;
    // True when an alarm or a timer has that Hash; stopwatches and the chime do not count.
    bool IsHashTaken(ItemHash hash) const;

private:
    std::unique_ptr<Settings> settings_;
    std::deque<AlarmItem*> alarms_;
    std::deque<EventItem*> timers_;
};
