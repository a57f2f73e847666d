// The engine window in this process, with the program's objects around it: the
// nearest-alarm state after changes, the tick's clock-jump rule, timers across zone
// changes and chains, the idle check, skip-next, the chime behind a ring, and the
// device's power around a ring.
#include "App.h"
#include "CopyDataCommand.h"
#include "DeviceClock.h"
#include "DeviceControl.h"
#include "ImportHook.h"
#include "EngineMessage.h"
#include "RingLink.h"
#include "EngineWnd.h"
#include "ItemStore.h"
#include "NearestAlarmState.h"
#include "Signaller.h"
#include "SpringForward.h"
#include "TestSupport.h"
#include "notify.h"
#include "pm.h"

#include <gtest/gtest.h>

#include <algorithm>
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

// When the engine last set its due timer, and the device moment it set it to fire at:
// when it rings, whatever the machine's load makes of the timer's message.
DWORD dueTimerSet = 0, dueTimerAt = 0;
using SetTimerFunction = UINT_PTR(WINAPI*)(HWND, UINT_PTR, UINT, TIMERPROC);
SetTimerFunction systemSetTimer = nullptr;
UINT_PTR WINAPI RecordedSetTimer(HWND window, UINT_PTR id, UINT ms, TIMERPROC proc) {
    if (id == EngineWnd::kDueTimer) {
        dueTimerSet = DeviceClock_GetTickCount();
        dueTimerAt = dueTimerSet + ms;
    }
    return systemSetTimer(window, id, ms, proc);
}

