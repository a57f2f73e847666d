// The engine window in this process, with the program's objects around it: the
// nearest-alarm state after changes, the tick's clock-jump rule, the idle check,
// skip-next, and the device's power around a ring.
#include "App.h"
#include "CopyDataCommand.h"
#include "DeviceClock.h"
#include "DeviceControl.h"
#include "EngineMessage.h"
#include "RingLink.h"
#include "EngineWnd.h"
#include "ItemStore.h"
#include "NearestAlarmState.h"
#include "TestSupport.h"
#include "notify.h"
#include "pm.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

namespace {

const wchar_t kProductKey[] = L"Software\\Ostrel\\Orvalen";
const wchar_t kMainWindowClass[] = L"OrvalenMainWnd";
constexpr OleDate kSecond = 1.0 / 86400.0;

// Everything waiting in this thread's queue is handled; a quit is dropped.
void Drain() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        if (msg.message != WM_QUIT) DispatchMessageW(&msg);
}

// Handles this thread's messages as they come until ready() holds; false when timeoutMs
// passed first.
bool PumpUntil(DWORD timeoutMs, const std::function<bool()>& ready) {
    const DWORD start = GetTickCount();
    MSG msg;
    while (!ready()) {
        if (GetTickCount() - start > timeoutMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        while (!ready() && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            if (msg.message != WM_QUIT) DispatchMessageW(&msg);
    }
    return true;
}

bool ReadFileTime(HKEY root, const wchar_t* key, const wchar_t* value, FILETIME* time) {
    DWORD size = sizeof *time;
    return RegGetValueW(root, key, value, RRF_RT_REG_BINARY, nullptr, time, &size) == ERROR_SUCCESS &&
           size == sizeof *time;
}

std::wstring ProductString(const wchar_t* value) {
    std::wstring text;
    testsupport::ReadRegistryString(HKEY_CURRENT_USER, kProductKey, value, &text);
    return text;
}

class EngineWndTest : public testing::Test {
protected:
    void SetUp() override {
        // A word that names no timer: the program starts and opens no window.
        ASSERT_TRUE(App::InitInstance(GetModuleHandleW(nullptr), L"timer_start 77"));
        engine_ = App::GetEngine();
        store_ = App::GetItemStore();
        Drain();
    }
    void TearDown() override {
        App::Shutdown();
        Drain();
    }

    AlarmItem* AddAlarm(OleDate at, const wchar_t* title) {
        AlarmItem* alarm = store_->CreateAlarm(nullptr);
        alarm->flags &= ~AlarmItem::kNew;
        alarm->time = at;
        alarm->title.SetCStr(title);
        return alarm;
    }
    // A silent timer started with that many seconds to run.
    TimerItem* StartTimer(int seconds) {
        TimerItem* timer = store_->CreateTimer(nullptr);
        timer->flags &= ~TimerItem::kNew;
        timer->origTime = Ticks_FromSeconds(seconds);
        timer->SetOption1(false);
        timer->SetOption5(false);
        return engine_->StartTimer(timer, true);
    }
    LRESULT Send(UINT message, void* item) {
        return SendMessageW(engine_->Hwnd(), message, reinterpret_cast<WPARAM>(item), 0);
    }
    // The item's ring window, null when it does not ring.
    static HWND RingWindowOf(const EventItem* item) {
        HWND ring = item->ringUI ? item->ringUI->RingWindow() : nullptr;
        return ring && IsWindow(ring) ? ring : nullptr;
    }

    EngineWnd* engine_ = nullptr;
    ItemStore* store_ = nullptr;
};

}  // namespace

TEST_F(EngineWndTest, NearestAlarmValuesFollowEveryChange) {
    OleDate now = Time_LocalNowAsDate(true);
    AlarmItem* later = AddAlarm(now + 2.0 / 24, L"later");
    AlarmItem* sooner = AddAlarm(now + 1.0 / 24, L"sooner");
    auto expectNearest = [&](const AlarmItem* alarm) {
        engine_->Reschedule();
        EXPECT_EQ(alarm->title.CStr(), ProductString(NearestAlarmState::kTitleValue));
        EXPECT_EQ(NearestAlarmState::TimeText(alarm->time, Time_LocalNowAsDate(true)),
                  ProductString(NearestAlarmState::kTimeTextValue));
        SYSTEMTIME local;
        Time_DateToSystemTime(alarm->time, local);
        FILETIME expected, shell = {}, program = {};
        SystemTimeToFileTime(&local, &expected);
        ASSERT_TRUE(ReadFileTime(HKEY_CURRENT_USER, NearestAlarmState::kShellAlarmsKey,
                                 NearestAlarmState::kShellNextValue, &shell));
        ASSERT_TRUE(ReadFileTime(HKEY_CURRENT_USER, kProductKey, NearestAlarmState::kTimeBinValue, &program));
        EXPECT_EQ(0, CompareFileTime(&expected, &shell));
        EXPECT_EQ(0, CompareFileTime(&expected, &program));
    };
    expectNearest(sooner);
    sooner->flags &= ~AlarmItem::kEnabled;
    expectNearest(later);
    // The one time-change and zone-change notification besides the wake-ups.
    EXPECT_EQ(7u, DeviceControl_GetNotificationCount());

    // Nothing due: "None", no shell value and nothing of the program left in the system.
    CE_NOTIFICATION_TRIGGER foreign = {sizeof foreign, CNT_EVENT, NOTIFICATION_EVENT_TIME_CHANGE};
    wchar_t other[] = L"\\Windows\\other.exe";
    foreign.lpszApplication = other;
    ASSERT_NE(nullptr, CeSetUserNotificationEx(nullptr, &foreign, nullptr));
    later->flags &= ~AlarmItem::kEnabled;
    engine_->Reschedule();
    EXPECT_EQ(NearestAlarmState::kNoneText, ProductString(NearestAlarmState::kTitleValue));
    EXPECT_EQ(NearestAlarmState::kNoneText, ProductString(NearestAlarmState::kTimeTextValue));
    FILETIME gone;
    EXPECT_FALSE(ReadFileTime(HKEY_CURRENT_USER, NearestAlarmState::kShellAlarmsKey,
                              NearestAlarmState::kShellNextValue, &gone));
    EXPECT_EQ(1u, DeviceControl_GetNotificationCount());
}

TEST_F(EngineWndTest, TickCountsAClockJumpForTimersAndStopwatches) {
    TimerItem* timer = store_->CreateTimer(nullptr);
    timer->flags &= ~TimerItem::kNew;
    timer->time = Ticks_FromSeconds(7200);
    StopwatchItem* stopwatch = store_->CreateStopwatch();
    ASSERT_TRUE(DeviceControl_JumpClock(3600000));
    Send(WM_TIMER, reinterpret_cast<void*>(EngineWnd::kTickTimer));
    EXPECT_NEAR(3600.0, static_cast<double>(timer->time) / kTicksPerSecond, 3.0);
    EXPECT_NEAR(3600.0, static_cast<double>(stopwatch->time) / kTicksPerSecond, 3.0);
}

// A snooze is a wait of its own length: a new zone or a network time sync re-aims it so
// that what is left of the wait stays, and its wake-up follows.
TEST_F(EngineWndTest, SnoozeKeepsItsRemainingWaitAcrossClockAndZoneChanges) {
    OleDate now = Time_LocalNowAsDate(true);
    AlarmItem* alarm = AddAlarm(now - 60 * kSecond, L"snoozed");
    alarm->flags |= AlarmItem::kFired;
    alarm->Snooze(&now, 10, 0, false);
    alarm->SetDismissed(false);
    Send(WM_TIMER, reinterpret_cast<void*>(EngineWnd::kTickTimer));
    OleDate aimed = alarm->snooze;
    auto expectWakeUpAt = [&](OleDate due) {
        SYSTEMTIME start = {};
        bool found = false;
        for (DWORD i = 0, type = 0;
             DeviceControl_GetNotification(i, nullptr, &type, nullptr, nullptr, &start, nullptr, 0, nullptr, 0); ++i)
            found = found || (type == CNT_TIME && std::fabs(Time_SystemTimeToDate(start) - (due - kSecond)) < kSecond);
        EXPECT_TRUE(found) << "a wake-up one second before the snooze";
    };

    // Two hours east, seen by a tick before the word arrives: the jump alone does not
    // end the snooze.
    TIME_ZONE_INFORMATION zone;
    DeviceControl_MakeFixedZone(-120, &zone);
    ASSERT_TRUE(DeviceClock_SetTimeZoneInformation(&zone));
    Send(WM_TIMER, reinterpret_cast<void*>(EngineWnd::kTickTimer));
    CopyDataCommand(L"AppRunAfterTzChange").SendTo(engine_->Hwnd());
    Drain();
    ASSERT_FALSE(alarm->IsDismissed()) << "the snooze is still pending";
    EXPECT_EQ(nullptr, RingWindowOf(alarm)) << "nothing rang early";
    EXPECT_NEAR(aimed + 7200 * kSecond, alarm->snooze, 0.5 * kSecond);
    expectWakeUpAt(alarm->snooze);

    // The clock set three minutes forward; the word comes before the next tick.
    aimed = alarm->snooze;
    ASSERT_TRUE(DeviceControl_JumpClock(180000));
    CopyDataCommand(L"AppRunAfterTimeChange").SendTo(engine_->Hwnd());
    Drain();
    ASSERT_FALSE(alarm->IsDismissed());
    EXPECT_NEAR(aimed + 180 * kSecond, alarm->snooze, 0.5 * kSecond);
    expectWakeUpAt(alarm->snooze);

    // Set back an hour: the snooze goes back with it, ten minutes from when it was set.
    aimed = alarm->snooze;
    ASSERT_TRUE(DeviceControl_JumpClock(-3600000));
    CopyDataCommand(L"AppRunAfterTimeChange").SendTo(engine_->Hwnd());
    EXPECT_NEAR(aimed - 3600 * kSecond, alarm->snooze, 0.5 * kSecond);
    EXPECT_NEAR(Time_LocalNowAsDate(true) + 600 * kSecond, alarm->snooze, 5 * kSecond);
    expectWakeUpAt(alarm->snooze);
}

// What falls due between two ticks is rung at its instant, by the tick's own work: with
// the one-second tick held off, an alarm due in 300 ms rings, not before its time; a
// timer counts its whole seconds from its own start, so one of 2 s started between two
// ticks expires 2 s after its start, neither with the tick before nor the one after.
TEST_F(EngineWndTest, WhatFallsDueBetweenTicksRingsAtItsInstant) {
    ASSERT_TRUE(KillTimer(engine_->Hwnd(), EngineWnd::kTickTimer));
    AlarmItem* alarm = AddAlarm(Time_LocalNowAsDate(true) + 0.3 * kSecond, L"between ticks");
    TimerItem* timer = store_->CreateTimer(nullptr);
    timer->flags &= ~(TimerItem::kNew | TimerItem::kRunning);
    timer->origTime = Ticks_FromSeconds(2);
    for (EventItem* item : std::initializer_list<EventItem*>{alarm, timer}) {
        item->SetOption1(false);
        item->SetOption5(false);
    }
    engine_->Reschedule();
    ASSERT_FALSE(alarm->flags & AlarmItem::kFired);
    const OleDate due = alarm->time;
    OleDate rang = 0;
    EXPECT_TRUE(PumpUntil(3000, [&] {
        if (alarm->flags & AlarmItem::kFired) rang = Time_LocalNowAsDate(true);
        return rang != 0;
    })) << "only a tick would have rung it";
    EXPECT_GE(rang, due);

    const DWORD start = DeviceClock_GetTickCount();
    ASSERT_EQ(timer, engine_->StartTimer(timer, true));
    PumpUntil(1300, [&] { return DeviceClock_GetTickCount() - start >= 1300; });
    Send(WM_TIMER, reinterpret_cast<void*>(EngineWnd::kTickTimer));
    ASSERT_TRUE(timer->IsRunning()) << "expired 1.3 s into its 2 s";
    DWORD expired = 0;
    EXPECT_TRUE(PumpUntil(3000, [&] {
        if (!timer->IsRunning()) expired = DeviceClock_GetTickCount();
        return expired != 0;
    })) << "only a tick would have expired it";
    EXPECT_GE(expired - start, 2000u);
}

// The idle check quits neither while a main or ring window is open nor while something
// falls due sooner than the device's wake-up could start the program for it; once the
// quit is on its way, a command is refused, for its sender to give to the next instance.
TEST_F(EngineWndTest, IdleCheckQuitsOnlyWhenNothingNeedsTheProgram) {
    // The main window closed, and another opened before the engine saw the close.
    Send(EngineMessage::kOpenMainWindow, nullptr);
    DestroyWindow(FindWindowW(kMainWindowClass, nullptr));
    Send(EngineMessage::kOpenMainWindow, nullptr);
    Drain();
    EXPECT_TRUE(App::HasMainWindow()) << "the first one's close took the second";
    DestroyWindow(FindWindowW(kMainWindowClass, nullptr));
    Drain();
    EXPECT_FALSE(App::HasMainWindow());

    engine_->ChangeRingWindowCount(1);
    EXPECT_FALSE(engine_->IdleExit());
    engine_->ChangeRingWindowCount(-1);
    TimerItem* soon = StartTimer(10);
    EXPECT_FALSE(engine_->IdleExit()) << "a timer due in 10 s";
    engine_->StopTimer(soon);
    EXPECT_TRUE(engine_->IdleExit());
    CopyDataCommand word(L"alarms");
    EXPECT_EQ(FALSE, SendMessageW(engine_->Hwnd(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&word.Record())));
    EXPECT_FALSE(App::HasMainWindow());
    MSG quit;
    EXPECT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST_F(EngineWndTest, SkipNextSwallowsOneRing) {
    AlarmItem* alarm = AddAlarm(Time_LocalNowAsDate(true), L"skipped");
    alarm->flags |= AlarmItem::kSkipNext;
    Send(EngineMessage::kAlarmDue, alarm);
    EXPECT_FALSE(alarm->flags & AlarmItem::kSkipNext);
    EXPECT_EQ(nullptr, RingWindowOf(alarm));
    Send(EngineMessage::kAlarmDue, alarm);
    HWND ring = RingWindowOf(alarm);
    EXPECT_NE(nullptr, ring);
    Send(EngineMessage::kAlarmDue, reinterpret_cast<AlarmItem*>(0x1234));  // not an item of the store
    EXPECT_EQ(ring, RingWindowOf(alarm));
}

TEST_F(EngineWndTest, RingThatWokeTheDeviceSuspendsItAfterwardsUnlessSomeoneUsesIt) {
    AlarmItem* screen = AddAlarm(Time_LocalNowAsDate(true), L"screen");
    AlarmItem* dark = AddAlarm(Time_LocalNowAsDate(true), L"dark");
    dark->SetOption7(false);
    dark->SetOption4(false);
    // Neither plays nor vibrates: the test ends their rings itself.
    for (AlarmItem* alarm : {screen, dark}) {
        alarm->SetOption1(false);
        alarm->SetOption5(false);
    }
    auto ringWhileAsleep = [&](AlarmItem* alarm) {
        ASSERT_EQ(DWORD(ERROR_SUCCESS), SetSystemPowerState(nullptr, POWER_STATE_SUSPEND, POWER_FORCE));
        Send(EngineMessage::kAlarmDue, alarm);
    };
    auto ringEnds = [&] {
        Send(EngineMessage::kSoundEnded, nullptr);
        Drain();
    };

    // A ring screen switches the device on; when the ring is over it sleeps again.
    ringWhileAsleep(screen);
    EXPECT_EQ(DWORD(POWER_STATE_ON), DeviceControl_GetPowerState());
    ringEnds();
    EXPECT_EQ(DWORD(POWER_STATE_SUSPEND), DeviceControl_GetPowerState());

    // Not while a timer falls due sooner than the device's wake-up could come for it.
    TimerItem* soon = StartTimer(10);
    ringWhileAsleep(screen);
    ringEnds();
    EXPECT_EQ(DWORD(POWER_STATE_ON), DeviceControl_GetPowerState()) << "asleep with a timer due in 10 s";
    engine_->StopTimer(soon);
    ringEnds();
    EXPECT_EQ(DWORD(POWER_STATE_SUSPEND), DeviceControl_GetPowerState());

    // A ring without anything to see leaves the screen off.
    ringWhileAsleep(dark);
    EXPECT_NE(DWORD(POWER_STATE_ON), DeviceControl_GetPowerState());
    EXPECT_NE(nullptr, RingWindowOf(dark)) << "it rings without a screen";

    // The user took the device up during the ring: it stays on.
    ringWhileAsleep(screen);
    SendMessageW(engine_->Hwnd(), EngineMessage::kUserActivity, 0, 1);
    ringEnds();
    EXPECT_EQ(DWORD(POWER_STATE_ON), DeviceControl_GetPowerState());

    // On external power it stays on too.
    ASSERT_TRUE(DeviceControl_SetACLineStatus(AC_LINE_ONLINE));
    ringWhileAsleep(screen);
    ringEnds();
    EXPECT_EQ(DWORD(POWER_STATE_ON), DeviceControl_GetPowerState());
}

TEST_F(EngineWndTest, QuittingToUninstallLeavesNoNotificationOfTheProgram) {
    AddAlarm(Time_LocalNowAsDate(true) + 1.0 / 24, L"daily");
    engine_->Reschedule();
    ASSERT_EQ(7u, DeviceControl_GetNotificationCount());
    engine_->Quit(EngineWnd::kQuitRemoveNotifications);
    App::Shutdown();
    EXPECT_EQ(0u, DeviceControl_GetNotificationCount());
}
