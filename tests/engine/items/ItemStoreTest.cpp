// The item store: everything it saves comes back in a new store and in the
// registry layout the Today item reads, running items lose or gain the time the
// program was away, damaged subkeys cost only themselves, the Today item hears of
// every save, and stale or foreign item pointers are never touched.
#include "EngineMessage.h"
#include "FreshDeviceTest.h"
#include "ItemStore.h"
#include "RegistryProbe.h"
#include "StoreTestHost.h"

#include <DeviceClock.h>
#include <DeviceControl.h>
#include <gtest/gtest.h>

#include <sddl.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <set>

namespace {

using registryprobe::Differences;

const std::wstring kProduct = L"Software\\Ostrel\\Orvalen";
const std::wstring kAlarmItems = kProduct + L"\\Alarms\\Items";
const std::wstring kTimerItems = kProduct + L"\\Timers\\Items";
const std::wstring kStopwatchItems = kProduct + L"\\Stopwatches\\Items";
const Ticks100ns kSecond = kTicksPerSecond;
const RcString kSounds(L"\\Sounds");

void SetDeviceLocal(int hour, int minute) {
    SYSTEMTIME st = {};
    st.wYear = 2026;
    st.wMonth = 12;
    st.wDay = 7;
    st.wHour = static_cast<WORD>(hour);
    st.wMinute = static_cast<WORD>(minute);
    ASSERT_TRUE(DeviceClock_SetLocalTime(&st));
}

std::wstring KeyOf(const std::wstring& list, ItemHash hash) { return list + L"\\" + std::to_wstring(hash); }

Ticks100ns Ticks(const registryprobe::RawValue& value) {
    Ticks100ns ticks = -1;
    if (value.type == REG_BINARY && value.bytes.size() == sizeof ticks) memcpy(&ticks, value.bytes.data(), 8);
    return ticks;
}

TimerItem* RunningTimer(ItemStore& store, Ticks100ns left) {
    TimerItem* timer = store.CreateTimer(nullptr);
    timer->flags &= ~TimerItem::kNew;
    timer->time = timer->origTime = left;
    return timer;
}

AlarmItem* ConfirmedAlarm(ItemStore& store, const wchar_t* title) {
    AlarmItem* alarm = store.CreateAlarm(nullptr);
    alarm->flags &= ~AlarmItem::kNew;
    alarm->title.SetCStr(title);
    return alarm;
}

std::vector<UINT> TakeMessageNumbers(HWND window) {
    std::vector<UINT> numbers;
    MSG msg;
    while (PeekMessageW(&msg, window, 0, 0, PM_REMOVE)) numbers.push_back(msg.message);
    return numbers;
}

// Every value under the product key except the save stamp.
std::map<std::wstring, registryprobe::RawValue> SavedItems() {
    auto tree = registryprobe::Tree(kProduct);
    tree.erase(SaveStamp::kLocalValue);
    tree.erase(SaveStamp::kUtcValue);
    return tree;
}

class CountedAlarm : public AlarmItem {
public:
    explicit CountedAlarm(int& destroyed) : destroyed_(destroyed) {}
    ~CountedAlarm() override { ++destroyed_; }

private:
    int& destroyed_;
};

}  // namespace

// Each test starts from an empty registry and a device clock of its own, however it is run.
class ItemStoreTest : public testsupport::FreshDeviceTest {};

