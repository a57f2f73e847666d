#include "ItemStore.h"

#include "ItemHost.h"
#include "ProductKey.h"
#include "RegKeyRefTyped.h"
#include "RegKeyTree.h"
#include "SaveStamp.h"
#include "Version3Import.h"

#include <DeviceClock.h>
#include <algorithm>
#include <functional>
#include <new>
#include <string>
#include <unordered_set>

ItemStore* ItemStore::current_ = nullptr;

namespace {

RegKeyRef OpenProductKey(bool openOnly) { return RegKeyRef::Open(ProductKey::kPath, HKEY_CURRENT_USER, openOnly); }

// listName\Items under the product key; null when it cannot be opened (or created).
RegKeyRef OpenItemsKey(const RegKeyRef& productKey, const wchar_t* listName, bool openOnly) {
    RegKeyRef list = RegKeyRef::OpenSubKey(listName, productKey, openOnly);
    if (!list.IsOpen()) return RegKeyRef();
    return RegKeyRef::OpenSubKey(ItemStore::kItemsSubKey, list, openOnly);
}

std::wstring HashKeyName(ItemHash hash) { return std::to_wstring(hash); }

template <class Item>
Item* FindByHash(const std::deque<Item*>& list, ItemHash hash) {
    for (Item* item : list)
        if (item->Hash == hash) return item;
    return nullptr;
}

template <class Item>
bool Contains(const std::deque<Item*>& list, const EventItem* item) {
    for (Item* member : list)
        if (static_cast<const EventItem*>(member) == item) return true;
    return false;
}

template <class Item>
void DestroyAll(std::deque<Item*>& list) {
    for (Item* item : list) delete item;
    list.clear();
}

// Removes item from list and destroys it; false (nothing touched) when it is not there.
template <class Item>
bool RemoveFrom(std::deque<Item*>& list, Item* item) {
    auto it = std::find(list.begin(), list.end(), item);
    if (!item || it == list.end()) return false;
    list.erase(it);
    delete item;
    return true;
}

// Loads every subkey of items into a new item that make() appends to list. An item
// that fails to load leaves the list again, and its subkey is deleted afterwards; a
// subkey that could not be read at all is noted and kept.
template <class Item>
void LoadList(const RegKeyRef& items, std::deque<Item*>& list, const std::function<Item*()>& make,
              const std::function<bool(Item&, const RegKeyRef&)>& load, UnreadItemKeys& unread) {
    std::vector<std::wstring> failed;
    for (const std::wstring& name : RegKeyTree_SubKeyNames(items)) {
        RegKeyRef key = RegKeyRef::OpenSubKey(name.c_str(), items, true);
        Item* item = key.IsOpen() ? make() : nullptr;
        if (!item) {
            unread.NoteUnread(name);
            continue;
        }
        if (load(*item, key)) continue;
        RemoveFrom(list, item);
        failed.push_back(name);
    }
    for (const std::wstring& name : failed) RegKeyTree_Delete(items, name.c_str());
}

// Writes every item of list under items: into the subkey named after its Hash when
// there is one, else into a new one (unless skip says no). Subkeys of items no longer
// in the list go last, once everything else is written, so an interrupted save never
// leaves an item without its key. What the load could not read stays.
template <class Item>
void SaveList(const RegKeyRef& items, const std::deque<Item*>& list, const std::function<bool(const Item&)>& skip,
              UnreadItemKeys& unread) {
    if (!items.IsOpen()) return;
    std::unordered_set<ItemHash> written;
    std::vector<std::wstring> stale;
    for (const std::wstring& name : RegKeyTree_SubKeyNames(items)) {
        Item* owner = nullptr;
        for (Item* item : list) {
            if (HashKeyName(item->Hash) == name && !written.count(item->Hash)) {
                owner = item;
                break;
            }
        }
        if (!owner) {
            if (!unread.Keeps(name)) stale.push_back(name);
            continue;
        }
        RegKeyRef key = RegKeyRef::OpenSubKey(name.c_str(), items, false);
        if (key.IsOpen()) owner->Save(key);
        written.insert(owner->Hash);
    }
    for (Item* item : list) {
        if (written.count(item->Hash) || skip(*item)) continue;
        const std::wstring name = HashKeyName(item->Hash);
        RegKeyRef key = RegKeyRef::OpenSubKey(name.c_str(), items, false);
        if (key.IsOpen()) item->Save(key);
        unread.NoteWritten(name);
        written.insert(item->Hash);
    }
    for (const std::wstring& name : stale) RegKeyTree_Delete(items, name.c_str());
}

}  // namespace

ItemStore::ItemStore(const RcString& soundsFolder, bool activityDriverUsable)
    : activityDriverUsable_(activityDriverUsable), chime_(soundsFolder), settings_(new Settings) {
    ItemStore_ImportVersion3();
    Load();
}

