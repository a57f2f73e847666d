// What the reschedule computes: due moments of every kind of item and the nearest alarm.
#include "DueMoments.h"
#include "ItemStore.h"
#include "NearestAlarmState.h"
#include "RegKeyRef.h"
#include "TickClock.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

// Monday 7 December 2026, 08:00.
const OleDate kMonday8 = Time_DateFromParts(2026, 12, 7, 8, 0, 0, 0);
constexpr OleDate kSecond = 1.0 / 86400.0;

class DueMomentsTest : public testing::Test {
protected:
    AlarmItem* AddAlarm(uint32_t days, int hour, int minute) {
        AlarmItem* alarm = store_.CreateAlarm(nullptr);
        alarm->flags = (alarm->flags & ~(AlarmItem::kNew | AlarmItem::kFired | AlarmItem::kDaysMask)) | days;
        alarm->time = Time_DateFromParts(2026, 12, 7, hour, minute, 0, 0);
        return alarm;
    }
    bool Has(const DueMoments& due, OleDate when) {
        for (OleDate t : due.Moments())
            if (std::abs(t - when) < kSecond / 10) return true;
        return false;
    }

    ItemStore store_{RcString(L"\\Sounds"), false};
};

TEST_F(DueMomentsTest, SkippedWeeklyOccurrenceIsNeverTheNearestButStillWakes) {
    const uint32_t wednesday = 1u << 3;
    AlarmItem* weekly = AddAlarm(wednesday, 7, 0);
    weekly->flags |= AlarmItem::kSkipNext;
    DueMoments due = DueMoments::Collect(store_, kMonday8);
    const OleDate skipped = Time_DateFromParts(2026, 12, 9, 7, 0, 0, 0);
    const OleDate following = Time_DateFromParts(2026, 12, 16, 7, 0, 0, 0);
    EXPECT_EQ(weekly, due.NearestAlarm().alarm);
    EXPECT_DOUBLE_EQ(following, due.NearestAlarm().when);
    EXPECT_TRUE(Has(due, skipped));
    EXPECT_EQ(2u, due.Moments().size());  // seven looks, two distinct occurrences
}

TEST_F(DueMomentsTest, TimersAndStoppingStopwatchesFallDueWhenTheirTimeRunsOut) {
    TimerItem* timer = store_.CreateTimer(nullptr);
    timer->time = Ticks_FromSeconds(90) + Ticks_FromMilliseconds(700);  // whole seconds count
    TimerItem* idleTemplate = store_.CreateTimer(nullptr);
    idleTemplate->flags |= TimerItem::kTemplate;
    idleTemplate->time = Ticks_FromSeconds(30);

    StopwatchItem* stopping = store_.CreateStopwatch();
    stopping->time = Ticks_FromSeconds(10);
    stopping->StopTime = Ticks_FromSeconds(70);
    StopwatchItem* held = store_.CreateStopwatch();
    held->StopTime = Ticks_FromSeconds(20);
    held->flags |= TimerItem::kStopwatchHeld;
    store_.CreateStopwatch();  // no stop time

    DueMoments due = DueMoments::Collect(store_, kMonday8);
    EXPECT_EQ(2u, due.Moments().size());
    EXPECT_TRUE(Has(due, kMonday8 + 60 * kSecond));
    EXPECT_TRUE(Has(due, kMonday8 + 90 * kSecond));
    EXPECT_EQ(nullptr, due.NearestAlarm().alarm);  // timers are never the nearest alarm
}

TEST_F(DueMomentsTest, SilentAndHiddenAlarmsWakeButAreNotShown) {
    AlarmItem* silent = AddAlarm(AlarmItem::kDaysMask, 9, 0);
    silent->SetOption1(false);
    silent->SetOption5(false);
    silent->SetOption7(false);
    AlarmItem* hidden = AddAlarm(AlarmItem::kDaysMask, 9, 0);
    hidden->flags |= AlarmItem::kHidden;
    AlarmItem* shown = AddAlarm(AlarmItem::kDaysMask, 10, 30);
    AlarmItem* fresh = AddAlarm(AlarmItem::kDaysMask, 8, 30);
    fresh->flags |= AlarmItem::kNew;

    DueMoments due = DueMoments::Collect(store_, kMonday8);
    EXPECT_EQ(shown, due.NearestAlarm().alarm);
    EXPECT_TRUE(Has(due, Time_DateFromParts(2026, 12, 7, 9, 0, 0, 0)));
    EXPECT_FALSE(Has(due, Time_DateFromParts(2026, 12, 7, 8, 30, 0, 0)));
    EXPECT_EQ(14u, due.Moments().size());  // 9:00 and 10:30 on seven days, the pair at 9:00 once
}

