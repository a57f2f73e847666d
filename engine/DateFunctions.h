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
// Truncates, never rounds: one millisecond short of a whole value yields .999.
ClockTime Time_FractionToClock(OleDate date);
// Fills st (day of week 0 = Sunday) and returns the day number, floor(date). Dates
// before day 0, beyond the FILETIME range or not finite leave year, month and day 0.
int64_t Time_DateToSystemTime(OleDate date, SYSTEMTIME& st);

// Through SYSTEMTIME, without time-zone conversion; false when the value has no
// counterpart (year, month and day 0 above; a FILETIME beyond SYSTEMTIME's range).
bool Time_DateToFileTime(OleDate date, FILETIME& ft);
bool Time_FileTimeToDate(const FILETIME& ft, OleDate& date);

inline Ticks100ns Time_FileTimeToTicks(const FILETIME& ft) {
    return static_cast<Ticks100ns>((static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime);
}
inline FILETIME Time_TicksToFileTime(Ticks100ns ticks) {
    uint64_t v = static_cast<uint64_t>(ticks);
    return FILETIME{static_cast<DWORD>(v), static_cast<DWORD>(v >> 32)};
}
