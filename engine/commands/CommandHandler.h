#pragma once
// Runs every command that reaches the engine window: from the first instance's
// own command line, a second instance, the Today item and the launcher. One
// re-entrant lock surrounds the whole handler, so a command sent while a delete
// question is open runs inside the question's modal loop. GUI thread only.
#include "CommandWord.h"
#include "ItemHash.h"

#include <windows.h>
#include <string>

class AlarmItem;
class EngineWnd;
class ItemStore;
class TimerItem;

class CommandHandler {
public:
    static constexpr UINT kDeleteTimerTextId = 30018;
    static constexpr UINT kDeleteAlarmTextId = 30017;
    // The driver's device-change event, whose notifications "AppRunDeviceChange /ADD" clears.
    static constexpr DWORD kDeviceChangeEvent = 7;

    // The yes/no question before a delete; true for yes. It may run a modal loop.
    using DeleteQuestion = bool (*)(EngineWnd& engine, UINT textId);

    // A WM_COPYDATA record; records that are no valid command are ignored.
    static void Handle(EngineWnd& engine, const COPYDATASTRUCT* record);
    // One command text.
    static void Run(EngineWnd& engine, const std::wstring& text);
    // Replaces the delete question (null: the screens' own); for tests.
    static void SetDeleteQuestion(DeleteQuestion question);

private:
    static void RunParsed(EngineWnd& engine, ItemStore& store, const CommandWord::Parsed& parsed);

    // System words (SystemCommands.cpp).
    static void OnDeviceChange(EngineWnd& engine);
    static void OnInstall(EngineWnd& engine);
    static void OnUninstall(EngineWnd& engine);
    static void OnStartSlideShow();

    // Page words (PageCommands.cpp).
    static void OpenMainWindow(EngineWnd& engine);
    static void ShowPage(EngineWnd& engine, UINT pageMessage);
    static void OnStartStopwatch(EngineWnd& engine, ItemStore& store);
    static void Post(EngineWnd& engine, UINT message, WPARAM wParam = 0);

    // Item words (AlarmCommands.cpp, TimerCommands.cpp).
    static void OnCancelSnooze(EngineWnd& engine, ItemStore& store);
    static void OnAlarmWord(EngineWnd& engine, ItemStore& store, CommandWord::Command command, AlarmItem& alarm);
    static void OnTimerWord(EngineWnd& engine, ItemStore& store, CommandWord::Command command, TimerItem& timer);
    static void OnDeleteAlarm(EngineWnd& engine, ItemStore& store, ItemHash hash);
    static void OnDeleteTimer(EngineWnd& engine, ItemStore& store, ItemHash hash);
    // Asks the delete question with the engine counted busy.
    static bool AskDelete(EngineWnd& engine, UINT textId);

    static DeleteQuestion deleteQuestion_;
};