TEST_F(DueMomentsTest, SnoozedAlarmIsDueAtItsSnoozeAndMarkedAlarmsGetANewTime) {
    AlarmItem* snoozed = AddAlarm(AlarmItem::kDaysMask, 12, 0);
    snoozed->SetDismissed(false);
    snoozed->snooze = kMonday8 + 300 * kSecond;
    AlarmItem* marked = AddAlarm(1u << 1, 7, 15);  // Monday, already past today
    marked->flags |= AlarmItem::kFired;
    marked->time = Time_DateFromParts(2020, 1, 1, 7, 15, 0, 0);

    DueMoments due = DueMoments::Collect(store_, kMonday8);
    EXPECT_EQ(snoozed, due.NearestAlarm().alarm);
    EXPECT_DOUBLE_EQ(snoozed->snooze, due.NearestAlarm().when);
    EXPECT_DOUBLE_EQ(Time_DateFromParts(2026, 12, 14, 7, 15, 0, 0), marked->time);
    EXPECT_FALSE(marked->flags & AlarmItem::kFired);
}

// Due at a whole minute: published as that minute, in the text as in both FILETIMEs.
TEST_F(DueMomentsTest, NearestAlarmIsPublishedAtItsMinute) {
    AlarmItem* alarm = AddAlarm(AlarmItem::kDaysMask, 14, 30);
    const SYSTEMTIME exact = {2026, 12, 1, 8, 14, 30, 0, 0};  // Tuesday 8 December 14:30
    FILETIME expected;
    ASSERT_TRUE(SystemTimeToFileTime(&exact, &expected));
    wchar_t clock[64] = {}, tuesday[64] = {};
    GetTimeFormatW(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &exact, nullptr, clock, 64);
    GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SABBREVDAYNAME2, tuesday, 64);
    RegKeyRef product = RegKeyRef::Open(L"Software\\Ostrel\\Orvalen", HKEY_CURRENT_USER, false);
    ASSERT_TRUE(product.IsOpen());
    const OleDate due = Time_DateFromParts(2026, 12, 8, 14, 30, 0, 0);
    // As computed (floor of now plus the time of day) and a hair below.
    for (OleDate when : {std::floor(kMonday8 + 1) + (alarm->time - std::floor(alarm->time)), std::nextafter(due, 0.0)}) {
        NearestAlarmState::Publish(product, DueMoments::Nearest{alarm, when}, kMonday8);
        FILETIME next = {}, bin = {};
        DWORD size = sizeof next;
        ASSERT_EQ(ERROR_SUCCESS, RegGetValueW(HKEY_CURRENT_USER, NearestAlarmState::kShellAlarmsKey,
                                              NearestAlarmState::kShellNextValue, RRF_RT_REG_BINARY, nullptr, &next, &size));
        size = sizeof bin;
        ASSERT_EQ(ERROR_SUCCESS, RegGetValueW(HKEY_CURRENT_USER, L"Software\\Ostrel\\Orvalen",
                                              NearestAlarmState::kTimeBinValue, RRF_RT_REG_BINARY, nullptr, &bin, &size));
        EXPECT_EQ(0, CompareFileTime(&expected, &next)) << Time_FileTimeToTicks(next) - Time_FileTimeToTicks(expected);
        EXPECT_EQ(0, CompareFileTime(&expected, &bin));
        EXPECT_EQ(std::wstring(clock) + L", " + tuesday, NearestAlarmState::TimeText(when, kMonday8));
    }
}

// A tick or reschedule slow enough to pass an alarm's moment before it armed the wait
// must not leave the alarm to the next tick; one the tick already saw overdue waits.
TEST_F(DueMomentsTest, AMomentThatCameAfterTheLastCheckIsDueAtOnce) {
    const OleDate checked = kMonday8 + 59 * 60 * kSecond;  // 08:59:00
    const OleDate now = checked + 0.6 * kSecond;
    AlarmItem* alarm = AddAlarm(AlarmItem::kDaysMask, 8, 59);
    alarm->flags |= AlarmItem::kEnabled;
    alarm->time = checked + 0.3 * kSecond;
    EXPECT_EQ(1, DueMoments::MsToNextFiring(store_, now, checked, 600));
    alarm->time = now + 0.2 * kSecond;
    EXPECT_NEAR(200, DueMoments::MsToNextFiring(store_, now, checked, 600), 1);
    alarm->time = checked - kSecond;
    EXPECT_EQ(-1, DueMoments::MsToNextFiring(store_, now, checked, 600));
}

SYSTEMTIME At(int day, int hour, int minute, int second, int millisecond) {
    SYSTEMTIME st;
    Time_DateToSystemTime(Time_DateFromParts(2026, 12, day, hour, minute, second, millisecond), st);
    return st;
}

// A step of a device that is on, in a zone at UTC.
int64_t StepOn(TickClock& clock, const SYSTEMTIME& t, DWORD tickCount) { return clock.Step(t, t, tickCount, true); }

