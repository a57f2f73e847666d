// The item classes without the program, as the Today item uses them: a store the
// real program wrote loads, every alarm's next occurrence agrees with the nearest
// alarm the program published, and saving writes the store back unchanged; so do the
// values of every action type. This test program links no action work, so a record
// that needed it would not link, and with no runner installed no action runs here.
#include "ActionRunner.h"
#include "AtomicSyncActionSettings.h"
#include "BthOnAction.h"
#include "ChangeTimeZoneAction.h"
#include "ChangeVolumeAction.h"
#include "DateFunctions.h"
#include "DisableFlightModeAction.h"
#include "ExecuteAction.h"
#include "ItemStore.h"
#include "RegistryProbe.h"
#include "SMSAction.h"
#include "StoreTestHost.h"
#include "TestSupport.h"
#include "TimerHashAction.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <typeinfo>

namespace {

const std::wstring kProduct = L"Software\\Ostrel\\Orvalen";
const wchar_t kProgramDevicePath[] = L"\\Program Files\\Orvalen\\Orvalen.exe";
constexpr OleDate kMinute = 1.0 / 1440.0;

// Items as a user keeps them: weekly and one-time alarms, one skipping its next
// occurrence, one disabled; a stopped timer; a stopped stopwatch with laps.
void StoreUserItems(OleDate now) {
    StoreTestHost host;  // new items draw Hashes the store does not hold yet
    ItemStore store(RcString(L"\\Sounds"), false);
    const struct {
        uint32_t days;
        OleDate minutesAhead;
        uint32_t extra;
        bool enabled;
    } alarms[] = {{AlarmItem::kDaysMask, 90, 0, true},          {0x3E, 60 * 30, 0, true},
                  {0x41, 60 * 50, 0, true},                     {0, 60 * 5, AlarmItem::kNotifyOnce, true},
                  {AlarmItem::kDaysMask, 30, AlarmItem::kSkipNext, true}, {AlarmItem::kDaysMask, 10, 0, false}};
    for (const auto& spec : alarms) {
        AlarmItem* alarm = store.CreateAlarm(nullptr);
        ASSERT_NE(nullptr, alarm);
        alarm->flags = (alarm->flags & ~(AlarmItem::kNew | AlarmItem::kDaysMask | AlarmItem::kEnabled)) | spec.days |
                       spec.extra | (spec.enabled ? AlarmItem::kEnabled : 0);
        // Whole minutes a little ahead of now, so the program and this test see the same next occurrence.
        alarm->time = std::floor((now + spec.minutesAhead * kMinute) / kMinute) * kMinute + 0.1 / 86400.0;
    }
    TimerItem* timer = store.CreateTimer(nullptr);
    ASSERT_NE(nullptr, timer);
    timer->flags &= ~TimerItem::kRunning;
    StopwatchItem* stopwatch = store.CreateStopwatch();
    ASSERT_NE(nullptr, stopwatch);
    stopwatch->flags &= ~TimerItem::kRunning;
    stopwatch->time = 95 * kTicksPerSecond;
    stopwatch->AddLap();
    stopwatch->time = 130 * kTicksPerSecond;
    stopwatch->AddLap();
    store.Save(false);
}

// Every id of the factory, with 7 and 20, which make the "None" action.
constexpr int kLastType = 20;
const FILETIME kLastSync = {0x89ABCDEF, 0x01D9ABCD};

// Values other than the defaults, so that a value lost on the way shows.
void GiveValues(Action& action) {
    if (auto* execute = dynamic_cast<ExecuteAction*>(&action)) {
        execute->CommandLine.SetCStr(L"\"\\Program Files\\Notes.exe\" -new");
        execute->RunOnDismiss = 1;
    } else if (auto* bluetooth = dynamic_cast<BthOnAction*>(&action)) {
        bluetooth->Discoverable = 1;
    } else if (auto* sms = dynamic_cast<SMSAction*>(&action)) {
        sms->Message.SetCStr(L"Up");
        sms->To.SetCStr(L"Ann");
        sms->Number.SetCStr(L"+4915112345");
        sms->DeliveryNotification = 1;
    } else if (auto* radioOn = dynamic_cast<DisableFlightModeAction*>(&action)) {
        radioOn->code.SetCStr(L"1234");
    } else if (auto* zone = dynamic_cast<ChangeTimeZoneAction*>(&action)) {
        zone->ZoneIndex = 31;
    } else if (auto* timer = dynamic_cast<TimerHashAction*>(&action)) {
        timer->TimerHash = 0x1234;
    } else if (auto* sync = dynamic_cast<AtomicSyncActionSettings*>(&action)) {
        sync->Server = 2;
        sync->LastSync = kLastSync;
    } else if (auto* volume = dynamic_cast<ChangeVolumeAction*>(&action)) {
        volume->Type = ChangeVolumeAction::kTypeVibrate;
        volume->Vol = 40;
        volume->RingVol = 80;
    }
}

// The action of the store's item with that type.
template <class Concrete>
const Concrete& ActionOf(const ItemStore& store, int type) {
    for (const AlarmItem* alarm : store.Alarms())
        if (alarm->actionType == type) return dynamic_cast<const Concrete&>(*alarm->action);
    throw std::bad_cast();
}

std::map<std::wstring, registryprobe::RawValue> StoreTree() {
    auto tree = registryprobe::Tree(kProduct);
    // Every save stamps its own time.
    tree.erase(SaveStamp::kLocalValue);
    tree.erase(SaveStamp::kUtcValue);
    return tree;
}

// The program loads the items, reschedules, publishes the nearest alarm, saves and quits.
void RunTheProgramOnce() {
    ASSERT_TRUE(testsupport::InstallLauncher());
    ASSERT_TRUE(testsupport::CopyIntoDevice(testsupport::HostPath(ORVALEN_PROGRAM_PATH), kProgramDevicePath));
    testsupport::ChildProcess program;
    ASSERT_TRUE(program.Start(testsupport::DevicePath(kProgramDevicePath), L"AppRunAfterTimeChange"));
    ASSERT_EQ(0u, program.Wait(30000));
}

}  // namespace

