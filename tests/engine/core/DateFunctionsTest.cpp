#include "DateFunctions.h"

#include <DeviceClock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {


// The oracle: civil dates by proleptic Gregorian day counting of its own,
// with day 0 at 1899-12-30.
struct Civil {
    int year, month, day;
};

int64_t DaysFromCivil(int y, int m, int d) {
    // Proleptic Gregorian, days since 1970-01-01 (the algorithm of H. Hinnant).
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

Civil CivilFromDays(int64_t z) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    return Civil{static_cast<int>(yoe + era * 400 + (m <= 2)), m, d};
}

const int64_t kDay0 = DaysFromCivil(1899, 12, 30);

int64_t OracleDay(int y, int m, int d) { return DaysFromCivil(y, m, d) - kDay0; }
int OracleWeekday(int64_t oleDay) {  // 1970-01-01 was a Thursday
    return static_cast<int>(((oleDay + kDay0) % 7 + 7 + 4) % 7);
}

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }
int DaysInMonth(int y, int m) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : days[m - 1];
}

void ExpectClock(const SYSTEMTIME& st, int h, int mi, int s, int ms) {
    EXPECT_EQ(st.wHour, h);
    EXPECT_EQ(st.wMinute, mi);
    EXPECT_EQ(st.wSecond, s);
    EXPECT_EQ(st.wMilliseconds, ms);
}

}  // namespace

TEST(DateFunctionsTest, KnownDates) {
    EXPECT_EQ(Time_DateFromParts(1899, 12, 30, 0, 0, 0, 0), 0.0);
    EXPECT_EQ(Time_DateFromParts(1899, 12, 31, 0, 0, 0, 0), 1.0);
    EXPECT_EQ(Time_DateFromParts(2000, 1, 1, 12, 0, 0, 0), 36526.5);

    SYSTEMTIME st;
    EXPECT_EQ(Time_DateToSystemTime(36526.5, st), 36526);
    EXPECT_EQ(st.wYear, 2000);
    EXPECT_EQ(st.wMonth, 1);
    EXPECT_EQ(st.wDay, 1);
    EXPECT_EQ(st.wDayOfWeek, 6);
    ExpectClock(st, 12, 0, 0, 0);

    ClockTime half = Time_FractionToClock(41000.5);
    EXPECT_EQ(half.hour, 12);
    EXPECT_EQ(half.minute + half.second + half.millisecond, 0);

    FILETIME epoch = Time_DateEpoch();
    EXPECT_EQ(Time_FileTimeToTicks(epoch), (DaysFromCivil(1899, 12, 31) - DaysFromCivil(1601, 1, 1)) * kTicksPerDay);
}

// Every day of the years around the three century rules, at clock times across the day.
TEST(DateFunctionsTest, RoundTripsAgreeWithCivilArithmetic) {
    const int kClocks[][4] = {{0, 0, 0, 0}, {0, 0, 0, 1}, {6, 30, 15, 250}, {12, 0, 0, 0}, {23, 59, 59, 999}};
    for (int firstYear : {1896, 1999, 2096}) {
        for (int y = firstYear; y < firstYear + 9; ++y) {
            for (int m = 1; m <= 12; ++m) {
                for (int d = 1; d <= DaysInMonth(y, m); ++d) {
                    for (const auto& c : kClocks) {
                        OleDate date = Time_DateFromParts(y, m, d, c[0], c[1], c[2], c[3]);
                        int64_t day = OracleDay(y, m, d);
                        ASSERT_EQ(std::floor(date), static_cast<double>(day)) << y << '-' << m << '-' << d;
                        SYSTEMTIME st;
                        ASSERT_EQ(Time_DateToSystemTime(date, st), day);
                        ASSERT_EQ(st.wDayOfWeek, OracleWeekday(day));
                        if (day >= 0) {
                            ASSERT_EQ(st.wYear, y);
                            ASSERT_EQ(st.wMonth, m);
                            ASSERT_EQ(st.wDay, d);
                        } else {
                            // Before day 0 the date part is left empty.
                            ASSERT_EQ(st.wYear + st.wMonth + st.wDay, 0);
                        }
                        int want = ((c[0] * 60 + c[1]) * 60 + c[2]) * 1000 + c[3];
                        int got = ((st.wHour * 60 + st.wMinute) * 60 + st.wSecond) * 1000 + st.wMilliseconds;
                        ASSERT_EQ(got, want) << y << '-' << m << '-' << d;

                        if (day >= 0) {
                            FILETIME ft;
                            ASSERT_TRUE(Time_DateToFileTime(date, ft));
                            ASSERT_EQ(Time_FileTimeToTicks(ft),
                                      (DaysFromCivil(y, m, d) - DaysFromCivil(1601, 1, 1)) * kTicksPerDay +
                                          got * kTicksPerMillisecond);
                            OleDate back = 0;
                            ASSERT_TRUE(Time_FileTimeToDate(ft, back));
                            ASSERT_NEAR(back, date, 2 * kDaysPerMillisecond);
                        }
                    }
                }
            }
        }
    }
}

