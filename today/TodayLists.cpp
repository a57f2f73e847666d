#include "TodayLists.h"

#include "ProductKey.h"
#include "RegKeyRef.h"

#include <algorithm>

void TodayLists::Build(TodayStore& store, OleDate now, uint32_t pluginHeight) {
    timers_.clear();
    for (auto& timer : store.MutableTimers())
        if (TodayStore::NextExpiry(*timer, now) != kOleDateNever) timers_.push_back({timer.get(), now});
    std::stable_sort(timers_.begin(), timers_.end(), [now](const TodayTimerEntry& a, const TodayTimerEntry& b) {
        return TodayStore::NextExpiry(*a.timer, now) < TodayStore::NextExpiry(*b.timer, now);
    });

    alarms_.clear();
    for (const auto& alarm : store.Alarms()) {
        if (!alarm->IsOption7()) continue;
        if (alarm->flags & (AlarmItem::kHidden | AlarmItem::kNew)) continue;
        const int first = (alarm->flags & AlarmItem::kSkipNext) ? 1 : 0;
        // Each day's next occurrence, as long as it falls within the five days: from the
        // last days a weekly alarm would reach into next week.
        for (int day = first; day < kDaysAhead; ++day) {
            const OleDate reference = now + day;
            if (alarm->NextFireTime(reference) < now + kDaysAhead) alarms_.push_back({alarm.get(), reference, true});
        }
        // Rung and waiting in its snooze.
        if (!alarm->IsDismissed()) alarms_.push_back({alarm.get(), now, false});
    }
    // Equal times by Hash, so that copies of one occurrence lie side by side.
    std::stable_sort(alarms_.begin(), alarms_.end(), [](const TodayAlarmEntry& a, const TodayAlarmEntry& b) {
        const OleDate ta = a.Time(), tb = b.Time();
        return ta != tb ? ta < tb : a.alarm->Hash < b.alarm->Hash;
    });
    // The same occurrence reached from several days ahead is listed once.
    std::vector<TodayAlarmEntry> kept;
    for (const TodayAlarmEntry& entry : alarms_) {
        if (!kept.empty() && kept.back().Time() == entry.Time() && kept.back().alarm->Hash == entry.alarm->Hash)
            continue;
        kept.push_back(entry);
    }
    alarms_.swap(kept);

    alarmRows_ = pluginHeight / 2;
    timerRows_ = pluginHeight / 2 + pluginHeight % 2;
    buttonShown_ = !alarms_.empty() || timers_.size() >= 2;
}

uint32_t TodayLists::ReadPluginHeight() {
    RegKeyRef product = RegKeyRef::Open(ProductKey::kPath, HKEY_CURRENT_USER, false);
    RegKeyRef system = RegKeyRef::OpenSubKey(kClockSystemKey, product, false);
    DWORD height = kDefaultPluginHeight;
    RegKeyRef_QueryDword(system, &height, kPluginHeightValue, kDefaultPluginHeight);
    return height;
}

void TodayLists::AdvanceTimers(Ticks100ns elapsed) {
    for (TodayTimerEntry& entry : timers_) {
        TimerItem& timer = *entry.timer;
        if (!timer.IsRunning() || timer.time < 0) continue;
        timer.time -= elapsed;
        if (timer.time <= 0) {
            timer.time = -1;
            timer.flags &= ~TimerItem::kRunning;
        }
    }
}

bool TodayLists::OneLineShowsTimer(OleDate now) const {
    if (timers_.empty()) return false;
    return alarms_.empty() || TodayStore::NextExpiry(*timers_.front().timer, now) < alarms_.front().Time();
}
