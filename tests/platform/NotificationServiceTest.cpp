#include <gtest/gtest.h>
#include "DeviceControl.h"
#include "DeviceServices.h"
#include "DeviceStateStore.h"
#include "NotificationHelpers.h"
#include "PowerState.h"
#include "ProbeHelpers.h"
#include "TestFiles.h"
#include "pm.h"

using notifytest::Handles;
using notifytest::LocalIn;
using notifytest::Set;
using notifytest::Trigger;

namespace {
const wchar_t kProbe[] = L"\\Windows\\probe.exe";
const DWORD kFireTimeoutMs = 20000;
// Long enough for several rounds of the service, which looks every 250 ms.
const DWORD kQuietMs = 1500;

std::wstring SetterExe() { return testsupport::HostPath(SETTER_EXE); }

template <typename Ready>
bool WaitFor(DWORD timeoutMs, Ready ready) {
    ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (!ready()) {
        if (GetTickCount64() >= deadline) return false;
        Sleep(20);
    }
    return true;
}

// The process of the device's services, to see it end.
HANDLE OpenServicesProcess() {
    DeviceServices::Record r = {};
    if (!DeviceStateStore::Current()->Read(L"services", &r, sizeof r)) return nullptr;
    return OpenProcess(SYNCHRONIZE, FALSE, r.processId);
}
}  // namespace

class NotificationService : public testsupport::FreshDeviceTest {
protected:
    void SetUp() override {
        FreshDeviceTest::SetUp();
        ASSERT_TRUE(probe::Install(kProbe));
    }
};

TEST_F(NotificationService, TimeNotificationStartsItsProgramOnceTheDeviceClockPassesIt) {
    const std::wstring args = L"AppRunAtTime  \"with\" blanks ";
    HANDLE h = Set(Trigger::Time(kProbe, args, LocalIn(120)));
    ASSERT_NE(nullptr, h);
    ASSERT_TRUE(DeviceControl_ServicesRunning());

    EXPECT_FALSE(probe::WaitDone(kQuietMs));  // not before its moment
    EXPECT_EQ(0u, DeviceControl_GetNotificationStarts());

    ASSERT_TRUE(DeviceControl_JumpClock(121000));
    ASSERT_TRUE(probe::WaitDone(kFireTimeoutMs));
    EXPECT_EQ(args, probe::Text(PROBE_COMMAND_TEXT_FILE));
    // Run once, then gone.
    EXPECT_TRUE(WaitFor(kFireTimeoutMs, [] { return DeviceControl_GetNotificationStarts() == 1; }));
    EXPECT_TRUE(Handles().empty());
    EXPECT_FALSE(notifytest::Read(h).found);
    // The device was on, so it stays on.
    EXPECT_EQ(DWORD(POWER_STATE_ON), DeviceControl_GetPowerState());
}

TEST_F(NotificationService, LauncherStartedAtTheDueMomentPassesTheWordOn) {
    // As a program registers itself: the launcher's host path, the program as "Location".
    ASSERT_TRUE(testsupport::InstallLauncher());
    ASSERT_TRUE(testsupport::WriteRegistryString(HKEY_CURRENT_USER, L"Software\\Ostrel\\Orvalen", L"Location",
                                                 testsupport::DevicePath(kProbe)));
    const std::wstring launcher = testsupport::DevicePath(testsupport::kLauncherDevicePath);
    ASSERT_NE(nullptr, Set(Trigger::Time(launcher, L"AppRunAtTime", LocalIn(119))));
    ASSERT_TRUE(DeviceControl_JumpClock(119500));
    ASSERT_TRUE(probe::WaitDone(kFireTimeoutMs));
    EXPECT_EQ(L"AppRunAtTime", probe::Text(PROBE_COMMAND_TEXT_FILE));
}

TEST_F(NotificationService, HostPathInsideTheDeviceRunsAndOneOutsideNeverDoes) {
    const std::wstring inside = testsupport::DevicePath(kProbe);
    const std::wstring outside = probe::ProbeExe();  // the build's copy, not the device's
    ASSERT_NE(nullptr, Set(Trigger::Time(outside, L"outside", LocalIn(30))));
    ASSERT_NE(nullptr, Set(Trigger::Time(L"\\Windows\\..\\..\\escape.exe", L"outside", LocalIn(30))));
    ASSERT_NE(nullptr, Set(Trigger::Time(inside, L"inside", LocalIn(40))));
    ASSERT_TRUE(DeviceControl_JumpClock(60000));
    ASSERT_TRUE(probe::WaitDone(kFireTimeoutMs));
    EXPECT_EQ(L"inside", probe::Text(PROBE_COMMAND_TEXT_FILE));
    EXPECT_TRUE(WaitFor(kFireTimeoutMs, [] { return Handles().empty(); }));
    EXPECT_EQ(1u, DeviceControl_GetNotificationStarts());
}

