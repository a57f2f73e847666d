// The road of an alarm with real processes: Orvalen registers its wake-ups, quits,
// the device's notification service starts the launcher at the due moment, the
// launcher starts Orvalen, and the tick rings the alarm on its ring screen, with its
// sound on the device's loudspeaker, the LED, the vibrator and the backlight.
#include "AlarmItem.h"
#include "DeviceProgram.h"
#include "DeviceClock.h"
#include "DeviceControl.h"
#include "DeviceScreen.h"
#include "DeviceSignals.h"
#include "EngineWnd.h"
#include "NearestAlarmState.h"
#include "RegKeyRef.h"
#include "RegKeyRefTyped.h"
#include "TestSupport.h"
#include "notify.h"
#include "pm.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

using namespace device_program;

const wchar_t kProductKey[] = L"Software\\Ostrel\\Orvalen";
constexpr OleDate kSecond = 1.0 / 86400.0;
const ItemHash kAlarmHash = 4711;
const int kTitleControl = 1275;
const int kClockControl = 1282;
const UINT kDismissCommand = 30036;
const UINT kSnoozeCommand = 30037;
const wchar_t kChooserCaption[] = L"Snooze Alarm";

// The device's local time as the ring dialog shows it, seconds from now.
std::wstring DeviceTimeText(int offsetSeconds) {
    SYSTEMTIME local;
    Time_DateToSystemTime(Time_LocalNowAsDate(true) + offsetSeconds * kSecond, local);
    wchar_t text[100] = {};
    GetTimeFormatW(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &local, nullptr, text, 100);
    return text;
}

struct Notification {
    DWORD type = 0, event = 0;
    OleDate start = 0;
    std::wstring arguments;
};

// The notifications of the launcher, in list order.
std::vector<Notification> LauncherNotifications() {
    const std::wstring launcher = testsupport::DevicePath(testsupport::kLauncherDevicePath);
    std::vector<Notification> own;
    for (DWORD i = 0;; ++i) {
        HANDLE handle = nullptr;
        Notification n;
        SYSTEMTIME start = {};
        wchar_t application[MAX_PATH] = {}, arguments[MAX_PATH] = {};
        if (!DeviceControl_GetNotification(i, &handle, &n.type, &n.event, nullptr, &start, application, MAX_PATH,
                                           arguments, MAX_PATH))
            return own;
        if (_wcsicmp(application, launcher.c_str()) != 0) continue;
        if (n.type == CNT_TIME) n.start = Time_SystemTimeToDate(start);
        n.arguments = arguments;
        own.push_back(n);
    }
}

std::vector<Notification> RunAtTimes() {
    std::vector<Notification> times;
    for (const Notification& n : LauncherNotifications())
        if (n.type == CNT_TIME) times.push_back(n);
    return times;
}

size_t CountEvents(DWORD event) {
    size_t count = 0;
    for (const Notification& n : LauncherNotifications()) count += n.type == CNT_EVENT && n.event == event;
    return count;
}

// The loudest sample the device's loudspeaker has recorded so far.
int LoudestRecordedSample() {
    wchar_t path[MAX_PATH];
    DWORD startTick = 0;
    std::string bytes;
    if (!DeviceControl_GetSpeakerRecording(path, MAX_PATH, &startTick) || !testsupport::ReadBytes(path, &bytes)) return 0;
    int loudest = 0;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        short sample;
        memcpy(&sample, &bytes[i], 2);
        loudest = std::max(loudest, std::abs(int(sample)));
    }
    return loudest;
}

// Whether the device's call log holds the vibrator running (the shell's repeating
// Vibrate, or the vibrator LED 1 switched on) and the notification LED 0 blinking.
bool VibratorRan(const std::vector<DEVICE_CALL>& calls) {
    for (const DEVICE_CALL& c : calls)
        if ((c.kind == DEVICE_CALL_VIBRATE && c.b) || (c.kind == DEVICE_CALL_LED && c.a == 1 && c.b == 1)) return true;
    return false;
}
bool LedBlinked(const std::vector<DEVICE_CALL>& calls) {
    for (const DEVICE_CALL& c : calls)
        if (c.kind == DEVICE_CALL_LED && c.a == 0 && c.b == 2) return true;
    return false;
}
std::vector<DEVICE_CALL> DeviceCalls() {
    std::vector<DEVICE_CALL> calls(DEVICE_CALL_LOG_SIZE);
    const DWORD total = DeviceControl_GetCalls(0, calls.data(), DEVICE_CALL_LOG_SIZE);
    calls.resize(std::min<DWORD>(total, DEVICE_CALL_LOG_SIZE));
    return calls;
}

