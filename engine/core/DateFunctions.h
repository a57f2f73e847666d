#pragma once
// Dates as stored by the items: OleDate counts days since 1899-12-30 00:00, the
// fraction being the time of day, in local time unless a caller asks for UTC.
// Durations are Ticks100ns, the FILETIME unit. "Now" always comes from the device
// clock, never from the host's.
#include <windows.h>

#include <cstdint>

using OleDate = double;
using Ticks100ns = int64_t;

constexpr OleDate kOleDateNever = 9999999.0;
constexpr Ticks100ns kTicksPerMillisecond = 10000;
constexpr Ticks100ns kTicksPerSecond = 10000000;
constexpr Ticks100ns kTicksPerDay = 864000000000;
constexpr double kDaysPerMillisecond = 1.0 / 86400000.0;

// A clock part of a day; also the result of Time_FractionToClock.
struct ClockTime {
    int hour;
    int minute;
    int second;
    int millisecond;
};

// FILETIME of 1899-12-31 00:00:00.000, day 1.
FILETIME Time_DateEpoch();

// A date that SystemTimeToFileTime rejects counts as day 0, as an out-of-range
// clock part counts as midnight.
OleDate Time_DateFromParts(int year, int month, int day, int hour, int minute, int second,
                           int millisecond);
OleDate Time_SystemTimeToDate(const SYSTEMTIME& st);
OleDate Time_NowAsDate(bool utc);
// Not exact: seconds become 0 and milliseconds 100, the form alarm times are set in.
OleDate Time_LocalNowAsDate(bool exact);
// The nearest millisecond: a date held a hair below a whole minute is that minute.
// With no day to carry into, the last half millisecond of a day gives 23:59:59.999.
ClockTime Time_FractionToClock(OleDate date);
// Fills st (day of week 0 = Sunday) with the nearest millisecond, carrying into the
// next second, minute, hour and day, and returns the day number of st: floor(date), one
// more when the rounding carried into the next day. Dates before day 0, beyond the
// FILETIME range or not finite leave year, month and day 0.
int64_t Time_DateToSystemTime(OleDate date, SYSTEMTIME& st);

// Through SYSTEMTIME, without time-zone conversion; false when the value has no
// counterpart (year, month and day 0 above; a FILETIME beyond SYSTEMTIME's range).
bool Time_DateToFileTime(OleDate date, FILETIME& ft);
bool Time_FileTimeToDate(const FILETIME& ft, OleDate& date);
// The FILETIME value of date, rounded to the nearest millisecond (a stored date may
// lie a hair below the millisecond it means); false for dates before day 0 or beyond
// the FILETIME range.
bool Time_DateToTicks(OleDate date, Ticks100ns& ticks);

// Whole milliseconds from `from` to `to`, rounded to the millisecond since stored
// dates are not exact: 0 when `to` is earlier (a clock set back) or either date is
// not finite, at most kMaxElapsedMilliseconds (a clock set far forward).
constexpr int64_t kMaxElapsedMilliseconds = int64_t{0x7FFFFFFF} * 1000;
int64_t Time_ElapsedMilliseconds(OleDate from, OleDate to);

// Durations in 64 bits: seconds and milliseconds from the clock overflow 32 bits
// within minutes once turned into 100-ns units.
inline Ticks100ns Ticks_FromSeconds(int64_t seconds) { return seconds * kTicksPerSecond; }
inline Ticks100ns Ticks_FromMilliseconds(int64_t milliseconds) { return milliseconds * kTicksPerMillisecond; }
// a + b, held at the int64 limits instead of wrapping.
Ticks100ns Ticks_AddSaturated(Ticks100ns a, Ticks100ns b);

// A duration as a clock shows it: hours (the days counted in), minutes, seconds and
// milliseconds; a negative duration counts as zero.
struct DurationParts {
    unsigned hours;
    unsigned minutes;
    unsigned seconds;
    unsigned milliseconds;
};
DurationParts Ticks_SplitDuration(Ticks100ns duration);

inline Ticks100ns Time_FileTimeToTicks(const FILETIME& ft) {
    return static_cast<Ticks100ns>((static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime);
}
inline FILETIME Time_TicksToFileTime(Ticks100ns ticks) {
    uint64_t v = static_cast<uint64_t>(ticks);
    return FILETIME{static_cast<DWORD>(v), static_cast<DWORD>(v >> 32)};
}