TEST_F(ItemStoreTest, EverythingSavedComesBackInTheLayoutTheTodayItemReads) {
    SetDeviceLocal(10, 0);
    StoreTestHost host;
    ItemHash templateHash = 0, chainedHash = 0, selfHash = 0, stopwatchHash = 0, alarmHash = 0;
    {
        ItemStore store(kSounds, false);
        alarmHash = ConfirmedAlarm(store, L"Wake")->Hash;
        store.CreateAlarm(nullptr);  // not confirmed: never written
        TimerItem* tmpl = RunningTimer(store, 120 * kSecond);
        tmpl->flags = (tmpl->flags | TimerItem::kTemplate) & ~TimerItem::kRunning;
        templateHash = tmpl->Hash;
        TimerItem* chained = RunningTimer(store, 45 * kSecond);
        chained->NextTimer = templateHash;
        chainedHash = chained->Hash;
        TimerItem* self = RunningTimer(store, 30 * kSecond);
        self->NextTimer = selfHash = self->Hash;
        self->flags &= ~TimerItem::kRunning;
        StopwatchItem* stopwatch = store.CreateStopwatch();
        stopwatch->flags &= ~TimerItem::kNew;
        stopwatch->time = 75 * kSecond;
        stopwatch->laps = {{10 * kSecond, 20 * kSecond}, {70 * kSecond}};
        stopwatchHash = stopwatch->Hash;
        store.Chime().Active = 1;
        store.Chime().ChimeType = ChimeItem::kEveryQuarter;
        store.LastTimerTime = 42 * kSecond;
        store.Save(false);
    }
    // The raw layout, keyed by the signed decimal Hash.
    EXPECT_EQ(REG_BINARY, registryprobe::Read(kProduct, L"SavedTime").type);
    EXPECT_EQ(static_cast<DWORD>(alarmHash), registryprobe::Read(KeyOf(kAlarmItems, alarmHash), L"Hash").Dword());
    EXPECT_EQ(REG_DWORD, registryprobe::Read(KeyOf(kAlarmItems, alarmHash), L"flags").type);
    EXPECT_EQ(8u, registryprobe::Read(KeyOf(kAlarmItems, alarmHash), L"time").bytes.size());
    EXPECT_EQ(L"Wake", registryprobe::Read(KeyOf(kAlarmItems, alarmHash), L"title").Text().substr(0, 4));
    EXPECT_EQ(45 * kSecond, Ticks(registryprobe::Read(KeyOf(kTimerItems, chainedHash), L"time")));
    EXPECT_EQ(static_cast<DWORD>(templateHash),
              registryprobe::Read(KeyOf(kTimerItems, chainedHash), L"NextTimer").Dword());
    EXPECT_EQ(42 * kSecond, Ticks(registryprobe::Read(kTimerItems, L"LastTimerTime")));
    EXPECT_EQ(70 * kSecond, Ticks(registryprobe::Read(KeyOf(kStopwatchItems, stopwatchHash) + L"\\Stages\\1", L"0")));
    EXPECT_EQ(INT64_MAX, Ticks(registryprobe::Read(kStopwatchItems, L"LastStopwatchTime")));
    EXPECT_EQ(REG_BINARY, registryprobe::Read(kProduct + L"\\ChimeItem", L"ChimeType").type);

    // A new store finds the same items (no time away without "SavedTime") and writes the same tree.
    registryprobe::Delete(kProduct, L"SavedTime");
    auto saved = SavedItems();
    ItemStore store(kSounds, false);
    ASSERT_EQ(1u, store.Alarms().size());
    EXPECT_STREQ(L"Wake", store.Alarms()[0]->title.CStr());
    ASSERT_EQ(3u, store.Timers().size());
    EXPECT_TRUE(store.FindTimerByHash(templateHash)->IsTemplate());
    EXPECT_EQ(45 * kSecond, store.FindTimerByHash(chainedHash)->time);
    EXPECT_EQ(selfHash, store.FindTimerByHash(selfHash)->NextTimer);
    ASSERT_EQ(1u, store.Stopwatches().size());
    EXPECT_EQ(75 * kSecond, store.Stopwatches()[0]->time);
    EXPECT_EQ(42 * kSecond, store.LastTimerTime);
    store.Save(false);
    // Only the version-3 import's marker is new: the first store found no product key to mark.
    EXPECT_EQ(std::vector<std::wstring>{L"ver3x"}, Differences(saved, SavedItems()));
}