// A date held a hair below a whole minute (as sums of days and fractions are) is that
// minute, not a millisecond before it; rounding carries through seconds, minutes, hours
// and into the next day. Only a clock without a day keeps the last half millisecond of
// a day as 23:59:59.999.
TEST(DateFunctionsTest, DatesBecomeTheNearestMillisecond) {
    for (int day = 45000; day < 45000 + 40; ++day) {
        for (int minute = 0; minute < 24 * 60; ++minute) {
            const OleDate clock = Time_DateFromParts(1899, 12, 30, minute / 60, minute % 60, 0, 0);
            for (OleDate date : {day + clock, std::nextafter(day + clock, 0.0)}) {
                SYSTEMTIME st;
                Time_DateToSystemTime(date, st);
                ASSERT_EQ(st.wHour * 60 + st.wMinute, minute) << day << ' ' << date;
                ASSERT_EQ(st.wSecond + st.wMilliseconds, 0) << day << ' ' << date;
            }
        }
    }
    SYSTEMTIME st;
    Time_DateToSystemTime(45000 + (11 * 3600000 - 0.4) * kDaysPerMillisecond, st);
    ExpectClock(st, 11, 0, 0, 0);
    Time_DateToSystemTime(45000 + (11 * 3600000 - 0.6) * kDaysPerMillisecond, st);
    ExpectClock(st, 10, 59, 59, 999);
    Time_DateToSystemTime(45000 + (11 * 3600000 - 1.6) * kDaysPerMillisecond, st);
    ExpectClock(st, 10, 59, 59, 998);
    EXPECT_EQ(Time_DateToSystemTime(std::nextafter(45001.0, 0.0), st), 45001);
    ExpectClock(st, 0, 0, 0, 0);
    EXPECT_EQ(st.wDay, 16);  // 2023-03-16
    EXPECT_EQ(st.wDayOfWeek, 4);
    ClockTime last = Time_FractionToClock(std::nextafter(45001.0, 0.0));
    EXPECT_EQ(last.hour * 3600000 + last.minute * 60000 + last.second * 1000 + last.millisecond, 86399999);

    // The FILETIME follows: a whole minute is a whole minute.
    FILETIME ft;
    ASSERT_TRUE(Time_DateToFileTime(std::nextafter(45000.0 + 0.5, 0.0), ft));
    EXPECT_EQ(Time_FileTimeToTicks(ft) % (60 * kTicksPerSecond), 0);
}

TEST(DateFunctionsTest, FractionsAroundDayZeroUseTheFloor) {
    SYSTEMTIME st;
    // Within the first day: still 1899-12-30, not the day after.
    EXPECT_EQ(Time_DateToSystemTime(0.75, st), 0);
    EXPECT_EQ(st.wYear, 1899);
    EXPECT_EQ(st.wMonth, 12);
    EXPECT_EQ(st.wDay, 30);
    ExpectClock(st, 18, 0, 0, 0);

    // 1899-12-29 06:00 is -1 + 0.25.
    OleDate before = Time_DateFromParts(1899, 12, 29, 6, 0, 0, 0);
    EXPECT_EQ(before, -0.75);
    EXPECT_EQ(Time_DateToSystemTime(before, st), -1);
    EXPECT_EQ(st.wDayOfWeek, 5);  // a Friday
    ExpectClock(st, 6, 0, 0, 0);

    // The smallest negative fraction is the next midnight, never hour 24.
    EXPECT_EQ(Time_DateToSystemTime(-1e-17, st), 0);
    ExpectClock(st, 0, 0, 0, 0);
    EXPECT_EQ(st.wYear, 1899);
}

