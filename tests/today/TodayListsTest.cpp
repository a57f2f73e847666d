// What the Today item lists, on a device whose clock stands at Wednesday 4 March 2026,
// 06:00: the alarms' occurrences over five days, snoozes, running timers and the rows
// "PluginHeight" asks for.
#include "TodayLists.h"
#include "TodayRowPainter.h"
#include "TodayTestStore.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace todaytest;

namespace {

constexpr uint32_t kFriday = 1u << 5;
constexpr Ticks100ns kSecond = kTicksPerSecond;

class TodayListsTest : public testsupport::FreshDeviceTest {
protected:
    void SetUp() override {
        FreshDeviceTest::SetUp();
        now_ = SetClock(2026, 3, 4, 6, 0);
    }
    // Loads the store at the clock's time and builds the lists for lines.
    void Build(uint32_t lines = TodayLists::kDefaultPluginHeight) {
        store_.Load(now_);
        lists_.Build(store_, now_, lines);
    }
    std::vector<OleDate> AlarmTimes() const {
        std::vector<OleDate> times;
        for (const TodayAlarmEntry& entry : lists_.AlarmEntries()) times.push_back(entry.Time());
        return times;
    }
    OleDate At(int dayOffset, int hour, int minute) const { return std::floor(now_) + dayOffset + (hour * 60 + minute) * kMinute; }

    OleDate now_ = 0;
    TodayStore store_;
    TodayLists lists_;
};

}  // namespace

TEST_F(TodayListsTest, AlarmsContributeTheirOccurrencesOverFiveDays) {
    Save(StoredAlarm{1, At(0, 7, 30), AlarmItem::kDaysMask, L"daily"});
    Build();
    std::vector<OleDate> daily;
    for (int day = 0; day < 5; ++day) daily.push_back(At(day, 7, 30));
    ASSERT_EQ(daily.size(), AlarmTimes().size());
    for (size_t i = 0; i < daily.size(); ++i) EXPECT_NEAR(daily[i], AlarmTimes()[i], 1e-6) << i;

    // Skipping the next occurrence starts from tomorrow; a weekly alarm is listed once,
    // not again with next week's occurrence.
    Save(StoredAlarm{1, At(0, 7, 30), AlarmItem::kDaysMask, L"daily", AlarmItem::kSkipNext});
    Save(StoredAlarm{2, At(0, 9, 0), kFriday, L"weekly"});
    Build();
    ASSERT_EQ(5u, AlarmTimes().size());
    EXPECT_NEAR(At(1, 7, 30), AlarmTimes()[0], 1e-6);
    EXPECT_NEAR(At(2, 9, 0), AlarmTimes()[2], 1e-6);  // Friday, between Friday's and Saturday's daily
    EXPECT_EQ(2, lists_.AlarmEntries()[2].alarm->Hash);

    // Never listed: event dialog off, hidden, switched off.
    Save(StoredAlarm{1, At(0, 7, 30), AlarmItem::kDaysMask, L"quiet", AlarmItem::kEventDialogOff});
    Save(StoredAlarm{2, At(0, 9, 0), kFriday, L"hidden", AlarmItem::kHidden});
    Save(StoredAlarm{3, At(0, 9, 0), kFriday, L"off", 0, AlarmItem::kEnabled});
    Build();
    EXPECT_TRUE(lists_.AlarmEntries().empty());
    EXPECT_FALSE(lists_.ButtonShown());
}

TEST_F(TodayListsTest, ASnoozingAlarmIsListedAgainWithItsSnooze) {
    StoredAlarm rung{7, At(0, 5, 55), AlarmItem::kDaysMask, L"rung"};
    rung.snoozing = true;
    rung.snooze = At(0, 6, 5);
    Save(rung);
    Build();
    ASSERT_EQ(6u, lists_.AlarmEntries().size());
    const TodayAlarmEntry& first = lists_.AlarmEntries().front();
    EXPECT_FALSE(first.computed);
    EXPECT_NEAR(At(0, 6, 5), first.Time(), 1e-6);
    EXPECT_NEAR(At(1, 5, 55), lists_.AlarmEntries()[1].Time(), 1e-6);

    TodayTextTable texts;
    TodayResources resources;
    TodayRowPainter painter(resources, lists_, texts);
    EXPECT_EQ(L"Today", painter.AlarmDayText(first, now_));
    // The snooze shows its own time, the occurrence the alarm's; tomorrow by its short name.
    EXPECT_NE(TodayRowPainter::AlarmTimeText(first), TodayRowPainter::AlarmTimeText(lists_.AlarmEntries()[1]));
    wchar_t thursday[32] = {};
    GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SABBREVDAYNAME4, thursday, 32);
    EXPECT_EQ(thursday, painter.AlarmDayText(lists_.AlarmEntries()[1], now_));
}

