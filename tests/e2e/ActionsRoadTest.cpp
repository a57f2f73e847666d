// The simple actions in a real Orvalen: timers stored with an action expire on the
// engine's tick, their ring runs the action, and the device layer shows the effect.
#include "BthOnAction.h"
#include "ChangeTimeZoneAction.h"
#include "ChangeVolumeAction.h"
#include "CloseGprsAction.h"
#include "CopyDataCommand.h"
#include "DeviceAudio.h"
#include "DeviceBoot.h"
#include "DeviceCellular.h"
#include "DeviceCityDb.h"
#include "DeviceClock.h"
#include "DeviceConnections.h"
#include "DeviceControl.h"
#include "DeviceSms.h"
#include "DeviceWireless.h"
#include "EnableFlightModeAction.h"
#include "EngineWnd.h"
#include "ExecuteAction.h"
#include "InternetConnectAction.h"
#include "PowerOffAction.h"
#include "ProbeReport.h"
#include "RegKeyRef.h"
#include "ResetAction.h"
#include "ResetCountdownWnd.h"
#include "SMSAction.h"
#include "StartTimerAction.h"
#include "StopTimerAction.h"
#include "SuspendAction.h"
#include "TestSupport.h"
#include "TimerItem.h"
#include "WlanOnAction.h"
#include "pm.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::wstring kTimerItems = L"Software\\Ostrel\\Orvalen\\Timers\\Items";
const wchar_t kProgramDevicePath[] = L"\\Program Files\\Orvalen\\Orvalen.exe";
const wchar_t kProbeDevicePath[] = L"\\Program Files\\Probe Dir\\probe.exe";
constexpr Ticks100ns kSecond = kTicksPerSecond;
constexpr DWORD kTimeoutMs = 30000;

std::wstring TimerKey(ItemHash hash) { return kTimerItems + L"\\" + std::to_wstring(hash); }

// A confirmed timer as the program stores it: running with `left` to go, or stopped.
void StoreTimer(ItemHash hash, Ticks100ns left, Action* action, int actionType, uint32_t extraFlags = 0) {
    TimerItem timer;
    timer.Hash = hash;
    // A silent ring: a sound or vibration would hold the reset's countdown and the ring's close.
    timer.flags = (timer.flags & ~(TimerItem::kNew | TimerItem::kPlaySound)) | TimerItem::kVibrateOff |
                  TimerItem::kEventDialogOff | extraFlags;
    timer.time = timer.origTime = left;
    if (action) {
        timer.action.reset(action);
        timer.actionType = actionType;
    }
    timer.Save(RegKeyRef::Open(TimerKey(hash).c_str(), HKEY_CURRENT_USER, false));
}

void StoreCopy(ItemHash hash, ItemHash parent) {
    StoreTimer(hash, 600 * kSecond, nullptr, 0, TimerItem::kRunning);
    testsupport::WriteRegistryDword(HKEY_CURRENT_USER, TimerKey(hash), TimerItem::kParentHashValue, parent);
}

// The timers stored now whose ParentHash is parent.
std::vector<ItemHash> StoredCopies(ItemHash parent) {
    std::vector<ItemHash> copies;
    HKEY items;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kTimerItems.c_str(), 0, KEY_READ, &items) != ERROR_SUCCESS) return copies;
    wchar_t name[64];
    for (DWORD i = 0;; ++i) {
        DWORD n = 64;
        if (RegEnumKeyExW(items, i, name, &n, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        DWORD stored = 0;
        if (testsupport::ReadRegistryDword(HKEY_CURRENT_USER, kTimerItems + L"\\" + name, TimerItem::kParentHashValue,
                                           &stored) &&
            static_cast<ItemHash>(stored) == parent)
            copies.push_back(static_cast<ItemHash>(_wtoi(name)));
    }
    RegCloseKey(items);
    return copies;
}

bool TimerStored(ItemHash hash) { return testsupport::RegistryKeyExists(HKEY_CURRENT_USER, TimerKey(hash)); }

template <class Concrete>
Concrete* WithHash(Concrete* action, ItemHash hash) {
    action->TimerHash = hash;
    return action;
}

class ActionsRoad : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(testsupport::InstallLauncher());
        ASSERT_TRUE(testsupport::CopyIntoDevice(testsupport::HostPath(ORVALEN_PROGRAM_PATH), kProgramDevicePath));
    }

    // Starts Orvalen as a screen saver, which keeps it running, and finds its engine.
    void StartProgram() {
        ASSERT_TRUE(program_.Start(testsupport::DevicePath(kProgramDevicePath), L"-scrsvr"));
        // Twice the usual time: at the suite's start many Wine processes start at once.
        ASSERT_TRUE(testsupport::PollUntil(2 * kTimeoutMs, [&] {
            return (engine_ = FindWindowW(EngineWnd::kClassName, nullptr)) != nullptr;
        }));
    }

    testsupport::ChildProcess program_;
    HWND engine_ = nullptr;
};

}  // namespace