ItemStore::~ItemStore() {
    if (current_ == this) current_ = nullptr;
    ClearAlarms();
    ClearTimers();
    ClearStopwatches();
    settings_.reset();
}

AlarmItem* ItemStore::FindAlarmByHash(ItemHash hash) const { return FindByHash(alarms_, hash); }
TimerItem* ItemStore::FindTimerByHash(ItemHash hash) const { return FindByHash(timers_, hash); }
StopwatchItem* ItemStore::FindStopwatchByHash(ItemHash hash) const { return FindByHash(stopwatches_, hash); }

bool ItemStore::ContainsItem(const EventItem* item) const {
    if (!item) return false;
    return Contains(timers_, item) || Contains(alarms_, item) || Contains(stopwatches_, item) ||
           item == static_cast<const EventItem*>(&chime_);
}

bool ItemStore::IsHashTaken(ItemHash hash) const { return FindTimerByHash(hash) || FindAlarmByHash(hash); }

AlarmItem* ItemStore::CreateAlarm(const AlarmItem* from) {
    size_t number = alarms_.size();
    // The hidden clock-synchronisation alarm is not counted.
    if (!FindAlarmByHash(ItemHash_OfName(kAtomicClockAlarmName))) ++number;
    std::unique_ptr<AlarmItem> alarm(new (std::nothrow) AlarmItem);
    if (!alarm) return nullptr;
    alarm->title.Format(L"%s%u", kAlarmTitlePrefix, static_cast<unsigned>(number));
    if (from) {
        alarm->CopyActions(*from);
        alarm->flags = from->flags;
        alarm->time = from->time;
        alarm->snooze = from->snooze;
        ItemHost* host = ItemHost::Current();
        std::wstring copyTitle = host ? host->TranslatedString(kCopyOfStringId) : std::wstring();
        if (copyTitle.empty()) copyTitle = kCopyOfText;
        if (copyTitle.back() != L' ') copyTitle += L' ';
        copyTitle += from->title.CStr();
        alarm->title.SetCStr(copyTitle.c_str());
    }
    alarms_.push_back(alarm.get());
    return alarm.release();
}

TimerItem* ItemStore::CreateTimer(const TimerItem* from) {
    size_t number = timers_.size() + 1;
    std::unique_ptr<TimerItem> timer(new (std::nothrow) TimerItem);
    if (!timer) return nullptr;
    timer->MakeUniqueHash();
    if (from) {
        timer->Assign(*from);
        timer->flags &= ~TimerItem::kTemplate;
    } else {
        timer->title.Format(L"%s - %d", TimerItem::kDefaultTitleWord, static_cast<int>(number));
        timer->SetOption1(true);
        timer->flags |= TimerItem::kRunning;
        timer->time = LastTimerTime;
    }
    timers_.push_back(timer.get());
    return timer.release();
}

StopwatchItem* ItemStore::CreateStopwatch() {
    std::unique_ptr<StopwatchItem> stopwatch(
        new (std::nothrow) StopwatchItem(static_cast<int>(stopwatches_.size() + 1), LastStopwatchTime));
    if (!stopwatch) return nullptr;
    // Stopwatches are not among the hashes the items avoid by themselves.
    while (stopwatch->Hash == 0 || FindStopwatchByHash(stopwatch->Hash)) stopwatch->MakeUniqueHash();
    stopwatches_.push_back(stopwatch.get());
    return stopwatch.release();
}

void ItemStore::RemoveAlarm(AlarmItem* alarm) { RemoveFrom(alarms_, alarm); }

int ItemStore::RemoveTimer(TimerItem* timer) {
    if (!Contains(timers_, timer)) return 0;
    timer->flags &= ~TimerItem::kRunning;
    return RemoveFrom(timers_, timer) ? 1 : 0;
}

int ItemStore::RemoveStopwatch(StopwatchItem* stopwatch) {
    if (!Contains(stopwatches_, stopwatch)) return 0;
    stopwatch->flags &= ~TimerItem::kRunning;
    return RemoveFrom(stopwatches_, stopwatch) ? 1 : 0;
}

void ItemStore::ClearAlarms() { DestroyAll(alarms_); }
void ItemStore::ClearTimers() { DestroyAll(timers_); }
void ItemStore::ClearStopwatches() { DestroyAll(stopwatches_); }

