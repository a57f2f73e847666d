// The item classes without the program, as the Today item uses them: a store the
// real program wrote loads, every alarm's next occurrence agrees with the nearest
// alarm the program published, and saving writes the store back unchanged.
#include "DateFunctions.h"
#include "ItemStore.h"
#include "RegistryProbe.h"
#include "StoreTestHost.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

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

std::map<std::wstring, registryprobe::RawValue> StoreTree() {
    auto tree = registryprobe::Tree(kProduct);
    tree.erase(L"SavedTime");  // every save stamps its own time
    return tree;
}

}  // namespace

TEST(ProgramStore, LoadsComputesAndSavesBackWithoutTheProgram) {
    const OleDate now = Time_LocalNowAsDate(true);
    StoreUserItems(now);
    if (testing::Test::HasFatalFailure()) return;

    // The program loads the items, reschedules, publishes the nearest alarm, saves and quits.
    ASSERT_TRUE(testsupport::InstallLauncher());
    ASSERT_TRUE(testsupport::CopyIntoDevice(testsupport::HostPath(ORVALEN_PROGRAM_PATH), kProgramDevicePath));
    testsupport::ChildProcess program;
    ASSERT_TRUE(program.Start(testsupport::DevicePath(kProgramDevicePath), L"AppRunAfterTimeChange"));
    ASSERT_EQ(0u, program.Wait(30000));
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