TEST_F(ActionsRoad, ProgramsTimersConnectionsAndVolumesChangeAsTheTimersRing) {
    ASSERT_TRUE(testsupport::CopyIntoDevice(testsupport::HostPath(PROBE_EXE), kProbeDevicePath));
    auto* run = new ExecuteAction;
    run->CommandLine.SetCStr((std::wstring(L"\"") + kProbeDevicePath + L"\" -x").c_str());
    StoreTimer(101, kSecond, run, Action::kTypeExecute, TimerItem::kRunning);
    StoreTimer(200, 600 * kSecond, nullptr, 0, TimerItem::kTemplate);
    StoreCopy(201, 200);
    StoreCopy(202, 200);
    StoreTimer(300, 600 * kSecond, nullptr, 0, TimerItem::kTemplate);
    StoreTimer(102, kSecond, WithHash(new StopTimerAction, 200), Action::kTypeStopTimer, TimerItem::kRunning);
    StoreTimer(103, kSecond, WithHash(new StartTimerAction, 300), Action::kTypeStartTimer, TimerItem::kRunning);
    StoreTimer(104, kSecond, new InternetConnectAction, Action::kTypeInternetConnect, TimerItem::kRunning);
    StoreTimer(105, 4 * kSecond, new CloseGprsAction, Action::kTypeCloseGprs, TimerItem::kRunning);
    auto* volume = new ChangeVolumeAction;
    volume->Vol = 50;
    volume->RingVol = 100;
    StoreTimer(106, kSecond, volume, Action::kTypeChangeVolume, TimerItem::kRunning);
    ASSERT_EQ(2u, StoredCopies(200).size());
    StartProgram();

    // The probe got exactly the text after the quoted path, its leading blank included.
    ASSERT_TRUE(testsupport::WaitForFile(testsupport::DevicePath(PROBE_DONE_FILE), kTimeoutMs));
    std::wstring text;
    ASSERT_TRUE(testsupport::ReadUtf16(testsupport::DevicePath(PROBE_COMMAND_TEXT_FILE), &text));
    EXPECT_EQ(L" -x", text);
    // Every copy of the stopped template went, the template stayed; the started one has a running copy.
    EXPECT_TRUE(testsupport::PollUntil(kTimeoutMs, [] { return StoredCopies(200).empty(); }));
    EXPECT_TRUE(TimerStored(200));
    EXPECT_TRUE(testsupport::PollUntil(kTimeoutMs, [] { return StoredCopies(300).size() == 1; }));
    DWORD flags = 0;
    if (!StoredCopies(300).empty())
        testsupport::ReadRegistryDword(HKEY_CURRENT_USER, TimerKey(StoredCopies(300)[0]), L"flags", &flags);
    EXPECT_TRUE(flags & TimerItem::kRunning);
    // The connection opened, then was hung up.
    EXPECT_TRUE(testsupport::PollUntil(kTimeoutMs, [] { return DeviceControl_GetEstablishedConnections() == 1; }));
    EXPECT_TRUE(testsupport::PollUntil(kTimeoutMs, [] { return DeviceControl_GetHungUpConnections() == 1; }));
    EXPECT_EQ(0u, DeviceControl_GetOpenConnections());
    // 50 % on both channels, ring volume 100 % as the top step; both outlive the program.
    EXPECT_TRUE(testsupport::PollUntil(kTimeoutMs, [] { return DeviceControl_GetVolume() == 0x7FFF7FFFu; }));
    TerminateProcess(program_.Handle(), 0);
    program_.Wait(kTimeoutMs);
    EXPECT_EQ(0x7FFF7FFFu, DeviceControl_GetVolume());
    DWORD initVol = 0;
    EXPECT_TRUE(testsupport::ReadRegistryDword(HKEY_CURRENT_USER, ChangeVolumeAction::kRingCategoryKey,
                                               ChangeVolumeAction::kInitVolValue, &initVol));
    EXPECT_EQ(5u, initVol);
    EXPECT_EQ(5u, DeviceControl_GetRingVolume());
    EXPECT_EQ(static_cast<DWORD>(SND_SOUNDTYPE_ON), DeviceControl_GetSoundType());
}

