// A stopwatch counts up to its stop time, gains the time away, keeps its laps in
// the registry (written in place, so a cut-short save loses none) and shows its
// count with milliseconds.
#include "EngineMessage.h"
#include "FreshDeviceTest.h"
#include "ItemTestHost.h"
#include "RegistryProbe.h"
#include "StopwatchItem.h"

#include <gtest/gtest.h>

namespace {

const wchar_t kItemKey[] = L"Software\\Ostrel\\Orvalen\\Stopwatches\\Items\\8";
const std::wstring kStages = std::wstring(kItemKey) + L"\\Stages";
const Ticks100ns kSecond = kTicksPerSecond;

RegKeyRef ItemKey() { return RegKeyRef::Open(kItemKey, HKEY_CURRENT_USER, false); }

}  // namespace

// Each test starts from an empty registry and a device clock of its own, however it is run.
class StopwatchItemTest : public testsupport::FreshDeviceTest {};

TEST_F(StopwatchItemTest, CountsUpToItsStopTimeThenRingsOnce) {
    ItemTestHost host;
    std::vector<ItemHash> starts;
    host.startTimer = [&](ItemHash hash, bool stopwatch) -> TimerItem* {
        EXPECT_TRUE(stopwatch);
        starts.push_back(hash);
        return nullptr;
    };
    StopwatchItem stopwatch(3, 10 * 60 * kSecond);
    EXPECT_STREQ(L"Timer - 3", stopwatch.title.CStr());
    EXPECT_TRUE(stopwatch.IsRunning());
    stopwatch.NextTimer = 77;
    stopwatch.CountUp(Ticks_FromMilliseconds(300000));  // five minutes: beyond 31 bits
    EXPECT_EQ(3000000000, stopwatch.time);
    stopwatch.flags |= TimerItem::kStopwatchHeld;
    stopwatch.CountUp(60 * kSecond);
    EXPECT_EQ(3000000000, stopwatch.time);
    stopwatch.flags &= ~TimerItem::kStopwatchHeld;
    stopwatch.CountUp(299 * kSecond);
    EXPECT_TRUE(host.TakeMessages().empty());

    stopwatch.CountUp(kSecond);
    stopwatch.CountUp(kSecond);
    EXPECT_EQ(0, stopwatch.time);
    EXPECT_FALSE(stopwatch.IsRunning());
    EXPECT_EQ(std::vector<ItemHash>{77}, starts);
    std::vector<MSG> posted = host.TakeMessages();
    ASSERT_EQ(1u, posted.size());
    EXPECT_EQ(EngineMessage::kTimerExpired, posted[0].message);

    // A count near the limit reaches it instead of wrapping to a negative count.
    StopwatchItem endless(1, StopwatchItem::kNoStopTime);
    endless.time = INT64_MAX - 10 * kSecond;
    endless.CountUp(INT64_MAX);
    EXPECT_EQ(0, endless.time);
    EXPECT_FALSE(endless.IsRunning());
}

TEST_F(StopwatchItemTest, RunningOnesGainTheTimeAwayAndReachingTheStopTimeStopsThem) {
    ItemTestHost host;
    StopwatchItem stopwatch(1, 3600 * kSecond);
    stopwatch.time = 600 * kSecond;
    stopwatch.Save(ItemKey());
    StopwatchItem loaded(9, 0);
    ASSERT_TRUE(loaded.Load(ItemKey(), 300 * kSecond));
    EXPECT_EQ(900 * kSecond, loaded.time);
    EXPECT_EQ(3600 * kSecond, loaded.StopTime);
    ASSERT_EQ(1u, loaded.laps.size());  // a running stopwatch has a group to take laps into

    registryprobe::WriteDword(kItemKey, L"flags", 0);
    ASSERT_TRUE(loaded.Load(ItemKey(), 300 * kSecond));
    EXPECT_EQ(600 * kSecond, loaded.time);
    registryprobe::Delete(kItemKey, L"StopTime");
    ASSERT_TRUE(loaded.Load(ItemKey(), 0));
    EXPECT_EQ(StopwatchItem::kNoStopTime, loaded.StopTime);
    Ticks100ns stop = 600 * kSecond;
    registryprobe::Write(kItemKey, L"StopTime", REG_BINARY, &stop, sizeof stop);
    // Past its stop time it stays, stopped at zero as the tick would have left it.
    registryprobe::WriteDword(kItemKey, L"flags", TimerItem::kRunning);
    ASSERT_TRUE(loaded.Load(ItemKey(), 0));
    EXPECT_FALSE(loaded.IsRunning());
    EXPECT_EQ(0, loaded.time);
}

TEST_F(StopwatchItemTest, LapsAreRewrittenInPlaceAndOnlySurplusIsRemoved) {
    ItemTestHost host;
    StopwatchItem stopwatch(1, StopwatchItem::kNoStopTime);
    stopwatch.laps = {{1, 2, 3}, {4}, {5}};
    stopwatch.Save(ItemKey());
    // A key deleted and made again would leave this handle pointing at nothing.
    HKEY group0 = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, (kStages + L"\\0").c_str(), 0, KEY_READ, &group0));
    registryprobe::WriteDword(kStages + L"\\0", L"stray", 1);

    stopwatch.laps = {{1, 2}, {4, 8}};
    stopwatch.Save(ItemKey());
    Ticks100ns lap = 0;
    DWORD size = sizeof lap;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExW(group0, L"1", nullptr, nullptr, reinterpret_cast<BYTE*>(&lap), &size));
    EXPECT_EQ(2, lap);
    RegCloseKey(group0);
    EXPECT_EQ((std::vector<std::wstring>{L"0", L"1"}), registryprobe::ValueNames(kStages + L"\\0"));
    EXPECT_FALSE(registryprobe::KeyExists(kStages + L"\\2"));
    StopwatchItem loaded(2, 0);
    ASSERT_TRUE(loaded.Load(ItemKey(), 0));
    EXPECT_EQ(stopwatch.laps, loaded.laps);

    // A damaged lap is passed over; the ones after it stay.
    int32_t shortLap = 9;
    registryprobe::Write(kStages + L"\\0", L"0", REG_BINARY, &shortLap, sizeof shortLap);
    ASSERT_TRUE(loaded.Load(ItemKey(), 0));
    EXPECT_EQ((std::vector<StopwatchItem::LapGroup>{{2}, {4, 8}}), loaded.laps);
}

TEST_F(StopwatchItemTest, TimeTextHasMilliseconds) {
    EXPECT_STREQ(L"25:01:01.001", StopwatchItem::FormatTime(Ticks_FromMilliseconds(90061001)).CStr());
    EXPECT_STREQ(L"00:00:00.000", StopwatchItem::FormatTime(-1).CStr());
}
