#include "NtpTime.h"

#include "DeviceClock.h"

#include <cmath>

namespace {
constexpr double kFractionUnit = 4294967295.0;  // 2^32 - 1: the fraction's scale
constexpr uint32_t kSecondsPerDay = 86400;
// Days from 1 March of year 0 (proleptic Gregorian) to 1 January 1900.
constexpr uint32_t kDaysTo1900 = 693902;
// Day number of 1 January 1900 in the day-of-week count that puts Sunday at 0.
constexpr uint32_t kWeekdayBase = 2415022;
constexpr uint32_t kDaysPer400Years = 146097;
constexpr uint32_t kDaysPer4Years = 1461;

uint64_t AsFixed(NtpTime t) { return (uint64_t(t.seconds) << 32) | t.fraction; }
NtpTime FromFixed(uint64_t v) { return NtpTime{uint32_t(v), uint32_t(v >> 32)}; }

// Milliseconds to a fraction, rounded: 1 ms is 0x00418937, 500 ms 0x80000000.
uint32_t FractionOfMilliseconds(uint32_t ms) { return uint32_t(((uint64_t(ms) << 32) + 500) / 1000); }
}  // namespace

NtpTime Ntp_FromSystemTime(const SYSTEMTIME& utc) {
    // Years counted from March, so the leap day ends the year.
    uint32_t month = utc.wMonth, year = utc.wYear;
    if (month > 2) {
        month -= 3;
    } else {
        month += 9;
        --year;
    }
    uint32_t days = (153 * month + 2) / 5 + ((year % 100) * kDaysPer4Years) / 4 + ((year / 100) * kDaysPer400Years) / 4 +
                    utc.wDay - kDaysTo1900;
    uint32_t seconds = ((days * 24 + utc.wHour) * 60 + utc.wMinute) * 60 + utc.wSecond;
    return NtpTime{FractionOfMilliseconds(utc.wMilliseconds), seconds};
}

NtpTime Ntp_Now() {
    SYSTEMTIME utc;
    DeviceClock_GetSystemTime(&utc);
    return Ntp_FromSystemTime(utc);
}

double Ntp_Diff(NtpTime a, NtpTime b) {
    const bool before = a.seconds < b.seconds || (a.seconds == b.seconds && a.fraction < b.fraction);
    const NtpTime& later = before ? b : a;
    const NtpTime& earlier = before ? a : b;
    const uint32_t borrow = later.fraction < earlier.fraction ? 1 : 0;
    const double magnitude = uint32_t(later.fraction - earlier.fraction) / kFractionUnit +
                             double(uint32_t(later.seconds - earlier.seconds - borrow));
    return before ? -magnitude : magnitude;
}

NtpTime Ntp_AddSeconds(NtpTime t, double seconds) {
    const double magnitude = std::fabs(seconds);
    const double whole = std::floor(magnitude);
    const uint64_t step = (uint64_t(whole) << 32) + uint64_t((magnitude - whole) * kFractionUnit);
    return FromFixed(seconds > 0 ? AsFixed(t) + step : AsFixed(t) - step);
}

SYSTEMTIME Ntp_ToSystemTime(NtpTime t) {
    uint32_t ms = uint32_t(uint64_t(t.fraction) * 1000 / 4294967295u);
    uint32_t seconds = t.seconds;
    // Only the largest fraction scales to a full second: it belongs to the next one.
    if (ms >= 1000) {
        ms -= 1000;
        ++seconds;
    }
    SYSTEMTIME st = {};
    const uint32_t days = seconds / kSecondsPerDay;
    st.wHour = WORD(seconds / 3600 % 24);
    st.wMinute = WORD(seconds / 60 % 60);
    st.wSecond = WORD(seconds % 60);
    st.wMilliseconds = WORD(ms);
    st.wDayOfWeek = WORD((days + kWeekdayBase) % 7);
    // Back from the March-based day count (the inverse of Ntp_FromSystemTime).
    const uint64_t n = uint64_t(days) + kDaysTo1900;
    const uint64_t century = (4 * n - 1) / kDaysPer400Years;
    uint64_t rest = (4 * n - 1 - kDaysPer400Years * century) / 4;
    uint64_t year = (4 * rest + 3) / kDaysPer4Years;
    rest = (4 * rest + 3 - kDaysPer4Years * year + 4) / 4;
    uint64_t month = (5 * rest - 3) / 153;
    const uint64_t day = (5 * rest - 3 - 153 * month + 5) / 5;
    year += 100 * century;
    if (month < 10) {
        month += 3;
    } else {
        month -= 9;
        ++year;
    }
    st.wYear = WORD(year);
    st.wMonth = WORD(month);
    st.wDay = WORD(day);
    return st;
}
