#include "DateFunctions.h"

#include <DeviceClock.h>

#include <cmath>
#include <cstdint>

namespace {

constexpr int64_t kMillisecondsPerDay = 86400000;
// Days from 0001-01-01 to day 0, which makes day 0 a Saturday (6).
constexpr int64_t kDayOfWeekOffset = 693594;
// SYSTEMTIME's year range, as FILETIME can hold it.
constexpr int kFirstYear = 1601;
constexpr int kLastYear = 30827;

int64_t FileTimeValue(const FILETIME& ft) { return Time_FileTimeToTicks(ft); }

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

double DayPart(int year, int month, int day) {
    // Checked here: WORD fields would wrap out-of-range numbers into valid-looking
    // dates, and not every SystemTimeToFileTime refuses a 30 February.
    if (year < kFirstYear || year > kLastYear || month < 1 || month > 12 || day < 1 ||
        day > DaysInMonth(year, month))
        return 0.0;
    SYSTEMTIME st = {};
    st.wYear = static_cast<WORD>(year);
    st.wMonth = static_cast<WORD>(month);
    st.wDay = static_cast<WORD>(day);
    FILETIME ft;
    if (!SystemTimeToFileTime(&st, &ft))
        return 0.0;
    // Both are midnights, so the division is exact on either side of the epoch.
    return static_cast<double>((FileTimeValue(ft) - FileTimeValue(Time_DateEpoch())) / kTicksPerDay + 1);
}

double FractionPart(int hour, int minute, int second, int millisecond) {
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 ||
        millisecond < 0 || millisecond > 999)
        return 0.0;
    unsigned ms = millisecond + hour * 3600000u + minute * 60000u + second * 1000u;
    return static_cast<double>(ms) * kDaysPerMillisecond;
}

// Last day number whose midnight still fits in a FILETIME.
int64_t LastFileTimeDay() {
    return (INT64_MAX - FileTimeValue(Time_DateEpoch())) / kTicksPerDay + 1;
}

// The millisecond of the day nearest to the date's fraction: 0 .. kMillisecondsPerDay,
// the last value meaning the next day's midnight.
int64_t NearestMillisecondOfDay(OleDate date) {
    int64_t ms = std::llround((date - std::floor(date)) * static_cast<double>(kMillisecondsPerDay));
    return ms < 0 ? 0 : ms > kMillisecondsPerDay ? kMillisecondsPerDay : ms;
}

ClockTime ClockOf(int64_t ms) {
    return ClockTime{static_cast<int>(ms / 3600000), static_cast<int>(ms % 3600000 / 60000),
                     static_cast<int>(ms % 60000 / 1000), static_cast<int>(ms % 1000)};
}

}  // namespace

FILETIME Time_DateEpoch() {
    static const FILETIME epoch = [] {
        SYSTEMTIME st = {};
        st.wYear = 1899;
        st.wMonth = 12;
        st.wDay = 31;
        FILETIME ft = {};
        SystemTimeToFileTime(&st, &ft);
        return ft;
    }();
    return epoch;
}

OleDate Time_DateFromParts(int year, int month, int day, int hour, int minute, int second,
                           int millisecond) {
    return DayPart(year, month, day) + FractionPart(hour, minute, second, millisecond);
}

OleDate Time_SystemTimeToDate(const SYSTEMTIME& st) {
    return Time_DateFromParts(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond,
                              st.wMilliseconds);
}

OleDate Time_NowAsDate(bool utc) {
    SYSTEMTIME st;
    if (utc)
        DeviceClock_GetSystemTime(&st);
    else
        DeviceClock_GetLocalTime(&st);
    return Time_SystemTimeToDate(st);
}

OleDate Time_LocalNowAsDate(bool exact) {
    SYSTEMTIME st;
    DeviceClock_GetLocalTime(&st);
    if (!exact) {
        st.wSecond = 0;
        st.wMilliseconds = 100;
    }
    return Time_SystemTimeToDate(st);
}

ClockTime Time_FractionToClock(OleDate date) {
    if (!std::isfinite(date))
        return ClockTime{0, 0, 0, 0};
    // Without a day to carry into, the last half millisecond stays on the day.
    int64_t ms = NearestMillisecondOfDay(date);
    return ClockOf(ms < kMillisecondsPerDay ? ms : kMillisecondsPerDay - 1);
}