std::string SavedTime() {
    BYTE data[8] = {};
    DWORD size = sizeof data;
    RegGetValueW(HKEY_CURRENT_USER, kProductKey, L"SavedTime", RRF_RT_ANY, nullptr, data, &size);
    return std::string(reinterpret_cast<char*>(data), sizeof data);
}

// Brings the device clock to just before a moment and waits for the alarm's ring.
HWND RingAt(OleDate due) {
    ClearTimeChangeNotification();
    const LONGLONG toDue = static_cast<LONGLONG>((due - Time_LocalNowAsDate(true)) * 86400000.0);
    if (toDue > 500 && !DeviceControl_JumpClock(toDue - 500)) return nullptr;
    HWND ring = nullptr;
    testsupport::PollUntil(kTimeoutMs, [&] { return (ring = FindAlarmRing()) != nullptr; });
    return ring;
}

// The program's snooze chooser, once it shows.
HWND WaitForChooser() {
    HWND chooser = nullptr;
    testsupport::PollUntil(kTimeoutMs, [&] {
        chooser = FindWindowW(L"#32770", kChooserCaption);
        return chooser && IsWindowVisible(chooser);
    });
    return chooser;
}

class EngineRoad : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(Install()); }
    void StoreAlarm(OleDate at) { device_program::StoreAlarm(kAlarmHash, at, L"Wake up"); }
    void RunToEnd(const wchar_t* word) { ASSERT_EQ(0u, device_program::RunToEnd(word)); }
};

}  // namespace

TEST_F(EngineRoad, AnAlarmWakesTheDeviceAndRingsThroughTheLauncher) {
    const OleDate due = Time_LocalNowAsDate(true) + 120 * kSecond;
    StoreAlarm(due);
    // The clock changed: Orvalen reschedules and, with nothing to show, ends at once.
    RunToEnd(L"AppRunAfterTimeChange");

    std::vector<Notification> own = RunAtTimes();
    ASSERT_EQ(5u, own.size());
    EXPECT_EQ(L"AppRunAtTime", own[0].arguments);
    EXPECT_NEAR(due - kSecond, own[0].start, 0.6 * kSecond);
    EXPECT_EQ(1u, CountEvents(NOTIFICATION_EVENT_TIME_CHANGE));
    EXPECT_EQ(1u, CountEvents(NOTIFICATION_EVENT_TZ_CHANGE));
    std::wstring nearest;
    EXPECT_TRUE(testsupport::ReadRegistryString(HKEY_CURRENT_USER, kProductKey, L"NearestAlarm", &nearest));
    EXPECT_EQ(L"Wake up", nearest);

    // The device sleeps; its clock comes to just before the due moment.
    ClearTimeChangeNotification();
    ASSERT_TRUE(DeviceControl_RecordSpeaker(TRUE));
    ASSERT_EQ(DWORD(ERROR_SUCCESS), SetSystemPowerState(nullptr, POWER_STATE_SUSPEND, POWER_FORCE));
    LONGLONG toDue = static_cast<LONGLONG>((due - Time_LocalNowAsDate(true)) * 86400000.0);
    ASSERT_TRUE(DeviceControl_JumpClock(toDue - 500));

    HWND ring = nullptr;
    ASSERT_TRUE(testsupport::PollUntil(kTimeoutMs, [&] { return (ring = FindAlarmRing()) != nullptr; }))
        << "the alarm never rang";
    // The ring dialog: on top of everything, across the screen, with the alarm's title and
    // the device's time.
    EXPECT_TRUE(testsupport::PollUntil(kTimeoutMs, [&] { return testsupport::FirstVisibleWindow() == ring; }));
    RECT shown;
    GetWindowRect(ring, &shown);
    EXPECT_EQ(DeviceScreen_GetSystemMetrics(SM_CXSCREEN), shown.right - shown.left);
    EXPECT_EQ(L"Wake up", testsupport::DialogItemText(ring, kTitleControl));
    const std::wstring clock = testsupport::DialogItemText(ring, kClockControl);
    EXPECT_TRUE(clock == DeviceTimeText(0) || clock == DeviceTimeText(-60)) << testing::PrintToString(clock);
    // The ring screen needs the device on.
    EXPECT_EQ(DWORD(POWER_STATE_ON), DeviceControl_GetPowerState());
    // The ring's reschedule registered tomorrow's occurrence first.
    ASSERT_TRUE(testsupport::PollUntil(kTimeoutMs, [&] {
        own = RunAtTimes();
        return !own.empty() && std::abs(own[0].start - (due + 1 - kSecond)) < kSecond;
    }));
    // It rings: the built-in sound on the loudspeaker, the LED blinking, the vibrator
    // running and the backlight held on while the dialog is up.
    EXPECT_TRUE(testsupport::PollUntil(kTimeoutMs, [] { return LoudestRecordedSample() > 1000; }));
    EXPECT_TRUE(testsupport::PollUntil(kTimeoutMs, [] { return VibratorRan(DeviceCalls()); }));
    EXPECT_TRUE(LedBlinked(DeviceCalls()));
    EXPECT_EQ(2, DeviceControl_GetLedState(0));
    EXPECT_EQ(1u, DeviceControl_GetPowerRequirements(L"BKL1:"));
    // Dismissed, nothing else keeps the program: the idle check ends the process.
    PostMessageW(ring, WM_COMMAND, MAKEWPARAM(kDismissCommand, 0), 0);
    ASSERT_TRUE(testsupport::PollUntil(kTimeoutMs, [] { return !EngineRuns(); }));
    EXPECT_EQ(nullptr, FindAlarmRing());
    EXPECT_EQ(0, DeviceControl_GetLedState(0));
    EXPECT_EQ(0u, DeviceControl_GetPowerRequirements(L"BKL1:"));
}

