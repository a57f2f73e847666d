#include "DeviceClock.h"
#include "DeviceClockState.h"
#include "DeviceControl.h"
#include "PowerState.h"
#include <cstdint>
#include <cstdlib>
#include <cwchar>

namespace {
const int64_t kTicksPerMs = 10000;
const LONG kMaxBiasMinutes = 24 * 60;

int64_t HostUtcNow() {
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    return (int64_t(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

bool ToTicks(const SYSTEMTIME& st, int64_t* ticks) {
    FILETIME ft;
    if (!SystemTimeToFileTime(&st, &ft)) return false;
    *ticks = (int64_t(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    return true;
}

void FromTicks(int64_t ticks, SYSTEMTIME* st) {
    FILETIME ft;
    ft.dwLowDateTime = DWORD(ticks);
    ft.dwHighDateTime = DWORD(uint64_t(ticks) >> 32);
    FileTimeToSystemTime(&ft, st);
}

void DeviceUtc(const DeviceClockState::Record& state, SYSTEMTIME* st) {
    FromTicks(HostUtcNow() + state.offset, st);
}

// Local time of `utc` in `zone`, daylight rules included; bias only if the rules are unusable.
void ToLocal(const TIME_ZONE_INFORMATION& zone, const SYSTEMTIME& utc, SYSTEMTIME* local) {
    TIME_ZONE_INFORMATION tz = zone;
    if (SystemTimeToTzSpecificLocalTime(&tz, &utc, local)) return;
    int64_t ticks;
    if (!ToTicks(utc, &ticks)) { *local = utc; return; }
    FromTicks(ticks - int64_t(zone.Bias) * 60 * 1000 * kTicksPerMs, local);
}

bool ValidTransition(const SYSTEMTIME& t) {
    if (t.wMonth == 0) return true;  // no daylight saving
    if (t.wMonth > 12 || t.wDayOfWeek > 6 || t.wHour > 23 || t.wMinute > 59 || t.wSecond > 59) return false;
    // Year 0 is the "n-th weekday of the month" form (5 = last).
    return t.wYear != 0 || (t.wDay >= 1 && t.wDay <= 5);
}

bool ValidZone(const TIME_ZONE_INFORMATION& tz) {
    return labs(tz.Bias) <= kMaxBiasMinutes && labs(tz.StandardBias) <= kMaxBiasMinutes &&
           labs(tz.DaylightBias) <= kMaxBiasMinutes && ValidTransition(tz.StandardDate) &&
           ValidTransition(tz.DaylightDate);
}
}  // namespace

void DeviceClock_GetSystemTime(SYSTEMTIME* st) {
    if (!st) return;
    DeviceUtc(DeviceClockState::Load(), st);
}

void DeviceClock_GetLocalTime(SYSTEMTIME* st) {
    if (!st) return;
    DeviceClockState::Record state = DeviceClockState::Load();
    SYSTEMTIME utc;
    DeviceUtc(state, &utc);
    ToLocal(state.zone, utc, st);
}

// An invalid moment fails with ERROR_INVALID_PARAMETER; a store failure keeps its own code.
BOOL DeviceClock_SetSystemTime(const SYSTEMTIME* st) {
    int64_t target;
    if (!st || !ToTicks(*st, &target)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return DeviceClockState::ChangeTime([&](int64_t) { return target - HostUtcNow(); }) ? TRUE : FALSE;
}

BOOL DeviceClock_SetLocalTime(const SYSTEMTIME* st) {
    if (!st) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    TIME_ZONE_INFORMATION zone = DeviceClockState::Load().zone;
    SYSTEMTIME utc;
    if (!TzSpecificLocalTimeToSystemTime(&zone, st, &utc)) {
        int64_t ticks;
        if (!ToTicks(*st, &ticks)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        FromTicks(ticks + int64_t(zone.Bias) * 60 * 1000 * kTicksPerMs, &utc);
    }
    return DeviceClock_SetSystemTime(&utc);
}

// Tick count and performance counter follow the host's performance counter, less the
// time the device spent suspended or off: both stand still while it sleeps. The power
// state is read first, so the counter is sampled as late as possible.
DWORD DeviceClock_GetTickCount(void) {
    const PowerState::Record power = PowerState::Load();
    const uint64_t frequency = PowerState::CounterFrequency();
    const uint64_t now = PowerState::CounterNow();
    const uint64_t running = now - PowerState::StoppedCounts(power, now);
    // Split so the product cannot overflow however long the host has run.
    return DWORD((running / frequency) * 1000 + (running % frequency) * 1000 / frequency);
}

BOOL DeviceClock_QueryPerformanceCounter(LARGE_INTEGER* counter) {
    if (!counter) return FALSE;
    const PowerState::Record power = PowerState::Load();
    const uint64_t now = PowerState::CounterNow();
    counter->QuadPart = LONGLONG(now - PowerState::StoppedCounts(power, now));
    return TRUE;
}

DWORD DeviceClock_GetTimeZoneInformation(TIME_ZONE_INFORMATION* tz) {
    if (!tz) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return TIME_ZONE_ID_INVALID;
    }
    DeviceClockState::Record state = DeviceClockState::Load();
    *tz = state.zone;
    if (state.zone.StandardDate.wMonth == 0 || state.zone.DaylightDate.wMonth == 0) return TIME_ZONE_ID_UNKNOWN;
    SYSTEMTIME utc, local;
    DeviceUtc(state, &utc);
    ToLocal(state.zone, utc, &local);
    int64_t u, l;
    if (!ToTicks(utc, &u) || !ToTicks(local, &l)) return TIME_ZONE_ID_UNKNOWN;
    int64_t biasMinutes = (u - l) / (60 * 1000 * kTicksPerMs);
    bool daylight = state.zone.DaylightBias != state.zone.StandardBias &&
                    biasMinutes == state.zone.Bias + state.zone.DaylightBias;
    return daylight ? TIME_ZONE_ID_DAYLIGHT : TIME_ZONE_ID_STANDARD;
}

BOOL DeviceClock_SetTimeZoneInformation(const TIME_ZONE_INFORMATION* tz) {
    if (!tz || !ValidZone(*tz)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    TIME_ZONE_INFORMATION zone = *tz;
    zone.StandardName[31] = 0;
    zone.DaylightName[31] = 0;
    return DeviceClockState::ChangeZone(zone) ? TRUE : FALSE;
}

BOOL DeviceControl_JumpClock(LONGLONG milliseconds) {
    return DeviceClockState::ChangeTime([&](int64_t offset) { return offset + milliseconds * kTicksPerMs; });
}

LONGLONG DeviceControl_GetClockOffset(void) { return DeviceClockState::Load().offset / kTicksPerMs; }
DWORD DeviceControl_GetTimeChangeCount(void) { return DeviceClockState::Load().timeChanges; }
DWORD DeviceControl_GetZoneChangeCount(void) { return DeviceClockState::Load().zoneChanges; }
HANDLE DeviceControl_OpenTimeChangeEvent(void) { return DeviceClockState::OpenTimeChangeEvent(); }
HANDLE DeviceControl_OpenZoneChangeEvent(void) { return DeviceClockState::OpenZoneChangeEvent(); }

void DeviceControl_MakeFixedZone(LONG biasMinutes, TIME_ZONE_INFORMATION* tz) {
    if (!tz) return;
    *tz = DeviceClockState::Defaults().zone;
    tz->Bias = biasMinutes;
    if (biasMinutes == 0) return;
    LONG east = -biasMinutes;  // local = UTC - bias
    LONG minutes = labs(east);
    swprintf(tz->StandardName, 32, L"UTC%lc%02ld:%02ld", east < 0 ? L'-' : L'+', minutes / 60, minutes % 60);
    wcscpy(tz->DaylightName, tz->StandardName);
}
