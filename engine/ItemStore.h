#pragma once
// The single owner of all alarms, timers, stopwatches, the chime and the
// settings; loads everything from the registry when constructed.
class ItemStore {
public:
    ItemStore() = default;
    ~ItemStore();
    ItemStore(const ItemStore&) = delete;
    ItemStore& operator=(const ItemStore&) = delete;
};
