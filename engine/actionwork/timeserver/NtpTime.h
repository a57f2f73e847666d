#pragma once
// NTP timestamps: seconds since 1 January 1900 00:00 UTC and a binary fraction of a
// second, in memory as one unsigned 32.32 fixed-point number (fraction first).
#include <windows.h>

#include <cstdint>

struct NtpTime {
    uint32_t fraction;
    uint32_t seconds;
};

inline bool operator==(const NtpTime& a, const NtpTime& b) { return a.seconds == b.seconds && a.fraction == b.fraction; }
inline bool operator!=(const NtpTime& a, const NtpTime& b) { return !(a == b); }

// The device clock (UTC) now.
NtpTime Ntp_Now();
// The timestamp of a UTC calendar moment (milliseconds kept).
NtpTime Ntp_FromSystemTime(const SYSTEMTIME& utc);
// a - b in seconds; fractions count in units of 1 / (2^32 - 1).
double Ntp_Diff(NtpTime a, NtpTime b);
// t moved by a signed number of seconds.
NtpTime Ntp_AddSeconds(NtpTime t, double seconds);
// The calendar moment of t; milliseconds are truncated, so they never reach 1000.
SYSTEMTIME Ntp_ToSystemTime(NtpTime t);