TEST_F(TodayListsTest, RowsFollowThePluginHeight) {
    Save(StoredAlarm{1, At(0, 7, 30), AlarmItem::kDaysMask, L"alarm"});
    Save(StoredTimer{11, 600 * kSecond, L"ten minutes"});
    Save(StoredTimer{12, 60 * kSecond, L"one minute"});
    Save(StoredTimer{13, 60 * kSecond, L"stopped", false});
    Save(StoredTimer{14, 30 * kSecond, L"template", true, true});

    EXPECT_EQ(TodayLists::kDefaultPluginHeight, TodayLists::ReadPluginHeight());  // missing
    struct Case {
        DWORD lines;
        uint32_t alarmRows, timerRows;
    } cases[] = {{1, 0, 1}, {2, 1, 1}, {5, 2, 3}};
    for (const Case& c : cases) {
        SetPluginHeight(c.lines);
        Build(TodayLists::ReadPluginHeight());
        EXPECT_EQ(c.alarmRows, lists_.AlarmRows()) << c.lines;
        EXPECT_EQ(c.timerRows, lists_.TimerRows()) << c.lines;
    }
    // Running timers only, soonest first.
    ASSERT_EQ(2u, lists_.TimerEntries().size());
    EXPECT_EQ(12, lists_.TimerEntries()[0].timer->Hash);
    EXPECT_TRUE(lists_.ButtonShown());

    // One line: the sooner of the first alarm occurrence and the first timer.
    Build(1);
    ASSERT_TRUE(lists_.OneLineForm());
    EXPECT_TRUE(lists_.OneLineShowsTimer(now_));
    Save(StoredAlarm{1, At(0, 6, 0) + 0.1 / 86400, AlarmItem::kDaysMask, L"now"});
    Build(1);
    EXPECT_FALSE(lists_.OneLineShowsTimer(now_));
}

TEST_F(TodayListsTest, RunningTimersCountDownToZeroAndStay) {
    Save(StoredTimer{21, 3 * kSecond, L"three seconds"});
    Save(StoredTimer{22, (27 * 3600 + 5 * 60 + 9) * kSecond, L"long"});
    Build();
    ASSERT_EQ(2u, lists_.TimerEntries().size());
    lists_.AdvanceTimers(5 * kSecond);
    const TimerItem& done = *lists_.TimerEntries()[0].timer;
    EXPECT_FALSE(done.IsRunning());
    EXPECT_EQ(L"00:00:00", TodayRowPainter::FormatRemaining(done.time));
    EXPECT_EQ(2u, lists_.TimerEntries().size());
    EXPECT_EQ(L"27:05:04", TodayRowPainter::FormatRemaining(lists_.TimerEntries()[1].timer->time));
    EXPECT_EQ(L"27:05:09", TodayRowPainter::FormatRemaining((27 * 3600 + 5 * 60 + 9) * kSecond));

    // The time since the program's last save counts, in whole seconds.
    const OleDate saved = now_ - 2.5 / 86400;
    registryprobe::Write(kProduct, L"SavedTime", REG_BINARY, &saved, sizeof saved);
    Build();
    EXPECT_EQ((27 * 3600 + 5 * 60 + 7) * kSecond, lists_.TimerEntries()[1].timer->time);
}

TEST_F(TodayListsTest, DamagedItemsAreLeftOutAndNothingIsWritten) {
    Save(StoredAlarm{1, At(0, 7, 30), AlarmItem::kDaysMask, L"good"});
    Save(StoredAlarm{2, At(0, 8, 30), AlarmItem::kDaysMask, L"no time"});
    Save(StoredTimer{3, 0, L"expired"});
    // Expired and kept by the program only until its ring is answered.
    Save(StoredTimer{4, -1, L"ringing", false});
    ASSERT_TRUE(registryprobe::WriteDword(ItemKey(L"Timers", 4), TimerItem::kRingPendingValue, 1));
    const DWORD one = 1;
    registryprobe::Write(ItemKey(L"Alarms", 2), AlarmItem::kTimeValue, REG_DWORD, &one, sizeof one);
    registryprobe::Write(kProduct + L"\\Clock\\System", L"PluginHeight", REG_BINARY, &one, sizeof one);
    const auto before = registryprobe::Tree(kProduct);
    Build(TodayLists::ReadPluginHeight());
    ASSERT_EQ(1u, store_.Alarms().size());
    EXPECT_EQ(1, store_.Alarms()[0]->Hash);
    EXPECT_TRUE(store_.Timers().empty());
    EXPECT_TRUE(lists_.OneLineForm());  // 4 bytes of any type
    EXPECT_EQ(before, registryprobe::Tree(kProduct));
}
