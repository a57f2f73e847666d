#pragma once
// What the engine asks of the application screens: ring windows, the main window
// and its pages, the item editors and the main-menu popup. Until the screens exist
// these stand in: a ring is recorded under the product key (RingRecord) instead of
// shown; a request for the main window, a page, an editor, the main menu or a delete
// question is recorded under ScreenRecord; there is no main window, every editor
// ends as cancelled and every delete question is answered yes.
#include <windows.h>

class AlarmItem;
class EngineWnd;
class TimerItem;

class EngineScreens {
public:
    static constexpr wchar_t kRingRecordKey[] = L"RingRecord";
    static constexpr wchar_t kRingCountValue[] = L"Count";
    static constexpr wchar_t kLastHashValue[] = L"LastHash";
    static constexpr wchar_t kLastMessageValue[] = L"LastMessage";
    // Count and LastMessage as above; LastValue: the tab (-1 none), the item's Hash or the question's text id.
    static constexpr wchar_t kScreenRecordKey[] = L"ScreenRecord";
    static constexpr wchar_t kLastValueValue[] = L"LastValue";
    // What ScreenRecord notes as LastMessage for a delete question.
    static constexpr UINT kDeleteQuestion = 0;

    // The ring of an alarm that is due (1376) or whose snooze is over (1377).
    static void ShowAlarmRing(EngineWnd& engine, AlarmItem& alarm, UINT message);
    // The ring of an expired timer or stopwatch (1374).
    static void ShowTimerRing(EngineWnd& engine, TimerItem& timer);
    // Opens (or raises) the main window, on a tab when tab is not negative; false when there is none.
    static bool OpenMainWindow(EngineWnd& engine, int tab);
    static void CloseMainWindow(EngineWnd& engine);
    // Modal editors owned by the engine window; true when the user confirmed.
    static bool EditTimer(EngineWnd& engine, TimerItem& timer);
    static bool EditAlarm(EngineWnd& engine, AlarmItem& alarm);
    static void RunMainMenu(EngineWnd& engine);
    // The modal yes/no question before a delete, text: its string id; true for yes.
    static bool ConfirmDelete(EngineWnd& engine, UINT textId);

private:
    static void Record(const wchar_t* key, const wchar_t* valueName, DWORD value, UINT message);
};
