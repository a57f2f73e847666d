#include "TodayStore.h"

#include "ItemStore.h"
#include "ProductKey.h"
#include "RegKeyRefTyped.h"
#include "SaveStamp.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace {

constexpr int kMaxSubKeyChars = 63;

// Every subkey of listName\Items under the product key, in index order, until the
// enumeration refuses one; a subkey that cannot be opened is skipped. load() gets each.
void ForEachItemKey(const RegKeyRef& product, const wchar_t* listName,
                    const std::function<void(const RegKeyRef&)>& load, const std::function<void(const RegKeyRef&)>& after) {
    RegKeyRef list = RegKeyRef::OpenSubKey(listName, product, true);
    if (!list.IsOpen()) return;
    RegKeyRef items = RegKeyRef::OpenSubKey(ItemStore::kItemsSubKey, list, true);
    if (!items.IsOpen()) return;
    for (DWORD index = 0;; ++index) {
        wchar_t name[kMaxSubKeyChars + 1] = {};
        DWORD length = kMaxSubKeyChars + 1;
        if (RegEnumKeyExW(items.Key(), index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        RegKeyRef key = RegKeyRef::OpenSubKey(name, items, true);
        if (key.IsOpen()) load(key);
    }
    after(items);
}

}  // namespace

OleDate TodayStore::NextExpiry(const TimerItem& timer, OleDate now) {
    if (!timer.IsRunning() || timer.IsTemplate() || timer.time < 0) return kOleDateNever;
    return now + static_cast<double>(timer.time) / static_cast<double>(kTicksPerDay);
}

void TodayStore::Clear() {
    alarms_.clear();
    timers_.clear();
    stopwatches_.clear();
}

void TodayStore::Load(OleDate now) {
    Clear();
    RegKeyRef product = RegKeyRef::Open(ProductKey::kPath, HKEY_CURRENT_USER, false);
    if (!product.IsOpen()) return;

    // What the running ones lost while the program was away, in whole seconds.
    const Ticks100ns elapsed = Ticks_FromSeconds(SaveStamp::MsSinceSave(product, now) / 1000);

    ForEachItemKey(
        product, ItemStore::kTimersSubKey,
        [&](const RegKeyRef& key) {
            auto timer = std::make_unique<TimerItem>();
            // An expired timer the program keeps only until its ring is answered is
            // nothing to start or show here.
            if (!timer->Load(key, elapsed) || timer->ringOnItsWay) return;
            timer->flags &= ~TimerItem::kNew;
            timers_.push_back(std::move(timer));
        },
        [&](const RegKeyRef& items) {
            RegKeyRef_QueryBinary(items, &lastTimerTime, sizeof lastTimerTime, ItemStore::kLastTimerTimeValue, true);
        });
    ForEachItemKey(
        product, ItemStore::kStopwatchesSubKey,
        [&](const RegKeyRef& key) {
            auto stopwatch = std::make_unique<StopwatchItem>(static_cast<int>(stopwatches_.size() + 1), lastStopwatchTime);
            if (!stopwatch->Load(key, elapsed)) return;
            stopwatch->flags &= ~TimerItem::kNew;
            stopwatches_.push_back(std::move(stopwatch));
        },
        [&](const RegKeyRef& items) {
            RegKeyRef_QueryBinary(items, &lastStopwatchTime, sizeof lastStopwatchTime,
                                  ItemStore::kLastStopwatchTimeValue, true);
        });
    ForEachItemKey(
        product, ItemStore::kAlarmsSubKey,
        [&](const RegKeyRef& key) {
            auto alarm = std::make_unique<AlarmItem>();
            if (!alarm->Load(key)) return;
            alarm->flags &= ~AlarmItem::kNew;
            alarms_.push_back(std::move(alarm));
        },
        [](const RegKeyRef&) {});

    // Stable, so items due at the same moment keep the order the registry lists them in.
    std::stable_sort(alarms_.begin(), alarms_.end(), [now](const auto& a, const auto& b) {
        return a->NextFireTime(now) < b->NextFireTime(now);
    });
    auto byExpiry = [now](const auto& a, const auto& b) { return NextExpiry(*a, now) < NextExpiry(*b, now); };
    std::stable_sort(timers_.begin(), timers_.end(), byExpiry);
    std::stable_sort(stopwatches_.begin(), stopwatches_.end(), byExpiry);
}