TEST_F(ActionsRoad, SuspendAndPowerOffFlushTheRegistryAndSwitchTheDeviceOff) {
    StoreTimer(110, kSecond, new SuspendAction, Action::kTypeSuspend, TimerItem::kRunning);
    StoreTimer(111, kSecond, new PowerOffAction, Action::kTypePowerOff);
    const DWORD flushes = DeviceControl_GetVolumeFlushes();
    StartProgram();
    ASSERT_TRUE(testsupport::PollUntil(kTimeoutMs, [] { return DeviceControl_GetPowerState() == POWER_STATE_OFF; }));
    EXPECT_GT(DeviceControl_GetVolumeFlushes(), flushes);

    // The user switches it on again; the second timer powers it off.
    ASSERT_EQ(ERROR_SUCCESS, SetSystemPowerState(nullptr, POWER_STATE_ON, POWER_FORCE));
    const DWORD transitions = DeviceControl_GetPowerTransitions();
    const DWORD flushesBefore = DeviceControl_GetVolumeFlushes();
    CopyDataCommand(L"timer_start 111").SendTo(engine_);
    ASSERT_TRUE(testsupport::PollUntil(kTimeoutMs, [] { return DeviceControl_GetPowerState() == POWER_STATE_OFF; }));
    EXPECT_GT(DeviceControl_GetPowerTransitions(), transitions);
    EXPECT_GT(DeviceControl_GetVolumeFlushes(), flushesBefore);
    EXPECT_EQ(0u, DeviceControl_GetBootCount());
}

