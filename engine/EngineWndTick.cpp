// The engine's tick: every second, the chime, the alarms, then the timers and
// stopwatches by the time that really passed. Between two ticks the same work runs
// once more at the instant something falls due, so a ring starts on its second
// whatever the phase of the tick.
#include "EngineWnd.h"

#include "DeviceClock.h"
#include "DueMoments.h"
#include "EngineScreens.h"
#include "ItemStore.h"
#include "pm.h"

void EngineWnd::RunTick() {
    ItemStore* store = ItemStore::Current();
    int64_t elapsed = tickClock_.Step(!DeviceNotOn());
    if (!store) return;
    OleDate now = tickClock_.LastDate();
    store->Chime().Tick(now);
    // By index: a check may post, but never adds or removes an alarm. A snooze that
    // only a jump of the clock made due waits for the word that re-aims it.
    for (size_t i = 0; i < store->Alarms().size(); ++i) {
        AlarmItem* alarm = store->Alarms()[i];
        if (alarm->IsSnoozed() && tickClock_.JumpedOver(alarm->snooze)) continue;
        alarm->CheckFire(now);
    }
    CountDown(elapsed > 0 ? elapsed : 0);
    ShowCountdowns(*store);
    ArmDueTimer();
}

int64_t EngineWnd::MsSinceTick() const {
    return static_cast<DWORD>(DeviceClock_GetTickCount() - tickClock_.LastTickCount());
}

void EngineWnd::ArmDueTimer() {
    ItemStore* store = ItemStore::Current();
    if (!store || !Hwnd()) return;
    const int64_t sinceTick = MsSinceTick();
    store->StartCountingStarted(sinceTick);
    const int64_t due = DueMoments::MsToNextFiring(*store, Time_LocalNowAsDate(true), tickClock_.LastDate(), sinceTick);
    if (due > 0 && due < kTickIntervalMs)
        SetTimer(Hwnd(), kDueTimer, static_cast<UINT>(due), nullptr);
    else
        KillTimer(Hwnd(), kDueTimer);
}

// The timers page follows the running timers, each keeping the device awake unless it
// says otherwise; the stopwatch page shows its count.
void EngineWnd::ShowCountdowns(ItemStore& store) {
    EngineScreens* screens = EngineScreens::Current();
    if (!screens) return;
    for (size_t i = 0; i < store.Timers().size(); ++i) {
        TimerItem* timer = store.Timers()[i];
        if (!timer->IsRunning() || timer->IsTemplate() || timer->IsNew()) continue;
        if (screens->ShowTimerTimeLeft(*timer) && !(timer->flags & TimerItem::kNoIdleReset)) SystemIdleTimerReset();
    }
    screens->UpdateStopwatchDisplay();
}

void EngineWnd::CountDown(int64_t elapsedMs) {
    ItemStore* store = ItemStore::Current();
    if (!store) return;
    // Timers count whole seconds, each from its own start; stopwatches every millisecond.
    store->CountDownTimers(elapsedMs);
    store->CountUpStopwatches(Ticks_FromMilliseconds(elapsedMs));

    bool stopwatchRuns = false;
    for (const StopwatchItem* stopwatch : store->Stopwatches()) stopwatchRuns = stopwatchRuns || stopwatch->IsRunning();
    if (stopwatchRuns && store->GetSettings().system->StopwatchKeepDevice) SystemIdleTimerReset();
}