TEST(TickClock, TheTickCounterCountsUnlessTheClockJumped) {
    TickClock clock;
    StepOn(clock, At(7, 10, 0, 0, 0), 5000);
    EXPECT_EQ(400, StepOn(clock, At(7, 10, 0, 0, 400), 5400));
    // Set forward by an hour: the whole hour passed for the items (dates keep about a millisecond).
    EXPECT_NEAR(3600600, StepOn(clock, At(7, 11, 0, 1, 0), 6400), 1);
    // Set back within the day: only what the counter saw.
    EXPECT_EQ(1000, StepOn(clock, At(7, 10, 30, 0, 0), 7400));
    // Across midnight the date differs: the clock's difference counts.
    StepOn(clock, At(7, 23, 59, 59, 500), 8000);
    EXPECT_NEAR(900, StepOn(clock, At(8, 0, 0, 0, 400), 99999), 1);
    // The counter wrapping around is still a small step.
    StepOn(clock, At(8, 0, 0, 1, 0), 0xFFFFFF00u);
    EXPECT_EQ(0x200, StepOn(clock, At(8, 0, 0, 1, 500), 0x100));
    // Two hours east (or daylight saving begins): only the local clock moved.
    EXPECT_EQ(1000, clock.Step(At(8, 2, 0, 2, 500), At(8, 0, 0, 2, 500), 0x100 + 1000, true));
}

// What moved the wall clock beyond the time that passed is taken once by the change
// word; a jump a step saw holds the waits it jumped over until then, or until ten
// seconds without a word show it was the device sleeping.
TEST(TickClock, ClockChangesAreTakenOnceAndHoldWhatTheyJumpedOver) {
    const auto at = [](int hour, int minute, int second) { return Time_DateFromParts(2026, 12, 7, hour, minute, second, 0); };
    TickClock clock;
    StepOn(clock, At(7, 10, 0, 0, 0), 5000);
    clock.TakeChange(At(7, 10, 0, 0, 0), 5000);  // from the device's clock to the test's
    StepOn(clock, At(7, 10, 3, 1, 0), 6000);         // three minutes forward
    EXPECT_TRUE(clock.JumpedOver(at(10, 2, 0)));
    EXPECT_FALSE(clock.JumpedOver(at(10, 4, 0)));
    EXPECT_NEAR(180000, clock.TakeChange(At(7, 10, 3, 1, 500), 6500), 1);
    EXPECT_FALSE(clock.JumpedOver(at(10, 2, 0)));
    EXPECT_EQ(0, clock.TakeChange(At(7, 10, 3, 2, 0), 7000));

    // An hour back, the word before any step; the step after does not count it again.
    EXPECT_NEAR(-3600000, clock.TakeChange(At(7, 9, 3, 2, 500), 7500), 1);
    EXPECT_EQ(2000, StepOn(clock, At(7, 9, 3, 3, 0), 8000));
    EXPECT_EQ(0, clock.TakeChange(At(7, 9, 3, 3, 0), 8000));

    // Asleep, the counter stood still: the time the clocks went on passed, and jumped nothing,
    // in one step or a second at a time, and in the step that woke.
    EXPECT_NEAR(300000, clock.Step(At(7, 9, 8, 3, 0), At(7, 9, 8, 3, 0), 8000, false), 1);
    EXPECT_NEAR(1000, clock.Step(At(7, 9, 8, 4, 0), At(7, 9, 8, 4, 0), 8000, false), 1);
    EXPECT_NEAR(1000, StepOn(clock, At(7, 9, 8, 5, 0), 8200), 1);
    EXPECT_FALSE(clock.JumpedOver(at(9, 5, 0)));

    // A jump no word explains.
    StepOn(clock, At(7, 11, 0, 0, 0), 9200);
    EXPECT_TRUE(clock.JumpedOver(at(10, 30, 0)));
    StepOn(clock, At(7, 11, 0, 11, 0), 20000);
    EXPECT_FALSE(clock.JumpedOver(at(10, 30, 0)));
    EXPECT_EQ(0, clock.TakeChange(At(7, 11, 0, 11, 0), 20000));
}

TEST(StopwatchLoad, StopTimePassedWhileAwayStopsItAndKeepsItsLaps) {
    RegKeyRef key = RegKeyRef::Open(L"Software\\Ostrel\\Orvalen\\StopwatchLoadTest", HKEY_CURRENT_USER, false);
    ASSERT_TRUE(key.IsOpen());
    StopwatchItem saved(1, Ticks_FromSeconds(60));
    saved.time = Ticks_FromSeconds(50);
    saved.AddLap();
    saved.AddLap();
    saved.Save(key);

    StopwatchItem loaded(2, StopwatchItem::kNoStopTime);
    ASSERT_TRUE(loaded.Load(key, Ticks_FromSeconds(3600)));
    EXPECT_FALSE(loaded.IsRunning());
    EXPECT_EQ(0, loaded.time);
    ASSERT_EQ(1u, loaded.laps.size());
    EXPECT_EQ(2u, loaded.laps[0].size());
}

}  // namespace
