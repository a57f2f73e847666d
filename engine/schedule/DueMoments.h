#pragma once
// Every moment at which an item of the store falls due, and the nearest alarm the
// shell and the Today item show. Collecting also gives dismissed alarms that were
// marked for it their next time, as the store keeps them.
#include "DateFunctions.h"

#include <vector>

class AlarmItem;
class ItemStore;

class DueMoments {
public:
    struct Nearest {
        const AlarmItem* alarm = nullptr;
        OleDate when = kOleDateNever;
    };

    // Running timers and stopwatches that stop, alarms' snoozes and next 7 days of
    // occurrences, and the chime, as seen at now (local).
    static DueMoments Collect(ItemStore& store, OleDate now);

    // Ascending, without exact duplicates.
    const std::vector<OleDate>& Moments() const { return moments_; }
    // No alarm when none may be shown as the nearest.
    const Nearest& NearestAlarm() const { return nearest_; }

    // Whether an alarm may be shown as the nearest: not hidden, and it rings somehow.
    static bool MayShowAsNearest(const AlarmItem& alarm);

    // How long from now (local) until the engine's tick next finds something due within
    // the next minute: an alarm's time or the end of its snooze, the chime, or a timer
    // or stopwatch as they count; the tick last checked them at checkedAt (local),
    // sinceCheckMs ago. -1 when nothing.
    static int64_t MsToNextFiring(const ItemStore& store, OleDate now, OleDate checkedAt, int64_t sinceCheckMs);

private:
    void AddAlarm(AlarmItem& alarm, OleDate now);
    void Offer(const AlarmItem& alarm, OleDate when);

    std::vector<OleDate> moments_;
    Nearest nearest_;
};