TEST_F(ItemStoreTest, RunningItemsAccountForTheTimeAway) {
    StoreTestHost host;
    ItemHash longHash, shortHash, stoppedHash, stopwatchHash;
    {
        ItemStore store(kSounds, false);
        longHash = RunningTimer(store, 20 * 60 * kSecond)->Hash;
        shortHash = RunningTimer(store, 90 * kSecond)->Hash;
        TimerItem* stopped = RunningTimer(store, 90 * kSecond);
        stopped->flags &= ~TimerItem::kRunning;
        stoppedHash = stopped->Hash;
        StopwatchItem* stopwatch = store.CreateStopwatch();
        stopwatch->time = 10 * 60 * kSecond;
        stopwatchHash = stopwatch->Hash;
        store.Save(false);
    }
    OleDate saved = registryprobe::Read(kProduct, L"SavedTime").Double();
    ASSERT_TRUE(DeviceControl_JumpClock(600 * 1000));  // beyond what 32 bits of 100-ns units hold
    OleDate before = Time_NowAsDate(false);
    ItemStore store(kSounds, false);
    OleDate after = Time_NowAsDate(false);

    // The store counts whole seconds; it can only have seen a time between these two.
    Ticks100ns lost = 20 * 60 * kSecond - store.FindTimerByHash(longHash)->time;
    EXPECT_EQ(0, lost % kSecond);
    EXPECT_GE(lost / kSecond, Time_ElapsedMilliseconds(saved, before) / 1000);
    EXPECT_LE(lost / kSecond, Time_ElapsedMilliseconds(saved, after) / 1000);
    EXPECT_GE(lost, 600 * kSecond);
    EXPECT_EQ(10 * 60 * kSecond + lost, store.FindStopwatchByHash(stopwatchHash)->time);
    EXPECT_EQ(90 * kSecond, store.FindTimerByHash(stoppedHash)->time);

    TimerItem* expired = store.FindTimerByHash(shortHash);
    EXPECT_EQ(0, expired->time);
    EXPECT_TRUE(expired->IsExpired());
    host.TakeMessages();
    store.CountDownTimers(1000);
    std::vector<MSG> posted = host.TakeMessages();
    ASSERT_EQ(1u, posted.size());
    EXPECT_EQ(EngineMessage::kTimerExpired, posted[0].message);
    EXPECT_EQ(reinterpret_cast<WPARAM>(expired), posted[0].wParam);
}

TEST_F(ItemStoreTest, ClockSetBackOrAbsurdSaveStampsCostNothingOrEverythingButNeverWrap) {
    StoreTestHost host;
    ItemHash timerHash, stopwatchHash;
    {
        ItemStore store(kSounds, false);
        timerHash = RunningTimer(store, 60 * kSecond)->Hash;
        stopwatchHash = store.CreateStopwatch()->Hash;
        store.Save(false);
    }
    const struct {
        double savedTime;
        Ticks100ns timerLeft;
    } cases[] = {{Time_NowAsDate(false) + 3.0, 60 * kSecond},
                 {std::numeric_limits<double>::quiet_NaN(), 60 * kSecond},
                 {1.0, 0}};
    for (const auto& c : cases) {
        registryprobe::Write(kProduct, L"SavedTime", REG_BINARY, &c.savedTime, sizeof c.savedTime);
        ItemStore store(kSounds, false);
        ASSERT_NE(nullptr, store.FindTimerByHash(timerHash));
        EXPECT_EQ(c.timerLeft, store.FindTimerByHash(timerHash)->time);
        ASSERT_NE(nullptr, store.FindStopwatchByHash(stopwatchHash));
        EXPECT_GE(store.FindStopwatchByHash(stopwatchHash)->time, 0);
    }
}

// The time away is UTC time, so a new zone two hours east costs running timers nothing; a
// stamp of a save that wrote the local time alone (an older program's, beside the UTC
// stamp of an earlier save) counts in local time, as it did.
TEST_F(ItemStoreTest, TimeAwayIsUtcTimeUnlessTheSaveKeptOnlyLocalTime) {
    StoreTestHost host;
    const Ticks100ns twoHours = 7200 * kSecond;
    ItemHash hash;
    {
        ItemStore store(kSounds, false);
        hash = RunningTimer(store, twoHours)->Hash;
        store.Save(false);
    }
    TIME_ZONE_INFORMATION east;
    DeviceControl_MakeFixedZone(-120, &east);
    ASSERT_TRUE(DeviceClock_SetTimeZoneInformation(&east));
    {
        ItemStore store(kSounds, false);
        EXPECT_GT(store.FindTimerByHash(hash)->time, twoHours - 60 * kSecond);
    }
    const OleDate tenMinutesAgo = Time_NowAsDate(false) - 600.0 / 86400.0;
    registryprobe::Write(kProduct, L"SavedTime", REG_BINARY, &tenMinutesAgo, sizeof tenMinutesAgo);
    ItemStore store(kSounds, false);
    const Ticks100ns lost = twoHours - store.FindTimerByHash(hash)->time;
    EXPECT_GE(lost, 600 * kSecond);
    EXPECT_LT(lost, 660 * kSecond);
}

