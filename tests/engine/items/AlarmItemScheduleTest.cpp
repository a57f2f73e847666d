// When an alarm rings next: every weekday mask over a whole year against an
// oracle that walks calendar days through FILETIME, snoozes across midnight and
// the device clock moved across daylight-saving changes.
#include "AlarmItem.h"
#include "EngineMessage.h"
#include "ItemTestHost.h"

#include <DeviceClock.h>
#include <DeviceControl.h>
#include <gtest/gtest.h>

#include <cstdint>

namespace {

const int64_t kTicksPerDayOracle = 864000000000LL;
const double kOneMillisecond = 1.0 / 86400000.0;

int64_t TicksOf(int year, int month, int day) {
    SYSTEMTIME st = {};
    st.wYear = static_cast<WORD>(year);
    st.wMonth = static_cast<WORD>(month);
    st.wDay = static_cast<WORD>(day);
    FILETIME ft;
    SystemTimeToFileTime(&st, &ft);
    return static_cast<int64_t>((static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime);
}

SYSTEMTIME DayOf(int64_t ticks) {
    FILETIME ft = {static_cast<DWORD>(ticks), static_cast<DWORD>(static_cast<uint64_t>(ticks) >> 32)};
    SYSTEMTIME st;
    FileTimeToSystemTime(&ft, &st);
    return st;
}

// The oracle: walk calendar days from today and take the first one whose weekday
// (as the system's calendar reports it) is in the mask and whose alarm moment is
// not before now. The result is counted in days from 1899-12-30, independently of
// the date functions.
double ExpectedNext(int64_t todayTicks, int nowMs, int alarmMs, unsigned mask) {
    const int64_t epoch = TicksOf(1899, 12, 30);
    for (int d = 0; d <= 7; ++d) {
        int64_t dayTicks = todayTicks + d * kTicksPerDayOracle;
        SYSTEMTIME st = DayOf(dayTicks);
        if (!(mask & (1u << st.wDayOfWeek))) continue;
        if (d == 0 && alarmMs < nowMs) continue;
        return static_cast<double>((dayTicks - epoch) / kTicksPerDayOracle) + alarmMs * kOneMillisecond;
    }
    return kOleDateNever;
}

OleDate DateAt(int64_t dayTicks, int ms) {
    SYSTEMTIME st = DayOf(dayTicks);
    return Time_DateFromParts(st.wYear, st.wMonth, st.wDay, ms / 3600000, ms / 60000 % 60, ms / 1000 % 60, ms % 1000);
}

void Arm(AlarmItem& alarm, unsigned mask, OleDate time) {
    alarm.flags = (alarm.flags & ~(AlarmItem::kDaysMask | AlarmItem::kNew)) | AlarmItem::kEnabled | mask;
    alarm.time = time;
}

SYSTEMTIME Utc(int year, int month, int day, int hour, int minute) {
    SYSTEMTIME st = {};
    st.wYear = static_cast<WORD>(year);
    st.wMonth = static_cast<WORD>(month);
    st.wDay = static_cast<WORD>(day);
    st.wHour = static_cast<WORD>(hour);
    st.wMinute = static_cast<WORD>(minute);
    return st;
}

// Central European rules: UTC+1, summer time UTC+2 from the last Sunday of March
// 02:00 to the last Sunday of October 03:00.
TIME_ZONE_INFORMATION CentralEurope() {
    TIME_ZONE_INFORMATION tz = {};
    tz.Bias = -60;
    tz.StandardBias = 0;
    tz.DaylightBias = -60;
    tz.StandardDate.wMonth = 10;
    tz.StandardDate.wDayOfWeek = 0;
    tz.StandardDate.wDay = 5;
    tz.StandardDate.wHour = 3;
    tz.DaylightDate.wMonth = 3;
    tz.DaylightDate.wDayOfWeek = 0;
    tz.DaylightDate.wDay = 5;
    tz.DaylightDate.wHour = 2;
    return tz;
}

bool PostedOnly(ItemTestHost& host, UINT message, const AlarmItem& alarm) {
    std::vector<MSG> messages = host.TakeMessages();
    return messages.size() == 1 && messages[0].message == message &&
           messages[0].wParam == reinterpret_cast<WPARAM>(&alarm);
}

}  // namespace

TEST(AlarmItemSchedule, EveryDaysMaskOverAYearMatchesTheCalendarWalk) {
    AlarmItem alarm;
    // The date part of the alarm's time plays no role: an old date with each time of day.
    const int64_t oldDay = TicksOf(2001, 5, 5);
    const int alarmTimes[] = {0, 7 * 3600000 + 30 * 60000 + 100, 23 * 3600000 + 59 * 60000 + 100};
    const int64_t first = TicksOf(2027, 1, 1);
    int mismatches = 0;
    for (int alarmMs : alarmTimes) {
        const int nowTimes[] = {0, alarmMs > 60000 ? alarmMs - 60000 : 0, alarmMs, alarmMs + 1, 86399999};
        for (unsigned mask = 1; mask <= AlarmItem::kDaysMask; ++mask) {
            Arm(alarm, mask, DateAt(oldDay, alarmMs));
            for (int day = 0; day < 365; ++day) {
                int64_t today = first + day * kTicksPerDayOracle;
                for (int nowMs : nowTimes) {
                    double expected = ExpectedNext(today, nowMs, alarmMs, mask);
                    double actual = alarm.NextFireTime(DateAt(today, nowMs));
                    if (!(actual > expected - 1e-8 && actual < expected + 1e-8) && ++mismatches <= 5)
                        ADD_FAILURE() << "mask " << mask << " day " << day << " now ms " << nowMs << " alarm ms "
                                      << alarmMs << ": expected " << expected << ", got " << actual;
                }
            }
        }
    }
    EXPECT_EQ(0, mismatches);
}

TEST(AlarmItemSchedule, ExactAlarmMomentStillCountsAsToday) {
    AlarmItem alarm;
    const unsigned monday = 1u << 1;
    Arm(alarm, monday, Time_DateFromParts(2020, 2, 2, 7, 0, 0, 0));
    OleDate mondayAtSeven = Time_DateFromParts(2026, 12, 7, 7, 0, 0, 0);  // a Monday
    EXPECT_DOUBLE_EQ(mondayAtSeven, alarm.NextFireTime(mondayAtSeven));
    EXPECT_NEAR(mondayAtSeven + 7.0, alarm.NextFireTime(mondayAtSeven + kOneMillisecond), 1e-8);

    Arm(alarm, AlarmItem::kDaysMask, Time_DateFromParts(2020, 2, 2, 23, 58, 0, 0));
    EXPECT_NEAR(Time_DateFromParts(2026, 12, 8, 23, 58, 0, 0),
                alarm.NextFireTime(Time_DateFromParts(2026, 12, 7, 23, 59, 0, 0)), 1e-8);
}

TEST(AlarmItemSchedule, DisabledDaylessAndNewAlarmsNeverRing) {
    ItemTestHost host;
    AlarmItem alarm;
    OleDate now = Time_DateFromParts(2026, 12, 7, 6, 0, 0, 0);
    struct Case {
        const char* name;
        uint32_t clear;
        uint32_t set;
    } cases[] = {
        {"disabled", AlarmItem::kEnabled, 0},
        {"no day", AlarmItem::kDaysMask, 0},
        {"new", 0, AlarmItem::kNew},
    };
    for (const Case& c : cases) {
        Arm(alarm, AlarmItem::kDaysMask, now - 1.0);
        alarm.flags &= ~(AlarmItem::kFired | AlarmItem::kDismissed);
        alarm.flags = (alarm.flags & ~c.clear) | c.set;
        EXPECT_EQ(kOleDateNever, alarm.NextFireTime(now)) << c.name;
        alarm.CheckFire(now);
        EXPECT_TRUE(host.TakeMessages().empty()) << c.name;
        EXPECT_FALSE(alarm.flags & AlarmItem::kFired) << c.name;
    }
}

TEST(AlarmItemSchedule, SnoozeAcrossMidnightRingsTheNextDay) {
    ItemTestHost host;
    AlarmItem alarm;
    Arm(alarm, AlarmItem::kDaysMask, Time_DateFromParts(2026, 12, 31, 23, 58, 0, 0));
    alarm.flags &= ~(AlarmItem::kFired | AlarmItem::kDismissed);

    alarm.CheckFire(Time_DateFromParts(2026, 12, 31, 23, 58, 0, 0));
    ASSERT_TRUE(PostedOnly(host, EngineMessage::kAlarmDue, alarm));
    // The ring window snoozes from the local now: 23:58:30 plus 5 minutes.
    OleDate pressed = Time_DateFromParts(2026, 12, 31, 23, 58, 30, 0);
    alarm.Snooze(&pressed, 5, 0, false);
    alarm.SetDismissed(false);
    EXPECT_NEAR(Time_DateFromParts(2027, 1, 1, 0, 3, 30, 0), alarm.snooze, 1e-8);

    alarm.CheckFire(Time_DateFromParts(2026, 12, 31, 23, 59, 59, 0));
    alarm.CheckFire(Time_DateFromParts(2027, 1, 1, 0, 3, 29, 999));
    EXPECT_TRUE(host.TakeMessages().empty());
    alarm.CheckFire(Time_DateFromParts(2027, 1, 1, 0, 3, 30, 0));
    EXPECT_TRUE(PostedOnly(host, EngineMessage::kSnoozeOver, alarm));
    EXPECT_TRUE(alarm.IsDismissed());
    // Once over, the snooze does not ring again.
    alarm.CheckFire(Time_DateFromParts(2027, 1, 1, 0, 10, 0, 0));
    EXPECT_TRUE(host.TakeMessages().empty());
}

TEST(AlarmItemSchedule, SkipNextLeavesTheOccurrenceToTheEngine) {
    // The engine clears the flag when the alarm falls due and then rings nothing,
    // so the alarm still reports its occurrence and posts when due.
    ItemTestHost host;
    AlarmItem alarm;
    OleDate seven = Time_DateFromParts(2026, 12, 7, 7, 0, 0, 0);
    Arm(alarm, AlarmItem::kDaysMask, seven);
    alarm.flags &= ~(AlarmItem::kFired | AlarmItem::kDismissed);
    alarm.flags |= AlarmItem::kSkipNext;
    EXPECT_DOUBLE_EQ(seven, alarm.NextFireTime(seven - 0.25));
    alarm.CheckFire(seven);
    EXPECT_TRUE(PostedOnly(host, EngineMessage::kAlarmDue, alarm));
    EXPECT_TRUE(alarm.flags & AlarmItem::kSkipNext);
}

class AlarmItemDaylightSaving : public ::testing::Test {
protected:
    void SetUp() override {
        TIME_ZONE_INFORMATION tz = CentralEurope();
        ASSERT_TRUE(DeviceClock_SetTimeZoneInformation(&tz));
    }