TEST(ProgramStore, LoadsComputesAndSavesBackWithoutTheProgram) {
    const OleDate now = Time_LocalNowAsDate(true);
    StoreUserItems(now);
    if (testing::Test::HasFatalFailure()) return;

    RunTheProgramOnce();
    if (testing::Test::HasFatalFailure()) return;
    const auto written = StoreTree();
    const registryprobe::RawValue published = registryprobe::Read(kProduct, L"NearestAlarmTimeBin");
    ASSERT_TRUE(published.exists);

    ItemStore store(RcString(L"\\Sounds"), false);
    ASSERT_EQ(6u, store.Alarms().size());
    EXPECT_EQ(1u, store.Timers().size());
    ASSERT_EQ(1u, store.Stopwatches().size());
    EXPECT_EQ(2u, store.Stopwatches()[0]->laps.empty() ? 0u : store.Stopwatches()[0]->laps.back().size());

    OleDate nearest = kOleDateNever;
    for (AlarmItem* alarm : store.Alarms()) {
        if (!(alarm->flags & AlarmItem::kEnabled)) continue;
        OleDate next = alarm->NextFireTime(now);
        // An alarm told to skip its next occurrence rings at the one after it.
        if (alarm->flags & AlarmItem::kSkipNext) next = alarm->NextFireTime(next + kMinute);
        nearest = std::min(nearest, next);
    }
    ASSERT_LT(nearest, kOleDateNever);
    SYSTEMTIME local = {};
    Time_DateToSystemTime(nearest, local);
    FILETIME moment = {};
    ASSERT_TRUE(SystemTimeToFileTime(&local, &moment));
    EXPECT_EQ(std::vector<BYTE>(reinterpret_cast<BYTE*>(&moment), reinterpret_cast<BYTE*>(&moment + 1)),
              published.bytes);

    store.Save(false);
    EXPECT_EQ(written, StoreTree());
}

TEST(ProgramStore, EveryActionTypeLoadsAndSavesBackWithoutTheActionWork) {
    {
        StoreTestHost host;
        ItemStore store(RcString(L"\\Sounds"), false);
        for (int type = Action::kTypeNone; type <= kLastType; ++type) {
            AlarmItem* alarm = store.CreateAlarm(nullptr);
            ASSERT_NE(nullptr, alarm);
            // Disabled: nothing rings while the program has the store.
            alarm->flags &= ~(AlarmItem::kNew | AlarmItem::kEnabled);
            alarm->actionType = type;
            alarm->action = Action_Create(type);
            GiveValues(*alarm->action);
        }
        store.Save(false);
    }

    RunTheProgramOnce();
    if (testing::Test::HasFatalFailure()) return;
    const auto written = StoreTree();

    EXPECT_EQ(nullptr, ActionRunner::Current());
    ItemStore store(RcString(L"\\Sounds"), false);
    ASSERT_EQ(static_cast<size_t>(kLastType + 1), store.Alarms().size());
    for (AlarmItem* alarm : store.Alarms()) {
        ASSERT_TRUE(alarm->action);
        const auto made = Action_Create(alarm->actionType);
        EXPECT_EQ(typeid(*made), typeid(*alarm->action)) << alarm->actionType;
        EXPECT_FALSE(alarm->action->Execute()) << alarm->actionType;  // no work linked or installed
    }
    const auto& execute = ActionOf<ExecuteAction>(store, Action::kTypeExecute);
    EXPECT_STREQ(L"\"\\Program Files\\Notes.exe\" -new", execute.CommandLine.CStr());
    EXPECT_EQ(1, execute.RunOnDismiss);
    EXPECT_STREQ(L"+4915112345", ActionOf<SMSAction>(store, Action::kTypeSms).Number.CStr());
    const FILETIME lastSync = ActionOf<AtomicSyncActionSettings>(store, Action::kTypeClockSync).LastSync;
    EXPECT_EQ(0, CompareFileTime(&kLastSync, &lastSync));
    EXPECT_EQ(80, ActionOf<ChangeVolumeAction>(store, Action::kTypeChangeVolume).RingVol);

    store.Save(false);
    EXPECT_EQ(written, StoreTree());
}