int64_t Time_DateToSystemTime(OleDate date, SYSTEMTIME& st) {
    st = SYSTEMTIME{};
    if (!std::isfinite(date) || std::fabs(date) >= static_cast<double>(INT64_MAX / 2))
        return 0;
    // The day is the floor (truncating would move 0 < date < 1 to 1899-12-31 and
    // negative dates a day late); a fraction that rounds to a whole day carries into it.
    int64_t dayNumber = static_cast<int64_t>(std::floor(date));
    int64_t ms = NearestMillisecondOfDay(date);
    if (ms == kMillisecondsPerDay) {
        ++dayNumber;
        ms = 0;
    }
    if (dayNumber >= 0 && dayNumber <= LastFileTimeDay()) {
        FILETIME ft = Time_TicksToFileTime(FileTimeValue(Time_DateEpoch()) + (dayNumber - 1) * kTicksPerDay);
        SYSTEMTIME day;
        if (FileTimeToSystemTime(&ft, &day)) {
            st.wYear = day.wYear;
            st.wMonth = day.wMonth;
            st.wDay = day.wDay;
        }
    }
    ClockTime clock = ClockOf(ms);
    st.wHour = static_cast<WORD>(clock.hour);
    st.wMinute = static_cast<WORD>(clock.minute);
    st.wSecond = static_cast<WORD>(clock.second);
    st.wMilliseconds = static_cast<WORD>(clock.millisecond);
    st.wDayOfWeek = static_cast<WORD>(((dayNumber + kDayOfWeekOffset) % 7 + 7) % 7);
    return dayNumber;
}

bool Time_DateToFileTime(OleDate date, FILETIME& ft) {
    SYSTEMTIME st;
    Time_DateToSystemTime(date, st);
    return st.wYear != 0 && SystemTimeToFileTime(&st, &ft);
}

bool Time_FileTimeToDate(const FILETIME& ft, OleDate& date) {
    SYSTEMTIME st;
    if (!FileTimeToSystemTime(&ft, &st))
        return false;
    date = Time_SystemTimeToDate(st);
    return true;
}

int64_t Time_ElapsedMilliseconds(OleDate from, OleDate to) {
    if (!std::isfinite(from) || !std::isfinite(to) || to <= from) return 0;
    double milliseconds = std::floor((to - from) * static_cast<double>(kMillisecondsPerDay) + 0.5);
    if (milliseconds >= static_cast<double>(kMaxElapsedMilliseconds)) return kMaxElapsedMilliseconds;
    return static_cast<int64_t>(milliseconds);
}

Ticks100ns Ticks_AddSaturated(Ticks100ns a, Ticks100ns b) {
    if (b > 0 && a > INT64_MAX - b) return INT64_MAX;
    if (b < 0 && a < INT64_MIN - b) return INT64_MIN;
    return a + b;
}

DurationParts Ticks_SplitDuration(Ticks100ns duration) {
    if (duration < 0) duration = 0;
    // Even the longest duration has fewer hours than 32 bits hold.
    unsigned days = static_cast<unsigned>(duration / kTicksPerDay);
    Ticks100ns rest = duration % kTicksPerDay;
    const Ticks100ns hour = 3600 * kTicksPerSecond, minute = 60 * kTicksPerSecond;
    return DurationParts{days * 24 + static_cast<unsigned>(rest / hour), static_cast<unsigned>(rest % hour / minute),
                         static_cast<unsigned>(rest % minute / kTicksPerSecond),
                         static_cast<unsigned>(rest % kTicksPerSecond / kTicksPerMillisecond)};
}

bool Time_DateToTicks(OleDate date, Ticks100ns& ticks) {
    if (!std::isfinite(date) || date < 0.0 || date >= static_cast<double>(LastFileTimeDay())) return false;
    double day = std::floor(date);
    int64_t milliseconds = NearestMillisecondOfDay(date);
    ticks = FileTimeValue(Time_DateEpoch()) + (static_cast<int64_t>(day) - 1) * kTicksPerDay +
            milliseconds * kTicksPerMillisecond;
    return true;
}