TEST_F(EngineRoad, ClockAndZoneChangesStartTheProgramWithTheirWords) {
    StoreAlarm(Time_LocalNowAsDate(true) + 0.25);
    RunToEnd(L"AppRunAfterTimeChange");
    ASSERT_EQ(1u, CountEvents(NOTIFICATION_EVENT_TIME_CHANGE));

    auto expectAnsweredOnce = [](const std::function<void()>& change) {
        DWORD starts = DeviceControl_GetNotificationStarts();
        std::string saved = SavedTime();
        change();
        EXPECT_TRUE(testsupport::PollUntil(kTimeoutMs, [&] { return DeviceControl_GetNotificationStarts() > starts; }));
        // The started program rescheduled (and saved) before it ended.
        EXPECT_TRUE(testsupport::PollUntil(kTimeoutMs, [&] { return SavedTime() != saved; }));
        EXPECT_TRUE(testsupport::PollUntil(kTimeoutMs, [] { return !EngineRuns(); }));
        EXPECT_EQ(1u, CountEvents(NOTIFICATION_EVENT_TIME_CHANGE));
        EXPECT_EQ(1u, CountEvents(NOTIFICATION_EVENT_TZ_CHANGE));
    };
    expectAnsweredOnce([] { ASSERT_TRUE(DeviceControl_JumpClock(3600000)); });
    expectAnsweredOnce([] {
        TIME_ZONE_INFORMATION zone;
        DeviceControl_MakeFixedZone(-180, &zone);
        ASSERT_TRUE(DeviceClock_SetTimeZoneInformation(&zone));
    });
    for (const Notification& n : LauncherNotifications()) {
        if (n.type != CNT_EVENT) continue;
        EXPECT_EQ(n.event == NOTIFICATION_EVENT_TIME_CHANGE ? L"AppRunAfterTimeChange" : L"AppRunAfterTzChange",
                  n.arguments);
    }
}