TEST(DateFunctionsTest, NeverAndValuesWithoutADate) {
    SYSTEMTIME st;
    int64_t day = Time_DateToSystemTime(kOleDateNever, st);
    EXPECT_EQ(day, 9999999);
    Civil never = CivilFromDays(9999999 + kDay0);
    EXPECT_EQ(st.wYear, never.year);
    EXPECT_EQ(st.wMonth, never.month);
    EXPECT_EQ(st.wDay, never.day);
    FILETIME ft;
    ASSERT_TRUE(Time_DateToFileTime(kOleDateNever, ft));
    OleDate back = 0;
    ASSERT_TRUE(Time_FileTimeToDate(ft, back));
    EXPECT_EQ(back, kOleDateNever);

    for (double bad : {1e300, -1e300, std::numeric_limits<double>::infinity(),
                       std::numeric_limits<double>::quiet_NaN(), -5.5}) {
        SYSTEMTIME empty;
        Time_DateToSystemTime(bad, empty);
        EXPECT_EQ(empty.wYear + empty.wMonth + empty.wDay, 0) << bad;
        EXPECT_LT(empty.wHour, 24);
        EXPECT_FALSE(Time_DateToFileTime(bad, ft)) << bad;
    }
    FILETIME beyond = {0xFFFFFFFF, 0xFFFFFFFF};
    EXPECT_FALSE(Time_FileTimeToDate(beyond, back));
}

TEST(DateFunctionsTest, InvalidPartsCountAsZero) {
    const double sixHours = 0.25;
    EXPECT_EQ(Time_DateFromParts(2023, 2, 29, 6, 0, 0, 0), sixHours);  // no such day
    EXPECT_EQ(Time_DateFromParts(2024, 13, 1, 6, 0, 0, 0), sixHours);
    EXPECT_EQ(Time_DateFromParts(1600, 12, 31, 6, 0, 0, 0), sixHours);  // before FILETIME
    EXPECT_EQ(Time_DateFromParts(67137, 1, 1, 6, 0, 0, 0), sixHours);   // would wrap to 1601
    EXPECT_EQ(Time_DateFromParts(2024, 2, 29, 24, 0, 0, 0), static_cast<double>(OracleDay(2024, 2, 29)));
    EXPECT_EQ(Time_DateFromParts(2024, 2, 29, 1, 60, 0, 0), static_cast<double>(OracleDay(2024, 2, 29)));
    EXPECT_EQ(Time_DateFromParts(2024, 2, 29, 1, 0, 0, 1000), static_cast<double>(OracleDay(2024, 2, 29)));
}

TEST(DateFunctionsTest, NowComesFromTheDeviceClock) {
    // Retry across a minute boundary so that before and after name the same minute.
    for (int attempt = 0; attempt < 3; ++attempt) {
        SYSTEMTIME before, after;
        DeviceClock_GetLocalTime(&before);
        OleDate setForm = Time_LocalNowAsDate(false);
        OleDate exact = Time_LocalNowAsDate(true);
        DeviceClock_GetLocalTime(&after);
        if (before.wMinute != after.wMinute)
            continue;
        SYSTEMTIME expected = before;
        expected.wSecond = 0;
        expected.wMilliseconds = 100;
        EXPECT_EQ(setForm, Time_SystemTimeToDate(expected));
        EXPECT_GE(exact, Time_SystemTimeToDate(before));
        EXPECT_LE(exact, Time_SystemTimeToDate(after));
        return;
    }
    FAIL() << "the minute changed on every attempt";
}

TEST(DateFunctionsTest, UtcNowComesFromTheDeviceClock) {
    SYSTEMTIME before, after;
    DeviceClock_GetSystemTime(&before);
    OleDate now = Time_NowAsDate(true);
    DeviceClock_GetSystemTime(&after);
    EXPECT_GE(now, Time_SystemTimeToDate(before));
    EXPECT_LE(now, Time_SystemTimeToDate(after));
}
