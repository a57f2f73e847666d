#include "AlarmRingController.h"

#include "AlarmItem.h"
#include "DateFunctions.h"
#include "EngineMessage.h"
#include "SystemSettings.h"

AlarmRingController::AlarmRingController(AlarmItem& alarm) : RingController(alarm), alarm_(alarm) {}

void AlarmRingController::AutoAction() {
    if (alarm_.GetSnoozeType() == EventItem::kSnoozeTypeAutoClose && !IsSuppressed()) {
        // Force snooze snoozes every time, and the window stays.
        if (alarm_.flags & AlarmItem::kForceSnooze) {
            Snooze(0, true);
        } else {
            Dismiss(0);
            DetachRing();
        }
    }
    RingController::AutoAction();
}

int AlarmRingController::Snooze(int seconds, bool autoFlag) {
    if (seconds == 0) seconds = DefaultSnoozeSeconds();
    if (SnoozeDismissesInstead()) return Dismiss(0);
    ended = true;
    // Switched off, or its snoozes cancelled, while it rang: no snooze brings it back.
    if (alarm_.answeredSinceFired) {
        DetachRing();
        return 1;
    }
    const OleDate now = Time_LocalNowAsDate(true);
    const int minutes = seconds < 0 ? 0 : seconds / 60;
    const int rest = seconds - 60 * (seconds / 60);
    alarm_.Snooze(&now, minutes, rest, false);
    alarm_.SetDismissed(false);
    // A "Notify once" alarm switched itself off as it rang: on until its snooze rings.
    alarm_.flags |= AlarmItem::kFired | AlarmItem::kEnabled;
    alarm_.SnoozeCount += 1;
    if (autoFlag) alarm_.flags |= AlarmItem::kAutoSnoozed;
    Reschedule();
    return 0;
}

int AlarmRingController::Dismiss(int seconds) {
    if (seconds != 0 && (alarm_.flags & AlarmItem::kForceSnooze) && !(alarm_.flags & AlarmItem::kAutoSnoozed)) {
        Snooze(seconds, false);
        alarm_.flags |= AlarmItem::kAutoSnoozed;
        return 0;
    }
    ended = true;
    alarm_.SetDismissed(true);
    alarm_.SnoozeCount = 0;
    alarm_.flags &= ~AlarmItem::kAutoSnoozed;
    const SystemSettings* system = System();
    if ((alarm_.flags & AlarmItem::kNotifyOnce) && system && system->DeleteOnceAlarms) {
        // The engine deletes it; its action does not run on this way.
        alarm_.flags |= AlarmItem::kFired;
        PostItemDelete(EngineMessage::kDeleteAlarm);
        return 1;
    }
    RunProgramAction();
    alarm_.flags |= AlarmItem::kFired;
    Reschedule();
    return 1;
}