// Snooze registers the snooze moment as the device's next wake-up and the nearest
// alarm; the clock moved past it rings again; Dismiss registers the next occurrence.
TEST_F(EngineRoad, SnoozeRingsAgainAndDismissRegistersTheNextOccurrence) {
    const OleDate due = Time_LocalNowAsDate(true) + 120 * kSecond;
    StoreAlarm(due);
    RunToEnd(L"AppRunAfterTimeChange");
    ASSERT_EQ(DWORD(ERROR_SUCCESS), SetSystemPowerState(nullptr, POWER_STATE_SUSPEND, POWER_FORCE));
    HWND ring = RingAt(due);
    ASSERT_TRUE(ring) << "the alarm never rang";

    // Snooze opens the chooser; its Snooze soft key takes the alarm's own 5 minutes.
    PostMessageW(ring, WM_COMMAND, MAKEWPARAM(kSnoozeCommand, 0), 0);
    HWND chooser = WaitForChooser();
    ASSERT_TRUE(chooser) << "no snooze chooser";
    const OleDate snoozedAt = Time_LocalNowAsDate(true);
    PostMessageW(chooser, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(testsupport::PollUntil(kTimeoutMs, [] { return !EngineRuns(); }));
    std::vector<Notification> own = RunAtTimes();
    ASSERT_FALSE(own.empty());
    const OleDate snoozeDue = own[0].start + kSecond;
    EXPECT_NEAR(snoozedAt + 300 * kSecond, snoozeDue, 3 * kSecond);
    std::wstring nearest, nearestTime;
    EXPECT_TRUE(testsupport::ReadRegistryString(HKEY_CURRENT_USER, kProductKey, L"NearestAlarm", &nearest));
    EXPECT_EQ(L"Wake up", nearest);
    EXPECT_TRUE(testsupport::ReadRegistryString(HKEY_CURRENT_USER, kProductKey, L"NearestAlarmTime", &nearestTime));
    EXPECT_EQ(NearestAlarmState::TimeText(snoozeDue, Time_LocalNowAsDate(true)), nearestTime);

    ASSERT_EQ(DWORD(ERROR_SUCCESS), SetSystemPowerState(nullptr, POWER_STATE_SUSPEND, POWER_FORCE));
    ring = RingAt(snoozeDue);
    ASSERT_TRUE(ring) << "the snoozed alarm never rang again";
    PostMessageW(ring, WM_COMMAND, MAKEWPARAM(kDismissCommand, 0), 0);
    ASSERT_TRUE(testsupport::PollUntil(kTimeoutMs, [] { return !EngineRuns(); }));
    own = RunAtTimes();
    ASSERT_FALSE(own.empty());
    EXPECT_NEAR(due + 1 - kSecond, own[0].start, 0.6 * kSecond);
}

// A one-time alarm dismissed with "DeleteOnceAlarms" set leaves the store and the registry.
TEST_F(EngineRoad, ADismissedOneTimeAlarmIsDeleted) {
    const OleDate due = Time_LocalNowAsDate(true) + 120 * kSecond;
    StoreAlarm(due);
    const std::wstring itemKey = std::wstring(kProductKey) + L"\\Alarms\\Items\\" + std::to_wstring(kAlarmHash);
    RegKeyRef alarm = RegKeyRef::Open(itemKey.c_str(), HKEY_CURRENT_USER, false);
    DWORD flags = 0;
    ASSERT_EQ(ERROR_SUCCESS, RegKeyRef_QueryTypedDword(alarm, &flags, AlarmItem::kFlagsValue));
    RegKey_WriteDword(alarm, flags | AlarmItem::kNotifyOnce, AlarmItem::kFlagsValue);
    RegKeyRef system = RegKeyRef::Open((std::wstring(kProductKey) + L"\\Clock\\System").c_str(), HKEY_CURRENT_USER, false);
    RegKey_WriteDword(system, 1, L"DeleteOnceAlarms");
    RunToEnd(L"AppRunAfterTimeChange");

    HWND ring = RingAt(due);
    ASSERT_TRUE(ring) << "the alarm never rang";
    PostMessageW(ring, WM_COMMAND, MAKEWPARAM(kDismissCommand, 0), 0);
    ASSERT_TRUE(testsupport::PollUntil(kTimeoutMs, [] { return !EngineRuns(); }));
    EXPECT_FALSE(testsupport::RegistryKeyExists(HKEY_CURRENT_USER, itemKey));
    EXPECT_TRUE(RunAtTimes().empty() || RunAtTimes()[0].start > due + 0.5);
}
