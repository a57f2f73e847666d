#include <gtest/gtest.h>
#include <thread>
#include <vector>
#include "DeviceClock.h"
#include "DeviceControl.h"
#include "ProbeHelpers.h"
#include "ScopedHandle.h"

namespace {
const LONGLONG kMsPer100ns = 10000;
const LONGLONG kToleranceMs = 3000;

LONGLONG Ms(const SYSTEMTIME& st) {
    FILETIME ft;
    EXPECT_TRUE(SystemTimeToFileTime(&st, &ft));
    return ((LONGLONG(ft.dwHighDateTime) << 32) | ft.dwLowDateTime) / kMsPer100ns;
}

LONGLONG HostUtcMs() {
    SYSTEMTIME st;
    GetSystemTime(&st);
    return Ms(st);
}

LONGLONG DeviceUtcMs() {
    SYSTEMTIME st;
    DeviceClock_GetSystemTime(&st);
    return Ms(st);
}

LONGLONG DeviceLocalMs() {
    SYSTEMTIME st;
    DeviceClock_GetLocalTime(&st);
    return Ms(st);
}

SYSTEMTIME Utc(WORD year, WORD month, WORD day, WORD hour, WORD minute) {
    SYSTEMTIME st = {};
    st.wYear = year; st.wMonth = month; st.wDay = day; st.wHour = hour; st.wMinute = minute;
    return st;
}

// Central European rules: UTC+1, daylight UTC+2 from the last Sunday of March 02:00
// to the last Sunday of October 03:00.
TIME_ZONE_INFORMATION CentralEurope() {
    TIME_ZONE_INFORMATION tz = {};
    tz.Bias = -60;
    tz.DaylightBias = -60;
    tz.StandardDate.wMonth = 10; tz.StandardDate.wDay = 5; tz.StandardDate.wHour = 3;
    tz.DaylightDate.wMonth = 3;  tz.DaylightDate.wDay = 5; tz.DaylightDate.wHour = 2;
    wcscpy(tz.StandardName, L"Central Europe Standard Time");
    wcscpy(tz.DaylightName, L"Central Europe Daylight Time");
    return tz;
}
}  // namespace

class DeviceClock : public testsupport::FreshDeviceTest {};

TEST_F(DeviceClock, FreshDeviceRunsOnHostTimeInUtc) {
    EXPECT_EQ(0, DeviceControl_GetClockOffset());
    EXPECT_NEAR(double(HostUtcMs()), double(DeviceUtcMs()), kToleranceMs);
    EXPECT_NEAR(double(DeviceUtcMs()), double(DeviceLocalMs()), kToleranceMs);
    TIME_ZONE_INFORMATION tz;
    EXPECT_EQ(DWORD(TIME_ZONE_ID_UNKNOWN), DeviceClock_GetTimeZoneInformation(&tz));
    EXPECT_EQ(0, tz.Bias);
}

TEST_F(DeviceClock, JumpMovesDeviceTimeAndLeavesHostClockAlone) {
    const LONGLONG jump = (3 * 24 + 5) * 3600 * 1000LL + 17000;
    const LONGLONG hostBefore = HostUtcMs(), localBefore = DeviceLocalMs();
    const DWORD ticksBefore = DeviceClock_GetTickCount();
    ASSERT_TRUE(DeviceControl_JumpClock(jump));

    EXPECT_NEAR(double(localBefore + jump), double(DeviceLocalMs()), kToleranceMs);
    EXPECT_NEAR(double(hostBefore), double(HostUtcMs()), kToleranceMs);
    EXPECT_NEAR(double(HostUtcMs() + jump), double(DeviceUtcMs()), kToleranceMs);
    EXPECT_EQ(jump, DeviceControl_GetClockOffset());
    // A clock jump is not elapsed time.
    EXPECT_LT(DeviceClock_GetTickCount() - ticksBefore, DWORD(kToleranceMs));
    EXPECT_EQ(1u, DeviceControl_GetTimeChangeCount());
}

TEST_F(DeviceClock, SetSystemTimeSetsDeviceUtcAndSignalsTheChange) {
    ScopedHandle changed(DeviceControl_OpenTimeChangeEvent());
    ASSERT_TRUE(changed);
    const SYSTEMTIME target = Utc(2031, 2, 3, 4, 5);
    ASSERT_TRUE(DeviceClock_SetSystemTime(&target));

    EXPECT_NEAR(double(Ms(target)), double(DeviceUtcMs()), kToleranceMs);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(changed.Get(), 0));
    EXPECT_EQ(1u, DeviceControl_GetTimeChangeCount());
    EXPECT_EQ(0u, DeviceControl_GetZoneChangeCount());

    // Setting the time it already has is still a change (a zone change re-sets UTC so).
    SYSTEMTIME now;
    DeviceClock_GetSystemTime(&now);
    ASSERT_TRUE(DeviceClock_SetSystemTime(&now));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(changed.Get(), 0));
    EXPECT_EQ(2u, DeviceControl_GetTimeChangeCount());

    SYSTEMTIME invalid = Utc(2031, 13, 40, 25, 61);
    EXPECT_FALSE(DeviceClock_SetSystemTime(&invalid));
    EXPECT_FALSE(DeviceClock_SetSystemTime(nullptr));
    EXPECT_EQ(2u, DeviceControl_GetTimeChangeCount());
    EXPECT_NEAR(double(Ms(target)), double(DeviceUtcMs()), kToleranceMs);
}

