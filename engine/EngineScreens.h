#pragma once
// What the engine asks of the application screens: the clock windows made at
// start-up, ring windows, the main window and its pages, the item editors, the
// main-menu popup and the question before a delete. The screens are built on the
// engine, so the engine reaches them only through this interface, which the
// program installs before it starts. GUI thread only.
#include "FullScreenClockControl.h"

#include <windows.h>

class AlarmItem;
class EngineWnd;
class TimerItem;

class EngineScreens {
public:
    virtual ~EngineScreens() = default;

    // The installed screens; null before the program installed them.
    static EngineScreens* Current() { return current_; }
    // The installed screens, for callers that run only once the program started.
    static EngineScreens& Get() { return *current_; }
    // Installs screens (null removes them) and returns the ones they replace.
    static EngineScreens* Install(EngineScreens* screens);

    // Start-up, after the engine window: the hidden full-screen clock, then the clock
    // face as a visible child of the engine window; false when either is missing.
    virtual bool CreateClockWindows(HWND engineWindow) = 0;
    // Shutdown, before the engine window: the full-screen clock, then the clock face;
    // safe when they never existed.
    virtual void DestroyClockWindows() = 0;
    // Null when there is none.
    virtual FullScreenClockControl* FullScreenClock() = 0;
    virtual HWND ClockWindow() const = 0;

    // The ring of an alarm that is due (1376) or whose snooze is over (1377).
    virtual void ShowAlarmRing(EngineWnd& engine, AlarmItem& alarm, UINT message) = 0;
    // The ring of an expired timer or stopwatch (1374).
    virtual void ShowTimerRing(EngineWnd& engine, TimerItem& timer) = 0;
    // Opens (or raises) the main window, on a tab when tab is not negative; false when there is none.
    virtual bool OpenMainWindow(EngineWnd& engine, int tab) = 0;
    virtual void CloseMainWindow(EngineWnd& engine) = 0;
    // The main window is up; one the user has closed no longer counts.
    virtual bool HasMainWindow() const = 0;
    // The alarms page's rows, while the main window exists: an alarm's row rewritten;
    // its row removed (before the alarm goes); a new alarm's row added and selected.
    virtual void RefreshAlarmRow(AlarmItem& alarm) { (void)alarm; }
    virtual void RemoveAlarmRow(AlarmItem& alarm) { (void)alarm; }
    virtual void AddAlarmRow(AlarmItem& alarm) { (void)alarm; }
    // The timers page's rows, while the main window exists: a timer's row rewritten
    // (added first when it has none); only its time left; its row removed (before the
    // timer goes). False when no page shows the timer.
    virtual void RefreshTimerRow(TimerItem& timer) { (void)timer; }
    virtual bool ShowTimerTimeLeft(TimerItem& timer) { (void)timer; return false; }
    virtual void RemoveTimerRow(TimerItem& timer) { (void)timer; }
    // The stopwatch page, while the main window exists: a new run from zero, a lap of
    // the running stopwatch, the display brought up to date.
    virtual bool HasStopwatchPage() const { return false; }
    virtual void ResetStopwatch() {}
    virtual void AddStopwatchLap() {}
    virtual void UpdateStopwatchDisplay() {}
    // Modal editors owned by the engine window; true when the user confirmed.
    virtual bool EditTimer(EngineWnd& engine, TimerItem& timer) = 0;
    virtual bool EditAlarm(EngineWnd& engine, AlarmItem& alarm) = 0;
    virtual void RunMainMenu(EngineWnd& engine) = 0;
    // The modal yes/no question before a delete, text: its string id; true for yes.
    virtual bool ConfirmDelete(EngineWnd& engine, UINT textId) = 0;

private:
    static EngineScreens* current_;
};
