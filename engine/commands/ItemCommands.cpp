// The words that name an alarm or a timer by its Hash, and "cancel_snooze".
#include "CommandHandler.h"

#include "EngineScreens.h"
#include "EngineWnd.h"
#include "ItemStore.h"

using CommandWord::Command;

namespace {
// The alarms page shows the alarm's new state while the main window exists.
void RefreshRow(AlarmItem& alarm) {
    if (EngineScreens* screens = EngineScreens::Current()) screens->RefreshAlarmRow(alarm);
}
// And the timers page the timer's.
void RefreshRow(TimerItem& timer) {
    if (EngineScreens* screens = EngineScreens::Current()) screens->RefreshTimerRow(timer);
}
}  // namespace

void CommandHandler::OnCancelSnooze(EngineWnd& engine, ItemStore& store) {
    for (AlarmItem* alarm : store.Alarms()) alarm->CancelSnooze(false);
    engine.Reschedule();
    for (AlarmItem* alarm : store.Alarms()) RefreshRow(*alarm);
}

void CommandHandler::OnAlarmWord(EngineWnd& engine, ItemStore& store, Command command, AlarmItem& alarm) {
    switch (command) {
    case Command::AlarmActive:
        // A repeating alarm switched off is recomputed when it comes back; a one-time
        // alarm stays on.
        if ((alarm.flags & AlarmItem::kEnabled) && (alarm.flags & AlarmItem::kDaysMask)) {
            alarm.SwitchOff();
        } else {
            alarm.flags |= AlarmItem::kEnabled;
        }
        engine.Reschedule();
        RefreshRow(alarm);
        return;
    case Command::AlarmSound:
        alarm.SetOption1(!alarm.IsOption1());
        store.Save(false);
        RefreshRow(alarm);
        return;
    case Command::AlarmSkip:
        alarm.flags ^= AlarmItem::kSkipNext;
        engine.Reschedule();
        return;
    case Command::AlarmVibrate:
        alarm.SetOption5(!alarm.IsOption5());
        store.Save(false);
        RefreshRow(alarm);
        return;
    default:
        return;
    }
}

void CommandHandler::OnTimerWord(EngineWnd& engine, ItemStore& store, Command command, TimerItem& timer) {
    switch (command) {
    case Command::TimerStart:
    case Command::TimerRestart:
        engine.StartTimer(&timer, command == Command::TimerRestart);
        return;
    case Command::TimerStop:
        engine.StopTimer(&timer);
        return;
    case Command::TimerSound:
        timer.SetOption1(!timer.IsOption1());
        store.Save(false);
        RefreshRow(timer);
        return;
    case Command::TimerVibrate:
        timer.SetOption5(!timer.IsOption5());
        store.Save(false);
        RefreshRow(timer);
        return;
    default:
        return;
    }
}

// Commands and rings handled inside the question's modal loop may delete the item:
// only its Hash is kept across the question, and it is looked up again after.
void CommandHandler::OnDeleteAlarm(EngineWnd& engine, ItemStore& store, ItemHash hash) {
    if (!store.FindAlarmByHash(hash) || !AskDelete(engine, kDeleteAlarmTextId)) return;
    AlarmItem* alarm = store.FindAlarmByHash(hash);
    if (!alarm) return;
    // The row goes first: it holds the alarm.
    if (EngineScreens* screens = EngineScreens::Current()) screens->RemoveAlarmRow(*alarm);
    store.RemoveAlarm(alarm);
    engine.Reschedule();
}

void CommandHandler::OnDeleteTimer(EngineWnd& engine, ItemStore& store, ItemHash hash) {
    if (!store.FindTimerByHash(hash) || !AskDelete(engine, kDeleteTimerTextId)) return;
    TimerItem* timer = store.FindTimerByHash(hash);
    if (!timer) return;
    if (EngineScreens* screens = EngineScreens::Current()) screens->RemoveTimerRow(*timer);
    store.RemoveTimer(timer);
    engine.Reschedule();
}
