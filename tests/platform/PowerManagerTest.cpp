#include <gtest/gtest.h>
#include "DeviceClock.h"
#include "DeviceControl.h"
#include "TestSupport.h"
#include "pm.h"

static_assert(sizeof(SYSTEM_POWER_STATUS_EX) == 24, "the device's power status record");

namespace {
DWORD State(std::wstring* name = nullptr) {
    wchar_t text[32] = {};
    DWORD flags = 0;
    EXPECT_EQ(DWORD(ERROR_SUCCESS), GetSystemPowerState(text, 32, &flags));
    if (name) *name = text;
    return flags;
}
}  // namespace

class PowerManager : public testsupport::FreshDeviceTest {};

TEST_F(PowerManager, StatesChangeByFlagOrName) {
    std::wstring name;
    EXPECT_EQ(DWORD(POWER_STATE_ON), State(&name));
    EXPECT_EQ(L"on", name);
    wchar_t tiny[2];
    DWORD flags = 0;
    EXPECT_EQ(DWORD(ERROR_INSUFFICIENT_BUFFER), GetSystemPowerState(tiny, 2, &flags));

    EXPECT_EQ(DWORD(ERROR_SUCCESS), SetSystemPowerState(nullptr, POWER_STATE_SUSPEND, 0));
    EXPECT_EQ(DWORD(POWER_STATE_SUSPEND), State(&name));
    EXPECT_EQ(L"suspend", name);
    EXPECT_EQ(DWORD(ERROR_SUCCESS), SetSystemPowerState(nullptr, POWER_STATE_ON, POWER_FORCE));
    EXPECT_EQ(DWORD(POWER_STATE_ON), State());
    EXPECT_EQ(DWORD(ERROR_SUCCESS), SetSystemPowerState(L"UserIdle", 0, 0));
    EXPECT_EQ(DWORD(POWER_STATE_IDLE), State());
    EXPECT_EQ(DWORD(ERROR_SUCCESS), SetSystemPowerState(nullptr, POWER_STATE_OFF, POWER_FORCE));
    EXPECT_EQ(DWORD(POWER_STATE_OFF), State());
    EXPECT_EQ(4u, DeviceControl_GetPowerTransitions());

    // Unknown states change nothing.
    EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), SetSystemPowerState(nullptr, POWER_STATE_ON | POWER_STATE_SUSPEND, 0));
    EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), SetSystemPowerState(L"hibernate", POWER_STATE_ON, 0));
    EXPECT_EQ(DWORD(POWER_STATE_OFF), State());
    EXPECT_EQ(4u, DeviceControl_GetPowerTransitions());
}

TEST_F(PowerManager, UnattendedRequestsKeepTheDeviceUpUntilTheLastGoes) {
    ASSERT_TRUE(PowerPolicyNotify(PPN_UNATTENDEDMODE, TRUE));
    ASSERT_TRUE(PowerPolicyNotify(PPN_UNATTENDEDMODE, TRUE));
    EXPECT_EQ(2u, DeviceControl_GetUnattendedCount());

    // A suspend that is not forced leaves the device running with the screen off.
    EXPECT_EQ(DWORD(ERROR_SUCCESS), SetSystemPowerState(nullptr, POWER_STATE_SUSPEND, 0));
    EXPECT_EQ(DWORD(POWER_STATE_UNATTENDED), State());
    EXPECT_TRUE(PowerPolicyNotify(PPN_UNATTENDEDMODE, FALSE));
    EXPECT_EQ(DWORD(POWER_STATE_UNATTENDED), State());
    EXPECT_TRUE(PowerPolicyNotify(PPN_UNATTENDEDMODE, FALSE));
    EXPECT_EQ(DWORD(POWER_STATE_SUSPEND), State());
    EXPECT_EQ(0u, DeviceControl_GetUnattendedCount());

    // Unbalanced releases and other messages fail.
    EXPECT_FALSE(PowerPolicyNotify(PPN_UNATTENDEDMODE, FALSE));
    EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), GetLastError());
    EXPECT_FALSE(PowerPolicyNotify(1, TRUE));
    EXPECT_EQ(DWORD(ERROR_NOT_SUPPORTED), GetLastError());

    // On stays on while requests come and go; a forced suspend does not wait for them.
    EXPECT_EQ(DWORD(ERROR_SUCCESS), SetSystemPowerState(nullptr, POWER_STATE_ON, POWER_FORCE));
    ASSERT_TRUE(PowerPolicyNotify(PPN_UNATTENDEDMODE, TRUE));
    ASSERT_TRUE(PowerPolicyNotify(PPN_UNATTENDEDMODE, FALSE));
    EXPECT_EQ(DWORD(POWER_STATE_ON), State());
    ASSERT_TRUE(PowerPolicyNotify(PPN_UNATTENDEDMODE, TRUE));
    EXPECT_EQ(DWORD(ERROR_SUCCESS), SetSystemPowerState(nullptr, POWER_STATE_SUSPEND, POWER_FORCE));
    EXPECT_EQ(DWORD(POWER_STATE_SUSPEND), State());
}