// The due timer was set for an instant between `earliest` and `latest` (device ticks read
// around what fixed it), or at once when that had passed by then.
void ExpectDueTimerFor(DWORD earliest, DWORD latest, const char* what) {
    constexpr LONG kSlackMs = 20;
    const LONG late = std::max(LONG(dueTimerSet - latest), LONG(0));
    EXPECT_GE(LONG(dueTimerAt - earliest), -kSlackMs) << what << ": set before its instant";
    EXPECT_LE(LONG(dueTimerAt - latest), late + kSlackMs) << what << ": set for later than its instant";
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

    // A timer of that length that neither sounds nor vibrates, not yet started.
    TimerItem* AddTimer(int seconds) {
        TimerItem* timer = store_->CreateTimer(nullptr);
        timer->flags &= ~(TimerItem::kNew | TimerItem::kRunning);
        timer->origTime = Ticks_FromSeconds(seconds);
        timer->SetOption1(false);
        timer->SetOption5(false);
        return timer;
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
// the one-second tick held off, an alarm due in 300 ms rings on the timer the engine set
// for its instant, not before; a timer counts its whole seconds from its own start, so
// one of 2 s started between two ticks expires 2 s after its start, neither with the tick
// before nor the one after. The instants are those the engine asked for, which a busy
// machine's late timer messages do not move.
TEST_F(EngineWndTest, WhatFallsDueBetweenTicksRingsAtItsInstant) {
    const testsupport::ScopedImport setTimer("SetTimer", reinterpret_cast<void*>(RecordedSetTimer));
    systemSetTimer = reinterpret_cast<SetTimerFunction>(setTimer.Original());
    ASSERT_NE(nullptr, systemSetTimer);
    ASSERT_TRUE(KillTimer(engine_->Hwnd(), EngineWnd::kTickTimer));
    const DWORD dueFrom = DeviceClock_GetTickCount() + 300;
    AlarmItem* alarm = AddAlarm(Time_LocalNowAsDate(true) + 0.3 * kSecond, L"between ticks");
    const DWORD dueTo = DeviceClock_GetTickCount() + 300;
    TimerItem* timer = store_->CreateTimer(nullptr);
    timer->flags &= ~(TimerItem::kNew | TimerItem::kRunning);
    timer->origTime = Ticks_FromSeconds(2);
    for (EventItem* item : std::initializer_list<EventItem*>{alarm, timer}) {
        item->SetOption1(false);
        item->SetOption5(false);
    }
    engine_->Reschedule();
    ASSERT_FALSE(alarm->flags & AlarmItem::kFired);
    ExpectDueTimerFor(dueFrom, dueTo, "the alarm");
    const OleDate due = alarm->time;
    OleDate rang = 0;
    EXPECT_TRUE(PumpUntil(10000, [&] {
        if (alarm->flags & AlarmItem::kFired) rang = Time_LocalNowAsDate(true);
        return rang != 0;
    })) << "only a tick would have rung it";
    EXPECT_GE(rang, due);

    const DWORD start = DeviceClock_GetTickCount();
    ASSERT_EQ(timer, engine_->StartTimer(timer, true));
    const DWORD started = DeviceClock_GetTickCount();
    // 1.3 s into its count, which begins as the start returns (a loaded machine's slow start
    // would otherwise leave less than a whole second counted at the tick).
    PumpUntil(1300, [&] { return DeviceClock_GetTickCount() - started >= 1300; });
    Send(WM_TIMER, reinterpret_cast<void*>(EngineWnd::kTickTimer));
    ASSERT_TRUE(timer->IsRunning()) << "expired 1.3 s into its 2 s";
    ExpectDueTimerFor(start + 2000, started + 2000, "the timer");
    DWORD expired = 0;
    EXPECT_TRUE(PumpUntil(10000, [&] {
        if (!timer->IsRunning()) expired = DeviceClock_GetTickCount();
        return expired != 0;
    })) << "only a tick would have expired it";
    EXPECT_GE(expired - start, 2000u);
}

// A timer that another's expiry starts counts from that start, whether it stands after the
// first in the list or before it: with the tick a second after the first's start and every
// second from then on, the first (1 s) expires at that tick and the second (2 s) two
// seconds after it, not with the tick after.
TEST_F(EngineWndTest, AChainedTimerCountsFromItsOwnStart) {
    ASSERT_TRUE(KillTimer(engine_->Hwnd(), EngineWnd::kTickTimer));
    for (bool secondStandsFirst : {false, true}) {
        TimerItem* second = secondStandsFirst ? AddTimer(2) : nullptr;
        TimerItem* first = AddTimer(1);
        if (!second) second = AddTimer(2);
        first->NextTimer = second->Hash;
        Send(WM_TIMER, reinterpret_cast<void*>(EngineWnd::kTickTimer));
        const DWORD start = DeviceClock_GetTickCount();
        ASSERT_EQ(first, engine_->StartTimer(first, true));
        DWORD nextTick = DeviceClock_GetTickCount() + 1000, expired = 0;
        EXPECT_TRUE(PumpUntil(15000, [&] {
            if (static_cast<LONG>(DeviceClock_GetTickCount() - nextTick) >= 0) {
                Send(WM_TIMER, reinterpret_cast<void*>(EngineWnd::kTickTimer));
                nextTick += 1000;
            }
            if (second->time < 0) expired = DeviceClock_GetTickCount();
            return expired != 0;
        })) << "the chain never ended";
        EXPECT_GE(expired - start, 3000u) << (secondStandsFirst ? "second before the first" : "second after the first");
    }
}

// Elapsed time is the device's UTC time: a new zone two hours east and the start of daylight
// saving move only the local clock, for the tick and (daylight saving) across a restart.
TEST_F(EngineWndTest, RunningTimersKeepTheirTimeAcrossZoneChangesEastAndSpringForward) {
    ASSERT_TRUE(KillTimer(engine_->Hwnd(), EngineWnd::kTickTimer));
    const Ticks100ns twoHours = Ticks_FromSeconds(7200), margin = Ticks_FromSeconds(60);
    auto tick = [&] { Send(WM_TIMER, reinterpret_cast<void*>(EngineWnd::kTickTimer)); };
    auto startTimer = [&] {
        TimerItem* timer = AddTimer(7200);
        engine_->StartTimer(timer, true);
        tick();
        return timer->Hash;
    };
    auto expectKept = [&](ItemHash hash, const char* what) {
        TimerItem* timer = store_->FindTimerByHash(hash);
        ASSERT_NE(nullptr, timer) << what;
        EXPECT_TRUE(timer->IsRunning()) << what;
        EXPECT_GT(timer->time, twoHours - margin) << what;
    };
    auto restart = [&](const std::function<void()>& meanwhile) {
        engine_->Reschedule();
        App::Shutdown();
        meanwhile();
        ASSERT_TRUE(App::InitInstance(GetModuleHandleW(nullptr), L"timer_start 77"));
        engine_ = App::GetEngine();
        store_ = App::GetItemStore();
        Drain();
    };

    ItemHash timer = startTimer();
    TIME_ZONE_INFORMATION east;
    DeviceControl_MakeFixedZone(-120, &east);
    ASSERT_TRUE(DeviceClock_SetTimeZoneInformation(&east));
    tick();
    expectKept(timer, "a zone change east");

    ASSERT_TRUE(testsupport::SetClockBeforeSpringForward(1500));
    tick();  // the clock set comes off what runs: the timer that keeps its time starts after it
    timer = startTimer();
    ASSERT_TRUE(PumpUntil(15000, testsupport::SpringedForward));
    tick();
    expectKept(timer, "spring-forward, seen by the tick");
    ASSERT_TRUE(testsupport::SetClockBeforeSpringForward(1500));
    tick();
    restart([] { ASSERT_TRUE(testsupport::PollUntil(15000, testsupport::SpringedForward)); });
    expectKept(timer, "spring-forward while the program was away");
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

// "Skip next" is for the next occurrence: a snooze that comes before it rings, and the
// nearest alarm then is the occurrence after the skipped one.
TEST_F(EngineWndTest, SkipNextLeavesTheSnoozeBeforeItToRing) {
    OleDate now = Time_LocalNowAsDate(true);
    AlarmItem* alarm = AddAlarm(now - 60 * kSecond, L"snoozed, next skipped");
    alarm->SetOption1(false);
    alarm->SetOption5(false);
    alarm->flags |= AlarmItem::kFired | AlarmItem::kSkipNext;
    alarm->Snooze(&now, 0, 0, false);
    alarm->SetDismissed(false);
    Send(WM_TIMER, reinterpret_cast<void*>(EngineWnd::kTickTimer));
    Drain();
    EXPECT_NE(nullptr, RingWindowOf(alarm)) << "the snooze rang";
    EXPECT_TRUE(alarm->flags & AlarmItem::kSkipNext) << "the next occurrence is still skipped";

    engine_->Reschedule();
    SYSTEMTIME local;
    Time_DateToSystemTime(alarm->NextFireTime(Time_LocalNowAsDate(true)) + 1, local);
    FILETIME expected, published = {};
    SystemTimeToFileTime(&local, &expected);
    ASSERT_TRUE(ReadFileTime(HKEY_CURRENT_USER, kProductKey, NearestAlarmState::kTimeBinValue, &published));
    EXPECT_EQ(0, CompareFileTime(&expected, &published)) << "the one after the skipped occurrence";
}

// A chime due while a ring holds the signaller waits for its end, whatever reschedules
// meanwhile, and then strikes.
TEST_F(EngineWndTest, AChimeWaitingBehindARingStrikesWhenItEnds) {
    Signaller* signaller = App::GetSignaller();
    ChimeItem& chime = store_->Chime();
    chime.Active = 1;
    chime.DisableFromTo = 0;
    chime.ChimeType = ChimeItem::kEveryQuarter;
    ASSERT_EQ(1, signaller->StartVibration(ItemVibrationSettings(), 60, nullptr, false));
    chime.EventTime = Time_LocalNowAsDate(true) - kSecond;
    const OleDate due = chime.EventTime;
    Send(WM_TIMER, reinterpret_cast<void*>(EngineWnd::kTickTimer));
    engine_->Reschedule();
    EXPECT_EQ(due, chime.EventTime) << "the reschedule moved the waiting chime on";
    signaller->StopVibration(true);
    EXPECT_TRUE(PumpUntil(15000, [&] { return RingWindowOf(&chime) != nullptr; })) << "the chime never struck";
}

// A snooze that fell due while the device slept rings as soon as the device is woken, by
// the snooze's own wake-up or anything else: the sleep is no change of the clock for
// which a word may still come. Asleep, the device runs no tick; the first after it sees
// the whole sleep.
TEST_F(EngineWndTest, ASnoozeThatFellDueWhileTheDeviceSleptRingsOnWaking) {
    ASSERT_TRUE(KillTimer(engine_->Hwnd(), EngineWnd::kTickTimer));
    OleDate now = Time_LocalNowAsDate(true);
    AlarmItem* alarm = AddAlarm(now - 60 * kSecond, L"slept through");
    alarm->SetOption1(false);
    alarm->SetOption5(false);
    alarm->flags |= AlarmItem::kFired;
    alarm->Snooze(&now, 0, 2, false);
    alarm->SetDismissed(false);
    ASSERT_EQ(DWORD(ERROR_SUCCESS), SetSystemPowerState(nullptr, POWER_STATE_SUSPEND, POWER_FORCE));
    const OleDate snooze = alarm->snooze;
    ASSERT_TRUE(PumpUntil(15000, [&] { return Time_LocalNowAsDate(true) > snooze + kSecond; }));
    CopyDataCommand(L"AppRunAtTime").SendTo(engine_->Hwnd());
    Drain();
    EXPECT_NE(nullptr, RingWindowOf(alarm));
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