TEST_F(NotificationService, EventNotificationsAnswerEveryClockAndZoneChange) {
    HANDLE change = Set(Trigger::Event(NOTIFICATION_EVENT_TIME_CHANGE, kProbe, L"AppRunAfterTimeChange"));
    HANDLE zone = Set(Trigger::Event(NOTIFICATION_EVENT_TZ_CHANGE, kProbe, L"AppRunAfterTzChange"));
    ASSERT_TRUE(change && zone);
    EXPECT_FALSE(probe::WaitDone(kQuietMs));  // nothing changed yet

    SYSTEMTIME utc;
    DeviceClock_GetSystemTime(&utc);
    utc.wYear += 1;
    ASSERT_TRUE(DeviceClock_SetSystemTime(&utc));
    ASSERT_TRUE(probe::WaitDone(kFireTimeoutMs));
    EXPECT_EQ(L"AppRunAfterTimeChange", probe::Text(PROBE_COMMAND_TEXT_FILE));

    probe::Clear();
    TIME_ZONE_INFORMATION tz;
    DeviceControl_MakeFixedZone(-120, &tz);
    ASSERT_TRUE(DeviceClock_SetTimeZoneInformation(&tz));
    ASSERT_TRUE(probe::WaitDone(kFireTimeoutMs));
    EXPECT_EQ(L"AppRunAfterTzChange", probe::Text(PROBE_COMMAND_TEXT_FILE));

    // Again: event notifications stay and answer every change.
    probe::Clear();
    ASSERT_TRUE(DeviceControl_JumpClock(-5000));
    ASSERT_TRUE(probe::WaitDone(kFireTimeoutMs));
    EXPECT_EQ(L"AppRunAfterTimeChange", probe::Text(PROBE_COMMAND_TEXT_FILE));
    EXPECT_TRUE(WaitFor(kFireTimeoutMs, [] { return DeviceControl_GetNotificationStarts() == 3; }));
    EXPECT_EQ((std::vector<HANDLE>{change, zone}), Handles());
}

TEST_F(NotificationService, DueNotificationWithoutProgramIsMarkedFiredAndKept) {
    wchar_t title[] = L"Meeting";
    CE_USER_NOTIFICATION dialog = {};
    dialog.pwszDialogTitle = title;
    Trigger silent = Trigger::Time(L"", L"", LocalIn(30));
    HANDLE h = CeSetUserNotificationEx(nullptr, silent.Get(), &dialog);
    ASSERT_NE(nullptr, h);
    HANDLE runs = Set(Trigger::Time(kProbe, L"after", LocalIn(40)));
    ASSERT_TRUE(DeviceControl_JumpClock(60000));
    ASSERT_TRUE(probe::WaitDone(kFireTimeoutMs));
    notifytest::Info info = notifytest::Read(h);
    ASSERT_TRUE(info.found);
    EXPECT_NE(0u, info.status);
    EXPECT_FALSE(notifytest::Read(runs).found);
    EXPECT_EQ(std::vector<HANDLE>{h}, Handles());
    EXPECT_EQ(1u, DeviceControl_GetNotificationStarts());
}