TEST_F(PowerManager, RequestsOfAnEndedProcessAreGivenBack) {
    ASSERT_TRUE(PowerPolicyNotify(PPN_UNATTENDEDMODE, TRUE));
    ASSERT_EQ(DWORD(ERROR_SUCCESS), SetSystemPowerState(nullptr, POWER_STATE_SUSPEND, 0));
    ASSERT_EQ(0u, testsupport::RunProgram(testsupport::HostPath(SETTER_EXE), L"hold"));
    // The holder has ended: only this process's request is left.
    EXPECT_EQ(1u, DeviceControl_GetUnattendedCount());
    EXPECT_EQ(DWORD(POWER_STATE_UNATTENDED), State());
    ASSERT_TRUE(PowerPolicyNotify(PPN_UNATTENDEDMODE, FALSE));
    EXPECT_EQ(DWORD(POWER_STATE_SUSPEND), State());
}

TEST_F(PowerManager, TickCountStandsStillWhileSuspended) {
    const DWORD pauseMs = 600;
    SYSTEMTIME before, after;
    LARGE_INTEGER qpcBefore, qpcAfter, frequency;
    QueryPerformanceFrequency(&frequency);
    ASSERT_EQ(DWORD(ERROR_SUCCESS), SetSystemPowerState(nullptr, POWER_STATE_SUSPEND, POWER_FORCE));
    DWORD tickBefore = DeviceClock_GetTickCount();
    ASSERT_TRUE(DeviceClock_QueryPerformanceCounter(&qpcBefore));
    DeviceClock_GetSystemTime(&before);
    Sleep(pauseMs);
    DWORD tickAfter = DeviceClock_GetTickCount();
    ASSERT_TRUE(DeviceClock_QueryPerformanceCounter(&qpcAfter));
    DeviceClock_GetSystemTime(&after);
    EXPECT_EQ(tickBefore, tickAfter);
    EXPECT_LT((qpcAfter.QuadPart - qpcBefore.QuadPart) * 1000 / frequency.QuadPart, 5);
    FILETIME b, a;
    SystemTimeToFileTime(&before, &b);
    SystemTimeToFileTime(&after, &a);
    LONGLONG wallMs = ((LONGLONG(a.dwHighDateTime) << 32 | a.dwLowDateTime) -
                       (LONGLONG(b.dwHighDateTime) << 32 | b.dwLowDateTime)) / 10000;
    EXPECT_GE(wallMs, pauseMs - 50);  // the wall clock went on

    ASSERT_EQ(DWORD(ERROR_SUCCESS), SetSystemPowerState(nullptr, POWER_STATE_ON, POWER_FORCE));
    EXPECT_GE(DeviceControl_GetSuspendedMs(), ULONGLONG(pauseMs));
    Sleep(100);
    DWORD running = DeviceClock_GetTickCount() - tickAfter;
    EXPECT_GE(running, 90u);
    EXPECT_LT(running, 1000u);  // it did not jump by the time asleep
}

TEST_F(PowerManager, AcLineAndIdleTimerResetsAreKeptForTests) {
    SYSTEM_POWER_STATUS_EX status;
    ASSERT_TRUE(GetSystemPowerStatusEx(&status, TRUE));
    EXPECT_EQ(AC_LINE_OFFLINE, status.ACLineStatus);
    ASSERT_TRUE(DeviceControl_SetACLineStatus(AC_LINE_ONLINE));
    ASSERT_TRUE(GetSystemPowerStatusEx(&status, FALSE));
    EXPECT_EQ(AC_LINE_ONLINE, status.ACLineStatus);
    EXPECT_EQ(AC_LINE_ONLINE, DeviceControl_GetACLineStatus());
    EXPECT_FALSE(DeviceControl_SetACLineStatus(7));
    EXPECT_EQ(AC_LINE_ONLINE, DeviceControl_GetACLineStatus());
    EXPECT_FALSE(GetSystemPowerStatusEx(nullptr, FALSE));

    for (int i = 0; i < 3; ++i) SystemIdleTimerReset();
    EXPECT_EQ(3u, DeviceControl_GetIdleTimerResets());
    EXPECT_EQ(DWORD(POWER_STATE_ON), State());  // a reset is not a state change
}
