#include "RingController.h"

#include "EngineMessage.h"
#include "EventItem.h"
#include "RingSignals.h"

void RingController::RingEnded(UINT, WPARAM wParam) {
    // Stopping the sound for the snooze chooser is no end of the ring: deciding now
    // could close the item under the chooser.
    if (ended || (snoozeGuard && wParam == 1)) return;
    RingSignals::StopVibrationWithSound(*this);
    RingSignals::AfterSound(*this);
}

void RingController::AutoAction() {
    const int type = item->GetSnoozeType();
    if (type == EventItem::kSnoozeTypeAutoClose && !IsSuppressed()) {
        EndRing();
        return;
    }
    if (type == EventItem::kSnoozeTypeAutoSnooze) AutoSnooze();
}

int RingController::Snooze(int, bool) {
    EndRing();
    return 0;
}

int RingController::Dismiss(int) {
    EndRing();
    return 1;
}

void RingController::AutoSnooze() { EndRing(); }

void RingController::Close() { EndRing(); }

void RingController::Restart() { EndRing(); }

void RingController::GotoMain() {
    Close();
    if (HWND engine = RingSignals::EngineWindow()) PostMessageW(engine, EngineMessage::kOpenMainWindow, 0, 0);
}

void RingController::Stop() { EndRing(); }

void RingController::EndRing() {
    ended = true;
    item->DetachRingUI(true, true);
}