AlarmItem* ItemStore::SetAtomicClockAlarm() {
    ItemHash fixed = ItemHash_OfName(kAtomicClockAlarmName);
    if (AlarmItem* existing = FindAlarmByHash(fixed)) return existing;
    AlarmItem* alarm = CreateAlarm(nullptr);
    if (!alarm) return nullptr;
    alarm->flags &= ~(AlarmItem::kEnabled | AlarmItem::kNew);
    alarm->flags |= AlarmItem::kFired | AlarmItem::kHidden;
    alarm->SetDismissed(true);
    alarm->Hash = fixed;
    alarm->title.SetCStr(kAtomicClockTitle);
    alarm->SetOption3(false);
    alarm->SetOption7(false);
    alarm->SetOption5(false);
    alarm->SetOption1(false);
    alarm->SnoozeType = EventItem::kSnoozeTypeKeepShowing;
    SYSTEMTIME local;
    DeviceClock_GetLocalTime(&local);
    alarm->time = Time_DateFromParts(local.wYear, local.wMonth, local.wDay, 11, 0, 0, 0);
    alarm->actionType = Action::kTypeClockSync;
    alarm->action = Action_Create(Action::kTypeClockSync);
    return alarm;
}

TimerItem* ItemStore::StartTimer(TimerItem* timer, bool restart) {
    if (!ContainsItem(timer)) return nullptr;
    if (timer->IsTemplate() && !timer->IsStopwatch()) {
        timer = CreateTimer(timer);
        if (!timer) return nullptr;
        timer->flags &= ~TimerItem::kNew;
    } else if (restart) {
        timer->time = timer->IsStopwatch() ? 0 : timer->origTime;
    }
    // Its whole seconds count from this start.
    timer->counting = false;
    timer->startNumber = ++starts_;
    timer->flags |= TimerItem::kRunning;
    timer->SnoozeCount = 0;
    timer->SetDismissed(true);
    return timer;
}

// Both loops go by index over the items there were at the start: an expiry may start
// a template's copy, which joins the list while the loop runs. An item an expiry started
// during the loop began after the time being counted, wherever it stands in the list.
void ItemStore::CountDownTimers(int64_t elapsedMs) {
    const uint64_t startsBefore = starts_;
    const size_t count = timers_.size();
    for (size_t i = 0; i < count && i < timers_.size(); ++i) {
        TimerItem* timer = timers_[i];
        if (!Counts(*timer))
            timer->counting = false;
        else if (timer->startNumber <= startsBefore)
            timer->CountDown(elapsedMs);
    }
}

void ItemStore::StartCountingStarted(int64_t sinceCountMs) {
    for (TimerItem* timer : timers_) {
        if (!Counts(*timer))
            timer->counting = false;
        else if (!timer->counting)
            timer->StartCounting(sinceCountMs);
    }
}

bool ItemStore::Counts(const TimerItem& timer) {
    return timer.IsRunning() && !timer.IsTemplate() && !timer.IsNew();
}

void ItemStore::CountUpStopwatches(Ticks100ns elapsed) {
    const uint64_t startsBefore = starts_;
    const size_t count = stopwatches_.size();
    for (size_t i = 0; i < count && i < stopwatches_.size(); ++i)
        if (stopwatches_[i]->startNumber <= startsBefore) stopwatches_[i]->CountUp(elapsed);
}

template <class Item>
void ItemStore::MakeHashesDistinct(const std::deque<Item*>& list) {
    for (size_t i = 0; i < list.size(); ++i) {
        auto sameAsEarlier = [&](ItemHash hash) {
            for (size_t j = 0; j < i; ++j)
                if (list[j]->Hash == hash) return true;
            return false;
        };
        while (list[i]->Hash == 0 || sameAsEarlier(list[i]->Hash)) list[i]->MakeUniqueHash();
    }
}