TEST_F(NotificationService, OutlivesTheProgramThatSetItAndEndsWithItsDevice) {
    ASSERT_EQ(0u, testsupport::RunProgram(SetterExe(), L"set 600"));
    ASSERT_TRUE(DeviceControl_ServicesRunning());
    ASSERT_EQ(1u, Handles().size());
    ASSERT_TRUE(DeviceControl_JumpClock(601000));
    ASSERT_TRUE(probe::WaitDone(kFireTimeoutMs));
    EXPECT_EQ(L"AppRunAtTime", probe::Text(PROBE_COMMAND_TEXT_FILE));

    // Told to stop, it ends; the notifications stay, and one that fell due meanwhile
    // runs as soon as the services start again (as after a restart of the device).
    ASSERT_NE(nullptr, Set(Trigger::Time(kProbe, L"missed", LocalIn(600))));
    ScopedHandle first(OpenServicesProcess());
    ASSERT_TRUE(first);
    ASSERT_TRUE(DeviceControl_StopServices());
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(first.Get(), 0));
    EXPECT_FALSE(DeviceControl_ServicesRunning());
    probe::Clear();
    ASSERT_TRUE(DeviceControl_JumpClock(601000));
    EXPECT_EQ(1u, Handles().size());
    ASSERT_TRUE(DeviceControl_StartServices());
    ASSERT_TRUE(probe::WaitDone(kFireTimeoutMs));
    EXPECT_EQ(L"missed", probe::Text(PROBE_COMMAND_TEXT_FILE));

    // A device that goes takes its services along.
    ScopedHandle inner;
    {
        testsupport::TestDevice device;
        ASSERT_TRUE(device.Ready());
        ASSERT_NE(nullptr, Set(Trigger::Time(kProbe, L"x", LocalIn(600))));
        inner.Reset(OpenServicesProcess());
        ASSERT_TRUE(inner);
        EXPECT_NE(WAIT_OBJECT_0, WaitForSingleObject(inner.Get(), 0));
    }
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(inner.Get(), 0));
    EXPECT_TRUE(DeviceControl_ServicesRunning());  // the outer device's still runs
}

TEST_F(NotificationService, EndsByItselfWhenItsDeviceIsGone) {
    testsupport::TestDevice device;
    ASSERT_TRUE(device.Ready());
    ASSERT_NE(nullptr, Set(Trigger::Time(kProbe, L"x", LocalIn(600))));
    ScopedHandle process(OpenServicesProcess());
    ASSERT_TRUE(process);
    // The service may hold a file of the device open for a moment: delete until it is gone.
    ASSERT_TRUE(testsupport::PollUntil(kFireTimeoutMs, [&] { return testsupport::DeleteTree(device.Root()); }));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.Get(), kFireTimeoutMs));
}

TEST_F(NotificationService, DueNotificationWakesASuspendedDeviceIntoUnattendedMode) {
    ASSERT_NE(nullptr, Set(Trigger::Time(kProbe, L"AppRunAtTime", LocalIn(300))));
    ASSERT_EQ(DWORD(ERROR_SUCCESS), SetSystemPowerState(nullptr, POWER_STATE_SUSPEND, POWER_FORCE));
    EXPECT_FALSE(probe::WaitDone(kQuietMs));
    EXPECT_EQ(DWORD(POWER_STATE_SUSPEND), DeviceControl_GetPowerState());

    ASSERT_TRUE(DeviceControl_JumpClock(301000));
    ASSERT_TRUE(probe::WaitDone(kFireTimeoutMs));
    DWORD flags = 0;
    ASSERT_EQ(DWORD(ERROR_SUCCESS), GetSystemPowerState(nullptr, 0, &flags));
    EXPECT_EQ(DWORD(POWER_STATE_UNATTENDED), flags);
    EXPECT_EQ(0u, flags & (POWER_STATE_ON | POWER_STATE_IDLE));
    // The program it started took no unattended request: the device falls asleep again.
    EXPECT_TRUE(WaitFor(kFireTimeoutMs, [] { return DeviceControl_GetPowerState() == POWER_STATE_SUSPEND; }));
}

TEST_F(NotificationService, WokenDeviceStaysUpWhileTheWokenProgramHoldsARequest) {
    ASSERT_NE(nullptr, Set(Trigger::Time(kProbe, L"AppRunAtTime", LocalIn(300))));
    ASSERT_EQ(DWORD(ERROR_SUCCESS), SetSystemPowerState(nullptr, POWER_STATE_SUSPEND, POWER_FORCE));
    ASSERT_TRUE(DeviceControl_JumpClock(301000));
    ASSERT_TRUE(WaitFor(kFireTimeoutMs, [] { return DeviceControl_GetPowerState() == POWER_STATE_UNATTENDED; }));
    // What the woken program does first: hold the device up, then let it go.
    ASSERT_TRUE(PowerPolicyNotify(PPN_UNATTENDEDMODE, TRUE));
    Sleep(DWORD(PowerState::kResumingMs) + 500);
    EXPECT_EQ(DWORD(POWER_STATE_UNATTENDED), DeviceControl_GetPowerState());
    ASSERT_TRUE(PowerPolicyNotify(PPN_UNATTENDEDMODE, FALSE));
    EXPECT_EQ(DWORD(POWER_STATE_SUSPEND), DeviceControl_GetPowerState());
}