TEST_F(ActionsRoad, TheResetCountsDownFromTenToZeroThenRebootsKeepingRegistryAndNotifications) {
    StoreTimer(120, kSecond, new ResetAction, Action::kTypeReset, TimerItem::kRunning);
    // A far timer keeps a wake-up notification registered.
    StoreTimer(121, 3600 * kSecond, nullptr, 0, TimerItem::kRunning);
    // Another program of the device, waiting for a message that never comes.
    testsupport::ChildProcess other;
    ASSERT_TRUE(other.Start(testsupport::HostPath(RECEIVER_EXE), L"ActionsRoadReceiver"));
    StartProgram();

    // The countdown's texts, in the order they showed. Read as the system keeps them, not by
    // a message: the program's thread is busy with the reset right after showing 0.
    std::vector<std::wstring> shown;
    const ULONGLONG deadline = GetTickCount64() + kTimeoutMs;
    HWND countdown = nullptr;
    while (program_.Wait(0) == testsupport::ChildProcess::kStillRunning && GetTickCount64() < deadline) {
        if (!countdown) countdown = FindWindowW(L"#32770", L"Reset");
        wchar_t text[128] = {};
        // The template's own text shows until the countdown fills it in.
        if (countdown && GetWindowTextW(GetDlgItem(countdown, ResetCountdownWnd::kTextControl), text, 128) &&
            !wcsstr(text, L"%d") && (shown.empty() || shown.back() != text))
            shown.push_back(text);
        Sleep(5);
    }
    // The reset ended every program of the device, this one too.
    ASSERT_EQ(static_cast<DWORD>(ERROR_SHUTDOWN_IN_PROGRESS), program_.Wait(0)) << "the device was not reset";
    EXPECT_EQ(static_cast<DWORD>(ERROR_SHUTDOWN_IN_PROGRESS), other.Wait(kTimeoutMs));
    ASSERT_EQ(11u, shown.size());
    for (int i = 0; i <= 10; ++i)
        EXPECT_EQ(L"A PDA will be reset in " + std::to_wstring(10 - i) + L" seconds", shown[i]);

    EXPECT_EQ(1u, DeviceControl_GetBootCount());
    EXPECT_EQ(static_cast<DWORD>(POWER_STATE_ON), DeviceControl_GetPowerState());
    EXPECT_TRUE(TimerStored(121));
    EXPECT_GT(DeviceControl_GetNotificationCount(), 0u);
    // The device came up again with its services, its only program now.
    EXPECT_TRUE(DeviceControl_ServicesRunning());
    EXPECT_EQ(1u, DeviceControl_GetProcessCount());
}

TEST_F(ActionsRoad, RadiosATextMessageAndTheTimeZoneChangeAsTheTimersRing) {
    StoreTimer(130, kSecond, new EnableFlightModeAction, Action::kTypeFlightModeOn, TimerItem::kRunning);
    auto* sms = new SMSAction;
    sms->Message.SetCStr(L"Good morning");
    sms->Number.SetCStr(L"5550123");
    sms->DeliveryNotification = 1;
    StoreTimer(131, kSecond, sms, Action::kTypeSms, TimerItem::kRunning);
    auto* bluetooth = new BthOnAction;
    bluetooth->Discoverable = 1;
    StoreTimer(132, kSecond, bluetooth, Action::kTypeBluetoothOn, TimerItem::kRunning);
    StoreTimer(133, kSecond, new WlanOnAction, Action::kTypeWlanOn, TimerItem::kRunning);
    auto* zone = new ChangeTimeZoneAction;
    zone->ZoneIndex = 13;
    StoreTimer(134, kSecond, zone, Action::kTypeTimeZone, TimerItem::kRunning);
    // A device without a city database: the built-in zones serve.
    ASSERT_TRUE(testsupport::RemoveDeviceLibrary(CITYDB_LIBRARY));
    StartProgram();

    EXPECT_TRUE(testsupport::PollUntil(
        kTimeoutMs, [] { return DeviceControl_GetLineEquipmentState(0) == LINEEQUIPSTATE_MINIMUM; }));
    EXPECT_TRUE(testsupport::PollUntil(kTimeoutMs, [] { return DeviceControl_GetSentSmsCount() == 1; }));
    DEVICE_SENT_SMS sent = {};
    ASSERT_TRUE(DeviceControl_GetSentSms(0, &sent));
    EXPECT_STREQ(L"Good morning", sent.text);
    EXPECT_STREQ(L"5550123", sent.number);
    EXPECT_EQ(static_cast<DWORD>(PS_MESSAGE_OPTION_STATUSREPORT), sent.messageOptions);
    EXPECT_TRUE(testsupport::PollUntil(kTimeoutMs, [] { return DeviceControl_GetBluetoothMode() == BTH_DISCOVERABLE; }));
    EXPECT_TRUE(testsupport::PollUntil(kTimeoutMs, [] { return DeviceControl_GetWlanRadio() == 1; }));
    EXPECT_TRUE(testsupport::PollUntil(kTimeoutMs, [] {
        TIME_ZONE_INFORMATION zone = {};
        DeviceClock_GetTimeZoneInformation(&zone);
        return zone.Bias == 300 && wcscmp(zone.StandardName, L"Eastern Standard Time") == 0;
    }));
}
