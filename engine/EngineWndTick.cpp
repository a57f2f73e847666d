// The engine's tick: every second, the chime, the alarms, then the timers and
// stopwatches by the time that really passed.
#include "EngineWnd.h"

#include "EngineScreens.h"
#include "ItemStore.h"
#include "pm.h"

void EngineWnd::RunTick() {
    ItemStore* store = ItemStore::Current();
    int64_t elapsed = tickClock_.Step();
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
    uint64_t total = millisecondRemainder_ + static_cast<uint64_t>(elapsedMs);
    uint64_t seconds = total / 1000;
    millisecondRemainder_ = static_cast<uint32_t>(total % 1000);
    // Timers count whole seconds, stopwatches every millisecond.
    if (seconds > 0) store->CountDownTimers(Ticks_FromSeconds(static_cast<int64_t>(seconds)));
    store->CountUpStopwatches(Ticks_FromMilliseconds(elapsedMs));

    bool stopwatchRuns = false;
    for (const StopwatchItem* stopwatch : store->Stopwatches()) stopwatchRuns = stopwatchRuns || stopwatch->IsRunning();
    if (stopwatchRuns && store->GetSettings().system->StopwatchKeepDevice) SystemIdleTimerReset();
}
