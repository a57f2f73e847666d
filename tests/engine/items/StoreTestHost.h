#pragma once
// The test host with a real item store behind it: items ask the store for free
// hashes and settings, and chained timers start through it, as in the program.
#include "ItemStore.h"
#include "ItemTestHost.h"

class StoreTestHost : public ItemTestHost {
public:
    StoreTestHost() {
        startTimer = [this](ItemHash hash, bool stopwatch) -> TimerItem* {
            ItemStore* store = ItemStore::Current();
            if (!store) return nullptr;
            TimerItem* timer =
                stopwatch ? static_cast<TimerItem*>(store->FindStopwatchByHash(hash)) : store->FindTimerByHash(hash);
            TimerItem* started = timer ? store->StartTimer(timer, true) : nullptr;
            if (started) Reschedule();
            return started;
        };
    }

    bool StoreExists() const override { return ItemStore::Current() != nullptr; }
    bool IsHashTaken(ItemHash hash) const override {
        return ItemStore::Current() && ItemStore::Current()->IsHashTaken(hash);
    }
    const Settings& GetSettings() const override {
        return ItemStore::Current() ? ItemStore::Current()->GetSettings() : settings;
    }
};