    void SetDeviceUtc(const SYSTEMTIME& utc) { ASSERT_TRUE(DeviceClock_SetSystemTime(&utc)); }

    static int LocalHour() {
        SYSTEMTIME local;
        DeviceClock_GetLocalTime(&local);
        return local.wHour;
    }

    ItemTestHost host;
};

TEST_F(AlarmItemDaylightSaving, SpringForwardRingsAtTheWallClockTimeAndTheSkippedHour) {
    // 2026-03-29 00:58 UTC is 01:58 CET; two minutes later it is 03:00 CEST.
    SetDeviceUtc(Utc(2026, 3, 29, 0, 58));
    ASSERT_EQ(1, LocalHour());

    AlarmItem seven, halfPastTwo;
    Arm(seven, AlarmItem::kDaysMask, Time_DateFromParts(2026, 1, 1, 7, 0, 0, 0));
    Arm(halfPastTwo, AlarmItem::kDaysMask, Time_DateFromParts(2026, 1, 1, 2, 30, 0, 0));
    OleDate now = Time_LocalNowAsDate(true);
    for (AlarmItem* alarm : {&seven, &halfPastTwo}) {
        alarm->flags &= ~(AlarmItem::kFired | AlarmItem::kDismissed);
        alarm->time = alarm->NextFireTime(now);
    }
    EXPECT_NEAR(Time_DateFromParts(2026, 3, 29, 7, 0, 0, 0), seven.time, 1e-8);
    EXPECT_NEAR(Time_DateFromParts(2026, 3, 29, 2, 30, 0, 0), halfPastTwo.time, 1e-8);
    halfPastTwo.CheckFire(now);
    EXPECT_TRUE(host.TakeMessages().empty());

    ASSERT_TRUE(DeviceControl_JumpClock(3 * 60 * 1000));
    ASSERT_EQ(3, LocalHour());
    now = Time_LocalNowAsDate(true);
    // 02:30 never happened on the wall clock: the alarm rings as soon as it is past.
    halfPastTwo.CheckFire(now);
    EXPECT_TRUE(PostedOnly(host, EngineMessage::kAlarmDue, halfPastTwo));
    // The morning alarm keeps its wall-clock time, one hour less away in real time.
    EXPECT_NEAR(Time_DateFromParts(2026, 3, 29, 7, 0, 0, 0), seven.NextFireTime(now), 1e-8);
    seven.CheckFire(now);
    EXPECT_TRUE(host.TakeMessages().empty());
}

TEST_F(AlarmItemDaylightSaving, FallBackDoesNotRingTwiceInTheRepeatedHour) {
    // 2026-10-25 00:25 UTC is 02:25 CEST; at 01:00 UTC the wall clock goes back to 02:00 CET.
    SetDeviceUtc(Utc(2026, 10, 25, 0, 25));
    ASSERT_EQ(2, LocalHour());
    AlarmItem alarm;
    Arm(alarm, AlarmItem::kDaysMask, Time_DateFromParts(2026, 1, 1, 2, 30, 0, 0));
    alarm.flags &= ~(AlarmItem::kFired | AlarmItem::kDismissed);
    alarm.time = alarm.NextFireTime(Time_LocalNowAsDate(true));
    EXPECT_NEAR(Time_DateFromParts(2026, 10, 25, 2, 30, 0, 0), alarm.time, 1e-8);

    ASSERT_TRUE(DeviceControl_JumpClock(6 * 60 * 1000));  // 02:31 CEST
    alarm.CheckFire(Time_LocalNowAsDate(true));
    ASSERT_TRUE(PostedOnly(host, EngineMessage::kAlarmDue, alarm));
    // Dismissed, and moved on as the reschedule does it.
    alarm.Dismiss(false);
    OleDate afterRing = Time_LocalNowAsDate(true);
    alarm.time = alarm.NextFireTime(afterRing);
    alarm.flags &= ~AlarmItem::kFired;
    EXPECT_NEAR(Time_DateFromParts(2026, 10, 26, 2, 30, 0, 0), alarm.time, 1e-8);

    ASSERT_TRUE(DeviceControl_JumpClock(34 * 60 * 1000));  // 01:05 UTC = 02:05 CET
    ASSERT_EQ(2, LocalHour());
    OleDate repeated = Time_LocalNowAsDate(true);
    EXPECT_LT(repeated, afterRing);
    ASSERT_TRUE(DeviceControl_JumpClock(30 * 60 * 1000));  // 02:35 CET
    alarm.CheckFire(Time_LocalNowAsDate(true));
    EXPECT_TRUE(host.TakeMessages().empty());
}