void ItemStore::Load() {
    ClearAlarms();
    ClearTimers();
    ClearStopwatches();
    // Items made while loading, and every item made later, find this store.
    current_ = this;
    RegKeyRef product = OpenProductKey(false);
    // Nothing read: a later save must not take what is there for gone.
    for (UnreadItemKeys& unread : unread_) unread.Reset(!product.IsOpen());
    if (!product.IsOpen()) return;
    settings_->Load(product, activityDriverUsable_);

    // Running timers and stopwatches went on while the program was away, counted in whole
    // seconds; a timer's count goes on with the part of a second left over.
    const int64_t awayMs = SaveStamp::MsSinceSave(product, Time_NowAsDate(false));
    const Ticks100ns away = Ticks_FromSeconds(awayMs / 1000);
    const int32_t awaySecondMs = static_cast<int32_t>(awayMs % 1000);

    RegKeyRef timerItems = OpenItemsKey(product, kTimersSubKey, true);
    if (!timerItems.IsOpen()) unread_[kTimerList].NoteListUnreadable(product, kTimersSubKey, kItemsSubKey);
    if (timerItems.IsOpen()) {
        LoadList<TimerItem>(
            timerItems, timers_, [this] { return CreateTimer(nullptr); },
            [away, awaySecondMs](TimerItem& timer, const RegKeyRef& key) {
                if (!timer.Load(key, away)) return false;
                timer.flags &= ~TimerItem::kNew;
                timer.counting = Counts(timer);
                timer.secondMs = timer.counting ? awaySecondMs : 0;
                return true;
            },
            unread_[kTimerList]);
        RegKeyRef_QueryBinary(timerItems, &LastTimerTime, sizeof LastTimerTime, kLastTimerTimeValue, true);
    }
    RegKeyRef stopwatchItems = OpenItemsKey(product, kStopwatchesSubKey, true);
    if (!stopwatchItems.IsOpen())
        unread_[kStopwatchList].NoteListUnreadable(product, kStopwatchesSubKey, kItemsSubKey);
    if (stopwatchItems.IsOpen()) {
        LoadList<StopwatchItem>(
            stopwatchItems, stopwatches_, [this] { return CreateStopwatch(); },
            [away](StopwatchItem& stopwatch, const RegKeyRef& key) {
                if (!stopwatch.Load(key, away)) return false;
                stopwatch.flags &= ~TimerItem::kNew;
                return true;
            },
            unread_[kStopwatchList]);
        LastStopwatchTime = StopwatchItem::kNoStopTime;
        RegKeyRef_QueryBinary(stopwatchItems, &LastStopwatchTime, sizeof LastStopwatchTime, kLastStopwatchTimeValue,
                              true);
    }
    RegKeyRef alarmItems = OpenItemsKey(product, kAlarmsSubKey, true);
    if (!alarmItems.IsOpen()) unread_[kAlarmList].NoteListUnreadable(product, kAlarmsSubKey, kItemsSubKey);
    if (alarmItems.IsOpen()) {
        LoadList<AlarmItem>(
            alarmItems, alarms_, [this] { return CreateAlarm(nullptr); },
            [](AlarmItem& alarm, const RegKeyRef& key) {
                if (!alarm.Load(key)) return false;
                alarm.flags &= ~AlarmItem::kNew;
                return true;
            },
            unread_[kAlarmList]);
    }
    MakeHashesDistinct(timers_);
    MakeHashesDistinct(stopwatches_);
    MakeHashesDistinct(alarms_);
    chime_.Load(product);
}

void ItemStore::Save(bool settingsOnly) {
    RegKeyRef product = OpenProductKey(false);
    if (!product.IsOpen()) return;
    if (settingsOnly) {
        settings_->Save(product);
    } else {
        SaveStamp::Write(product);
        // An alarm its editor has not confirmed yet gets no key.
        SaveList<AlarmItem>(OpenItemsKey(product, kAlarmsSubKey, false), alarms_,
                            [](const AlarmItem& alarm) { return (alarm.flags & AlarmItem::kNew) != 0; },
                            unread_[kAlarmList]);
        SaveTimerLists(product);
    }
    chime_.Save(product);
    if (ItemHost* host = ItemHost::Current()) host->MarkRegistryDirty();
    NotifyToday();
}

void ItemStore::SaveTimers() {
    RegKeyRef product = OpenProductKey(false);
    if (!product.IsOpen()) return;
    SaveStamp::Write(product);
    SaveTimerLists(product);
    for (TimerItem* timer : timers_) {
        if (timer->IsRunning() && !timer->IsTemplate()) {
            NotifyToday();
            break;
        }
    }
}

void ItemStore::SaveTimerLists(const RegKeyRef& productKey) {
    RegKeyRef timerItems = OpenItemsKey(productKey, kTimersSubKey, false);
    SaveList<TimerItem>(timerItems, timers_, [](const TimerItem&) { return false; }, unread_[kTimerList]);
    if (timerItems.IsOpen())
        RegKeyRef_SetBinary(timerItems, &LastTimerTime, sizeof LastTimerTime, kLastTimerTimeValue);
    RegKeyRef stopwatchItems = OpenItemsKey(productKey, kStopwatchesSubKey, false);
    SaveList<StopwatchItem>(stopwatchItems, stopwatches_, [](const StopwatchItem&) { return false; },
                            unread_[kStopwatchList]);
    if (stopwatchItems.IsOpen())
        RegKeyRef_SetBinary(stopwatchItems, &LastStopwatchTime, sizeof LastStopwatchTime, kLastStopwatchTimeValue);
}

void ItemStore::NotifyToday() const {
    RegKeyRef product = OpenProductKey(true);
    if (!product.IsOpen()) return;
    DWORD window = 0;
    if (RegKeyRef_QueryDword(product, &window, kTodayWindowValue, 0) != ERROR_SUCCESS) return;
    // The Today item stores its handle in 32 bits; handles widen with their sign.
    HWND today = reinterpret_cast<HWND>(static_cast<LONG_PTR>(static_cast<LONG>(window)));
    PostMessageW(today, kTodayReloadMessage, 0, 0);
}
