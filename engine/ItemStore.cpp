#include "ItemStore.h"

#include "AlarmItem.h"
#include "Settings.h"

ItemStore::ItemStore() : settings_(new Settings) {}

ItemStore::~ItemStore() {
    for (AlarmItem* alarm : alarms_) delete alarm;
    for (EventItem* timer : timers_) delete timer;
}

AlarmItem* ItemStore::FindAlarmByHash(ItemHash hash) const {
    for (AlarmItem* alarm : alarms_)
        if (alarm->Hash == hash) return alarm;
    return nullptr;
}

bool ItemStore::IsHashTaken(ItemHash hash) const {
    if (FindAlarmByHash(hash)) return true;
    for (EventItem* timer : timers_)
        if (timer->Hash == hash) return true;
    return false;
}
