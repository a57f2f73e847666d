#include "DueMoments.h"

#include "ItemStore.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kOccurrenceDays = 7;
constexpr OleDate kFiringHorizonDays = 60.0 / 86400.0;

// Milliseconds from now until `when`, rounded up; -1 when it is not within the horizon.
int64_t MsUntil(OleDate now, OleDate when) {
    const OleDate days = when - now;
    if (!(days > 0 && days < kFiringHorizonDays)) return -1;
    return static_cast<int64_t>(std::ceil(days * 86400000.0));
}

// Now plus the whole seconds of a remaining duration.
OleDate AfterWholeSeconds(OleDate now, Ticks100ns remaining) {
    return now + static_cast<double>(remaining / kTicksPerSecond) / 86400.0;
}

}  // namespace

DueMoments DueMoments::Collect(ItemStore& store, OleDate now) {
    DueMoments due;
    for (const TimerItem* timer : store.Timers()) {
        if (!timer->IsRunning() || timer->IsTemplate() || timer->time < 0) continue;
        due.moments_.push_back(AfterWholeSeconds(now, timer->time));
    }
    // A stopwatch that stops must wake the program at its stop time too, or it would
    // only be found expired at the next start.
    for (const StopwatchItem* stopwatch : store.Stopwatches()) {
        if (!stopwatch->IsRunning() || (stopwatch->flags & TimerItem::kStopwatchHeld) ||
            stopwatch->StopTime == StopwatchItem::kNoStopTime || stopwatch->IsExpired())
            continue;
        due.moments_.push_back(AfterWholeSeconds(now, stopwatch->StopTime - stopwatch->time));
    }
    for (AlarmItem* alarm : store.Alarms()) due.AddAlarm(*alarm, now);

    OleDate chime = store.Chime().NextDue(now);
    if (chime < kOleDateNever) due.moments_.push_back(chime);

    std::sort(due.moments_.begin(), due.moments_.end());
    due.moments_.erase(std::unique(due.moments_.begin(), due.moments_.end()), due.moments_.end());
    return due;
}

void DueMoments::AddAlarm(AlarmItem& alarm, OleDate now) {
    if (alarm.flags & AlarmItem::kNew) return;
    const uint32_t recompute = AlarmItem::kEnabled | AlarmItem::kFired;
    if ((alarm.flags & recompute) == recompute && (alarm.flags & AlarmItem::kDaysMask) && alarm.IsDismissed()) {
        alarm.time = alarm.NextFireTime(now);
        alarm.flags &= ~AlarmItem::kFired;
    }
    if (!alarm.IsDismissed() && alarm.snooze < kOleDateNever) {
        moments_.push_back(alarm.snooze);
        Offer(alarm, alarm.snooze);
    }
    // Occurrences seen from several days often coincide (an alarm on one weekday
    // gives the same one seven times): a skipped occurrence is left out everywhere.
    OleDate skipped = kOleDateNever;
    for (int day = 0; day < kOccurrenceDays; ++day) {
        OleDate t = alarm.NextFireTime(now + day);
        if (t >= kOleDateNever) continue;
        moments_.push_back(t);
        if ((alarm.flags & AlarmItem::kSkipNext) && skipped >= kOleDateNever) skipped = t;
        if (t != skipped) Offer(alarm, t);
    }
}

void DueMoments::Offer(const AlarmItem& alarm, OleDate when) {
    if (!MayShowAsNearest(alarm) || when >= nearest_.when) return;
    nearest_.alarm = &alarm;
    nearest_.when = when;
}

bool DueMoments::MayShowAsNearest(const AlarmItem& alarm) {
    if (alarm.flags & AlarmItem::kHidden) return false;
    return alarm.IsOption7() || alarm.IsOption1() || alarm.IsOption5();
}

int64_t DueMoments::MsToNextFiring(const ItemStore& store, OleDate now, OleDate checkedAt, int64_t sinceCheckMs) {
    int64_t next = -1;
    auto offer = [&next](int64_t ms) {
        if (ms > 0 && (next < 0 || ms < next)) next = ms;
    };
    // A moment that came after the tick last checked is due at once, though the clock has
    // passed it by now: a slow tick or reschedule must not leave it to the next tick. One
    // the tick saw overdue is waiting for something else (a clock change's word, the end
    // of a ring).
    auto offerMoment = [&](OleDate when, int64_t after) {
        const int64_t ms = MsUntil(now, when);
        if (ms >= 0) offer(ms + after);
        const int64_t sinceCheck = MsUntil(checkedAt, when);
        if (sinceCheck >= 0) offer(std::max<int64_t>(sinceCheck + after - sinceCheckMs, 1));
    };
    for (const AlarmItem* alarm : store.Alarms()) offerMoment(alarm->FireDue(), 0);
    // The chime strikes once its moment has passed.
    offerMoment(store.Chime().StrikeAfter(), 1);
    // A count that is overdue expires them at once.
    auto offerCount = [&](int64_t ms) {
        if (ms >= 0) offer(std::max<int64_t>(ms - sinceCheckMs, 1));
    };
    for (const TimerItem* timer : store.Timers()) offerCount(ItemStore::Counts(*timer) ? timer->MsToExpiry() : -1);
    for (const StopwatchItem* stopwatch : store.Stopwatches()) offerCount(stopwatch->MsToExpiry());
    return next;
}