TEST_F(DeviceClock, ZoneWithDaylightSavingDrivesLocalTime) {
    ScopedHandle changed(DeviceControl_OpenZoneChangeEvent());
    const TIME_ZONE_INFORMATION cet = CentralEurope();
    ASSERT_TRUE(DeviceClock_SetTimeZoneInformation(&cet));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(changed.Get(), 0));
    EXPECT_EQ(1u, DeviceControl_GetZoneChangeCount());

    const SYSTEMTIME summer = Utc(2026, 7, 15, 12, 0);
    ASSERT_TRUE(DeviceClock_SetSystemTime(&summer));
    EXPECT_NEAR(double(Ms(summer) + 2 * 3600 * 1000), double(DeviceLocalMs()), kToleranceMs);
    TIME_ZONE_INFORMATION read;
    EXPECT_EQ(DWORD(TIME_ZONE_ID_DAYLIGHT), DeviceClock_GetTimeZoneInformation(&read));
    EXPECT_EQ(-60, read.Bias);
    EXPECT_STREQ(L"Central Europe Standard Time", read.StandardName);

    const SYSTEMTIME winter = Utc(2026, 1, 15, 12, 0);
    ASSERT_TRUE(DeviceClock_SetSystemTime(&winter));
    EXPECT_NEAR(double(Ms(winter) + 3600 * 1000), double(DeviceLocalMs()), kToleranceMs);
    EXPECT_EQ(DWORD(TIME_ZONE_ID_STANDARD), DeviceClock_GetTimeZoneInformation(&read));

    // Local 08:30 in summer is 06:30 UTC.
    const SYSTEMTIME local = Utc(2026, 7, 20, 8, 30);
    ASSERT_TRUE(DeviceClock_SetLocalTime(&local));
    EXPECT_NEAR(double(Ms(Utc(2026, 7, 20, 6, 30))), double(DeviceUtcMs()), kToleranceMs);
    EXPECT_EQ(3u, DeviceControl_GetTimeChangeCount());
}

TEST_F(DeviceClock, InvalidZoneIsRefusedAndTheZoneKept) {
    TIME_ZONE_INFORMATION fixed;
    DeviceControl_MakeFixedZone(-330, &fixed);
    ASSERT_TRUE(DeviceClock_SetTimeZoneInformation(&fixed));
    EXPECT_STREQ(L"UTC+05:30", fixed.StandardName);
    EXPECT_NEAR(double(DeviceUtcMs() + 330 * 60 * 1000), double(DeviceLocalMs()), kToleranceMs);

    TIME_ZONE_INFORMATION bad = CentralEurope();
    bad.Bias = 100000;
    EXPECT_FALSE(DeviceClock_SetTimeZoneInformation(&bad));
    bad = CentralEurope();
    bad.DaylightDate.wMonth = 13;
    EXPECT_FALSE(DeviceClock_SetTimeZoneInformation(&bad));
    bad = CentralEurope();
    bad.StandardDate.wDay = 6;  // there is no sixth Sunday
    EXPECT_FALSE(DeviceClock_SetTimeZoneInformation(&bad));
    EXPECT_FALSE(DeviceClock_SetTimeZoneInformation(nullptr));

    TIME_ZONE_INFORMATION read;
    DeviceClock_GetTimeZoneInformation(&read);
    EXPECT_EQ(-330, read.Bias);
    EXPECT_EQ(1u, DeviceControl_GetZoneChangeCount());
}

TEST_F(DeviceClock, ConcurrentJumpsAreNeverLost) {
    const int kThreads = 4, kJumps = 25;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([] {
            for (int i = 0; i < kJumps; ++i) DeviceControl_JumpClock(1000);
        });
    for (auto& t : threads) t.join();
    EXPECT_EQ(DWORD(kThreads * kJumps), DeviceControl_GetTimeChangeCount());
    EXPECT_EQ(LONGLONG(kThreads * kJumps) * 1000, DeviceControl_GetClockOffset());
}

TEST_F(DeviceClock, ProcessesOfOneDeviceShareTheClock) {
    const LONGLONG jump = 400LL * 24 * 3600 * 1000;
    ASSERT_TRUE(DeviceControl_JumpClock(jump));
    ASSERT_EQ(0u, testsupport::RunProgram(probe::ProbeExe(), L"clock"));
    EXPECT_NEAR(double(HostUtcMs() + jump), double(probe::DeviceUtcMs()), 2 * kToleranceMs);

    // And a jump made by another process moves the clock this one reads.
    ASSERT_EQ(0u, testsupport::RunProgram(probe::ProbeExe(), PROBE_JUMP_COMMAND));
    EXPECT_EQ(jump + PROBE_JUMP_MS, DeviceControl_GetClockOffset());
    EXPECT_EQ(2u, DeviceControl_GetTimeChangeCount());
}