TEST_F(ItemStoreTest, DamagedSubkeysCostOnlyThemselves) {
    StoreTestHost host;
    ItemHash goodAlarm, goodTimer, twin;
    {
        ItemStore store(kSounds, false);
        goodAlarm = ConfirmedAlarm(store, L"Good")->Hash;
        twin = ConfirmedAlarm(store, L"Twin")->Hash;
        goodTimer = RunningTimer(store, 60 * kSecond)->Hash;
        StopwatchItem* stopwatch = store.CreateStopwatch();
        stopwatch->laps = {{1, 2, 3}};
        store.Save(false);
    }
    // A name that is no number, a Hash of the wrong type, missing and damaged values,
    // and a second alarm claiming the Hash of another.
    const std::wstring renamed = kAlarmItems + L"\\not a number";
    registryprobe::WriteDword(renamed, L"flags", 0x0080EA7F & ~AlarmItem::kNew);
    double time = 46000.5;
    registryprobe::Write(renamed, L"time", REG_BINARY, &time, sizeof time);
    registryprobe::WriteText(renamed, L"Hash", L"12x");
    registryprobe::WriteText(renamed, L"title", L"Renamed");
    registryprobe::WriteDword(kAlarmItems + L"\\77", L"Hash", 77);  // no flags, no time
    registryprobe::WriteText(kTimerItems + L"\\55", L"flags", L"8");
    registryprobe::WriteDword(kTimerItems + L"\\56", L"flags", 8);
    registryprobe::WriteDword(kTimerItems + L"\\56", L"NextTimer", 0);
    registryprobe::Write(kTimerItems + L"\\56", L"time", REG_BINARY, &time, 3);
    registryprobe::WriteDword(KeyOf(kAlarmItems, twin), L"Hash", static_cast<DWORD>(goodAlarm));

    ItemStore store(kSounds, false);
    ASSERT_EQ(3u, store.Alarms().size());
    EXPECT_NE(nullptr, store.FindAlarmByHash(goodAlarm));
    EXPECT_NE(store.Alarms()[0]->Hash, store.Alarms()[1]->Hash);
    EXPECT_NE(store.Alarms()[1]->Hash, store.Alarms()[2]->Hash);
    EXPECT_NE(store.Alarms()[0]->Hash, store.Alarms()[2]->Hash);
    EXPECT_FALSE(registryprobe::KeyExists(kAlarmItems + L"\\77"));
    EXPECT_FALSE(registryprobe::KeyExists(kTimerItems + L"\\55"));
    // The timer with a damaged time runs with the duration of a new timer.
    ASSERT_EQ(2u, store.Timers().size());
    EXPECT_NE(nullptr, store.FindTimerByHash(goodTimer));
    EXPECT_EQ(1u, store.Stopwatches().size());

    // A save gives every item a key of its own again; a reload finds them all.
    store.Save(false);
    EXPECT_FALSE(registryprobe::KeyExists(renamed));
    ItemStore reloaded(kSounds, false);
    EXPECT_EQ(3u, reloaded.Alarms().size());
    EXPECT_EQ(2u, reloaded.Timers().size());
    std::set<std::wstring> titles;
    for (AlarmItem* alarm : reloaded.Alarms()) titles.insert(alarm->title.CStr());
    EXPECT_EQ((std::set<std::wstring>{L"Good", L"Twin", L"Renamed"}), titles);
}

// Sets the key's access list (SDDL), as a user or another program may have left it.
void SetAccess(const std::wstring& key, const wchar_t* sddl) {
    HKEY h = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, WRITE_DAC, &h));
    PSECURITY_DESCRIPTOR sd = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &sd, nullptr));
    EXPECT_EQ(ERROR_SUCCESS, RegSetKeySecurity(h, DACL_SECURITY_INFORMATION, sd));
    LocalFree(sd);
    RegCloseKey(h);
}
const wchar_t kOnlyDelete[] = L"D:P(A;;SD;;;WD)";  // neither read nor write: it does not open
const wchar_t kEveryone[] = L"D:P(A;OICI;KA;;;WD)";

