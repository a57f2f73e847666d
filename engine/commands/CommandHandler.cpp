#include "CommandHandler.h"

#include "App.h"
#include "CopyDataCommand.h"
#include "EngineMessage.h"
#include "EngineScreens.h"
#include "EngineWnd.h"
#include "ItemStore.h"
#include "ScreenSaverStart.h"

using CommandWord::Command;

CommandHandler::DeleteQuestion CommandHandler::deleteQuestion_ = nullptr;

namespace {

// One lock around the whole command handler for the life of the process; it is
// re-entrant, so a command sent from inside a modal loop of the handler still runs.
CriticalSection& CommandLock() {
    static CriticalSection lock;
    return lock;
}

}  // namespace

void CommandHandler::Handle(EngineWnd& engine, const COPYDATASTRUCT* record) {
    std::wstring text;
    if (CopyDataCommand::TextOf(record, text)) Run(engine, text);
}

void CommandHandler::SetDeleteQuestion(DeleteQuestion question) { deleteQuestion_ = question; }

void CommandHandler::Run(EngineWnd& engine, const std::wstring& text) {
    CriticalSectionScope hold(CommandLock());
    ItemStore* store = ItemStore::Current();
    if (!store) return;
    RunParsed(engine, *store, CommandWord::Parse(text));
}

void CommandHandler::RunParsed(EngineWnd& engine, ItemStore& store, const CommandWord::Parsed& parsed) {
    const ItemHash hash = static_cast<ItemHash>(parsed.id);
    switch (parsed.command) {
    case Command::RunAtTime:
        engine.OnRunAtTime();
        return;
    case Command::DeviceChange:
        OnDeviceChange(engine);
        return;
    case Command::TimeZoneChanged:
    case Command::TimeChanged:
        engine.OnClockOrZoneChanged();
        return;
    case Command::ScreenSaver:
        ScreenSaverStart::TryShow(App::GetFullScreenClock(), store);
        return;
    case Command::Install:
        OnInstall(engine);
        return;
    case Command::Uninstall:
        OnUninstall(engine);
        return;
    case Command::StartFull:
    case Command::OpenMainWindow:
        OpenMainWindow(engine);
        return;
    case Command::MainMenu:
        Post(engine, EngineMessage::kMainMenu);
        return;
    case Command::StartSlideShow:
        OnStartSlideShow();
        return;
    case Command::Alarms:
        ShowPage(engine, EngineMessage::kShowAlarms);
        return;
    case Command::Timers:
        ShowPage(engine, EngineMessage::kShowTimers);
        return;
    case Command::StartStopwatch:
        OnStartStopwatch(engine, store);
        return;
    case Command::NewTimer:
        Post(engine, EngineMessage::kNewTimer);
        return;
    case Command::NewAlarm:
        Post(engine, EngineMessage::kNewAlarm);
        return;
    case Command::CancelSnooze:
        OnCancelSnooze(engine, store);
        return;
    case Command::TimerDelete:
        OnDeleteTimer(engine, store, hash);
        return;
    case Command::AlarmDelete:
        OnDeleteAlarm(engine, store, hash);
        return;
    case Command::TimerEdit:
        Post(engine, EngineMessage::kEditTimer, parsed.id);
        return;
    case Command::AlarmEdit:
        Post(engine, EngineMessage::kEditAlarm, parsed.id);
        return;
    case Command::AlarmActive:
    case Command::AlarmSound:
    case Command::AlarmSkip:
    case Command::AlarmVibrate:
        // An id that names no alarm does nothing.
        if (AlarmItem* alarm = store.FindAlarmByHash(hash)) OnAlarmWord(engine, store, parsed.command, *alarm);
        return;
    case Command::TimerStart:
    case Command::TimerStop:
    case Command::TimerRestart:
    case Command::TimerSound:
    case Command::TimerVibrate:
        if (TimerItem* timer = store.FindTimerByHash(hash)) OnTimerWord(engine, store, parsed.command, *timer);
        return;
    }
}

bool CommandHandler::AskDelete(EngineWnd& engine, UINT textId) {
    // The idle check and the return to sleep wait while the question is open.
    ++engine.busyCount_;
    bool yes = deleteQuestion_ ? deleteQuestion_(engine, textId) : EngineScreens::Get().ConfirmDelete(engine, textId);
    --engine.busyCount_;
    return yes;
}
