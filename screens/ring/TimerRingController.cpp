#include "TimerRingController.h"

#include "App.h"
#include "EngineMessage.h"
#include "EngineWnd.h"
#include "ItemStore.h"
#include "RingSignals.h"
#include "TimerItem.h"

TimerRingController::TimerRingController(TimerItem& timer) : RingController(timer), timer_(timer) {}

EngineWnd* TimerRingController::Engine() { return RingSignals::EngineWindow() ? App::GetEngine() : nullptr; }

bool TimerRingController::RepeatsItself() const { return timer_.NextTimer == timer_.Hash; }

void TimerRingController::AutoAction() {
    if (timer_.GetSnoozeType() == EventItem::kSnoozeTypeAutoClose && !IsSuppressed()) Close();
    RingController::AutoAction();
}

int TimerRingController::Snooze(int seconds, bool) {
    if (seconds == 0) seconds = DefaultSnoozeSeconds();
    if (SnoozeDismissesInstead()) return Dismiss(0);
    ended = true;
    timer_.SetDismissed(false);
    timer_.time = static_cast<Ticks100ns>(seconds) * kTicksPerSecond;
    timer_.flags |= TimerItem::kRunning;
    timer_.SnoozeCount += 1;
    Reschedule();
    return 0;
}

int TimerRingController::Dismiss(int) {
    Close();
    return 1;
}

void TimerRingController::Close() {
    // A late command, for a dialog that has gone or a ring already decided on (a
    // double tap): the timer must not be chained or deleted twice.
    if ((timer_.IsOption7() && !IsWindow(notifyWindow)) || ended) return;
    DetachRing();
    if (!RepeatsItself()) timer_.flags &= ~TimerItem::kRunning;
    EngineWnd* engine = Engine();
    if ((timer_.flags & TimerItem::kNoChain) && timer_.NextTimer != 0 && engine) {
        if (RepeatsItself()) {
            engine->StartTimer(&timer_, true);
        } else if (ItemStore* store = App::GetItemStore()) {
            // A template starts as a copy: the chain goes on from the copy.
            if (TimerItem* next = store->FindTimerByHash(timer_.NextTimer))
                if (TimerItem* started = engine->StartTimer(next, true)) timer_.NextTimer = started->Hash;
        }
    }
    if (!timer_.IsTemplate() && timer_.time <= 0 && !RepeatsItself()) PostItemDelete(EngineMessage::kDeleteTimer);
    RunProgramAction();
}

void TimerRingController::Restart() {
    DetachRing();
    if (EngineWnd* engine = Engine()) engine->StartTimer(&timer_, true);
}

void TimerRingController::Stop() {
    DetachRing();
    if (EngineWnd* engine = Engine()) engine->StopTimer(&timer_);
    RunProgramAction();
    if (!timer_.IsTemplate() && timer_.IsExpired()) PostItemDelete(EngineMessage::kDeleteTimer);
}