// Whether parent lists a subkey of that name, whether or not it opens.
bool Listed(const std::wstring& parent, ItemHash hash) {
    HKEY h = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, parent.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
    const std::wstring name = std::to_wstring(hash);
    bool found = false;
    wchar_t read[64];
    for (DWORD i = 0, n = 64; !found && RegEnumKeyExW(h, i, read, &n, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
         ++i, n = 64)
        found = name == read;
    RegCloseKey(h);
    return found;
}

// A subkey the load could not open, and a whole list whose Items key did not open at the
// start, keep everything in them through every save; a damaged item still goes.
TEST_F(ItemStoreTest, KeysTheLoadCouldNotReadOutliveTheSaves) {
    StoreTestHost host;
    ItemHash locked, timer;
    {
        ItemStore store(kSounds, false);
        locked = ConfirmedAlarm(store, L"Locked")->Hash;
        ConfirmedAlarm(store, L"Open");
        timer = RunningTimer(store, 60 * kSecond)->Hash;
        store.Save(false);
    }
    SetAccess(KeyOf(kAlarmItems, locked), kOnlyDelete);
    SetAccess(kTimerItems, kOnlyDelete);
    {
        ItemStore store(kSounds, false);
        EXPECT_EQ(1u, store.Alarms().size());
        EXPECT_TRUE(store.Timers().empty());
        // Readable again by the time of the save.
        SetAccess(kTimerItems, kEveryone);
        store.Save(false);
        EXPECT_TRUE(Listed(kAlarmItems, locked));
        EXPECT_TRUE(Listed(kTimerItems, timer));
    }
    SetAccess(KeyOf(kAlarmItems, locked), kEveryone);
    ItemStore reloaded(kSounds, false);
    EXPECT_EQ(2u, reloaded.Alarms().size());
    ASSERT_NE(nullptr, reloaded.FindAlarmByHash(locked));
    EXPECT_STREQ(L"Locked", reloaded.FindAlarmByHash(locked)->title.CStr());
    EXPECT_NE(nullptr, reloaded.FindTimerByHash(timer));
}

TEST_F(ItemStoreTest, SaveWritesNewItemsAndDropsKeysOfItemsThatAreGone) {
    StoreTestHost host;
    ItemStore store(kSounds, false);
    AlarmItem* kept = ConfirmedAlarm(store, L"Kept");
    kept->Hash = 12345;
    AlarmItem* gone = ConfirmedAlarm(store, L"Gone");
    AlarmItem* unconfirmed = store.CreateAlarm(nullptr);
    TimerItem* newTimer = store.CreateTimer(nullptr);  // written although not confirmed
    store.Save(false);
    ItemHash goneHash = gone->Hash;
    EXPECT_TRUE(registryprobe::KeyExists(KeyOf(kAlarmItems, goneHash)));
    EXPECT_FALSE(registryprobe::KeyExists(KeyOf(kAlarmItems, unconfirmed->Hash)));
    EXPECT_TRUE(registryprobe::KeyExists(KeyOf(kTimerItems, newTimer->Hash)));

    store.RemoveAlarm(gone);
    registryprobe::WriteDword(kAlarmItems + L"\\0", L"flags", 1);
    registryprobe::WriteDword(kAlarmItems + L"\\junk", L"flags", 1);
    // Names that read as the kept alarm's Hash but are not its key.
    registryprobe::WriteDword(kAlarmItems + L"\\+12345", L"flags", 1);
    registryprobe::WriteDword(kAlarmItems + L"\\012345", L"flags", 1);
    store.Save(false);
    auto tree = registryprobe::Tree(kAlarmItems);
    std::set<std::wstring> keys;
    for (const auto& entry : tree) keys.insert(entry.first.substr(0, entry.first.find(L'\\')));
    EXPECT_EQ(std::set<std::wstring>{L"12345"}, keys);
    EXPECT_EQ(L"Kept", registryprobe::Read(kAlarmItems + L"\\12345", L"title").Text().substr(0, 4));
}

TEST_F(ItemStoreTest, TodayItemHearsOfEverySaveAndTheRegistryIsMarkedDirty) {
    StoreTestHost host;
    HWND today = CreateWindowExW(0, L"STATIC", nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, today);
    ItemStore store(kSounds, false);
    // Without the value nothing is posted and nothing fails.
    store.Save(false);
    EXPECT_TRUE(TakeMessageNumbers(today).empty());

    registryprobe::WriteDword(kProduct, ItemStore::kTodayWindowValue,
                              static_cast<DWORD>(reinterpret_cast<uintptr_t>(today)));
    host.registryDirty = false;
    store.SaveTimers();  // no timer runs: the Today item has nothing new to show
    EXPECT_TRUE(TakeMessageNumbers(today).empty());
    EXPECT_FALSE(host.registryDirty);
    store.Save(false);
    EXPECT_EQ(std::vector<UINT>{1402}, TakeMessageNumbers(today));
    EXPECT_TRUE(host.registryDirty);
    store.Save(false);  // nothing changed but the time
    store.Save(true);
    EXPECT_EQ((std::vector<UINT>{1402, 1402}), TakeMessageNumbers(today));
    RunningTimer(store, 60 * kSecond);
    store.SaveTimers();
    EXPECT_EQ(std::vector<UINT>{1402}, TakeMessageNumbers(today));
    DestroyWindow(today);
}

TEST_F(ItemStoreTest, NewAlarmTitlesCopiesAndTheClockSynchronisationAlarm) {
    SetDeviceLocal(16, 20);
    StoreTestHost host;
    ItemStore store(kSounds, false);
    EXPECT_STREQ(L"Alarm - 1", store.CreateAlarm(nullptr)->title.CStr());
    AlarmItem* sync = store.SetAtomicClockAlarm();
    EXPECT_EQ(sync, store.SetAtomicClockAlarm());
    EXPECT_EQ(ItemHash_OfName(L"AtomicClockAlarm"), sync->Hash);
    EXPECT_STREQ(L"atomic clock", sync->title.CStr());
    EXPECT_EQ(AlarmItem::kHidden | AlarmItem::kFired | AlarmItem::kDismissed,
              sync->flags & (AlarmItem::kHidden | AlarmItem::kFired | AlarmItem::kDismissed | AlarmItem::kEnabled |
                             AlarmItem::kNew));
    EXPECT_FALSE(sync->IsOption1() || sync->IsOption3() || sync->IsOption5() || sync->IsOption7());
    EXPECT_EQ(17, sync->actionType);
    EXPECT_DOUBLE_EQ(Time_DateFromParts(2026, 12, 7, 11, 0, 0, 0), sync->time);
    AlarmItem* second = store.CreateAlarm(nullptr);
    EXPECT_STREQ(L"Alarm - 2", second->title.CStr());

    second->title.SetCStr(L"Gym");
    second->flags = 0x12345 & ~AlarmItem::kNew;
    second->SnoozeType = EventItem::kSnoozeTypeAutoClose;
    AlarmItem* copy = store.CreateAlarm(second);
    EXPECT_STREQ(L"A copy of Gym", copy->title.CStr());
    EXPECT_EQ(second->flags, copy->flags);
    EXPECT_EQ(second->time, copy->time);
    EXPECT_EQ(EventItem::kSnoozeTypeAutoClose, copy->SnoozeType);
    EXPECT_NE(second->Hash, copy->Hash);
}

TEST_F(ItemStoreTest, StaleOrForeignItemsAreNeverTouched) {
    StoreTestHost host;
    ItemStore store(kSounds, false);
    TimerItem* timer = RunningTimer(store, 60 * kSecond);
    EXPECT_TRUE(store.ContainsItem(timer));
    EXPECT_TRUE(store.ContainsItem(&store.Chime()));
    // Only compared, never read: a pointer to nothing is safe to ask about.
    EventItem* nothing = reinterpret_cast<EventItem*>(static_cast<uintptr_t>(0x10));
    EXPECT_FALSE(store.ContainsItem(nothing));
    EXPECT_EQ(0, store.RemoveTimer(reinterpret_cast<TimerItem*>(nothing)));
    EXPECT_EQ(0, store.RemoveStopwatch(reinterpret_cast<StopwatchItem*>(nothing)));
    store.RemoveAlarm(reinterpret_cast<AlarmItem*>(nothing));

    int destroyed = 0;
    {
        CountedAlarm outsider(destroyed);
        store.RemoveAlarm(&outsider);
        EXPECT_EQ(0, destroyed);
        TimerItem foreign;
        foreign.flags |= TimerItem::kRunning;
        EXPECT_EQ(0, store.RemoveTimer(&foreign));
        EXPECT_TRUE(foreign.IsRunning());
    }
    EXPECT_EQ(1, destroyed);

    EXPECT_EQ(1, store.RemoveTimer(timer));
    EXPECT_FALSE(store.ContainsItem(timer));
    EXPECT_EQ(0, store.RemoveTimer(timer));  // stale now: left alone
    StopwatchItem* stopwatch = store.CreateStopwatch();
    EXPECT_EQ(1, store.RemoveStopwatch(stopwatch));
    EXPECT_TRUE(store.Timers().empty() && store.Stopwatches().empty());
}

TEST_F(ItemStoreTest, CountdownStartsChainsWhileTheListGrows) {
    StoreTestHost host;
    ItemStore store(kSounds, false);
    store.LastTimerTime = 300 * kSecond;
    // A list of many blocks whose front was deleted: the copy joining it during the
    // countdown makes the list reorganise its blocks under the walk (1663 made, the
    // first 640 deleted), so only a walk by index counts every timer.
    std::vector<TimerItem*> fillers;
    const auto addFillers = [&](size_t count) {
        while (count-- > 0) fillers.push_back(RunningTimer(store, 3600 * kSecond));
    };
    addFillers(640);
    TimerItem* fresh = store.CreateTimer(nullptr);
    EXPECT_STREQ(L"Timer - 641", fresh->title.CStr());
    EXPECT_TRUE(fresh->IsRunning() && fresh->IsNew());
    EXPECT_EQ(300 * kSecond, fresh->time);

    TimerItem* tmpl = RunningTimer(store, 60 * kSecond);
    tmpl->flags = (tmpl->flags | TimerItem::kTemplate) & ~TimerItem::kRunning;
    TimerItem* first = RunningTimer(store, kSecond);
    first->NextTimer = tmpl->Hash;
    TimerItem* self = RunningTimer(store, 2 * kSecond);
    self->origTime = 30 * kSecond;
    self->NextTimer = self->Hash;
    TimerItem* last = RunningTimer(store, kSecond);
    addFillers(1663 - 645);
    for (size_t i = 0; i < 640; ++i) ASSERT_EQ(1, store.RemoveTimer(fillers[i]));
    fillers.erase(fillers.begin(), fillers.begin() + 640);
    ASSERT_EQ(fresh, store.Timers().front());
    ASSERT_EQ(1023u, store.Timers().size());

    store.CountDownTimers(2000);
    // The template's copy joined the list during the loop; every old timer was counted once.
    ASSERT_EQ(1024u, store.Timers().size());
    size_t counted = 0;
    for (const TimerItem* filler : fillers) counted += filler->time == 3598 * kSecond;
    EXPECT_EQ(fillers.size(), counted);
    TimerItem* copy = store.Timers().back();
    EXPECT_EQ(tmpl->Hash, copy->ParentHash);
    EXPECT_TRUE(copy->IsRunning() && !copy->IsTemplate() && !copy->IsNew());
    EXPECT_EQ(60 * kSecond, copy->time);
    EXPECT_EQ(copy->Hash, first->NextTimer);
    EXPECT_FALSE(tmpl->IsRunning());
    EXPECT_EQ(60 * kSecond, tmpl->time);
    EXPECT_EQ(300 * kSecond, fresh->time);  // not confirmed: not counted
    EXPECT_EQ(30 * kSecond, self->time);
    EXPECT_TRUE(self->IsRunning());
    EXPECT_EQ(1, self->SelfCounter);
    EXPECT_FALSE(last->IsRunning());
    EXPECT_EQ(3u, host.TakeMessages().size());
    EXPECT_EQ(2, host.reschedules);

    // Stopwatches chain to stopwatches and restart from zero.
    StopwatchItem* watch = store.CreateStopwatch();
    watch->StopTime = 10 * kSecond;
    watch->NextTimer = watch->Hash;
    store.CountUpStopwatches(10 * kSecond);
    EXPECT_TRUE(watch->IsRunning());
    EXPECT_EQ(0, watch->time);
    EXPECT_EQ(1, watch->SelfCounter);
}
