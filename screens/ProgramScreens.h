#pragma once
// The program's screens behind the engine's interface: the clock windows, the main
// window with its pages, the ring windows, the item editors, the main-menu popup, the
// options sheet and the delete questions.
#include "EngineScreens.h"

class ClockWnd;
class FullScreenClockWnd;

class ProgramScreens : public EngineScreens {
public:
    // Installs the process-wide screens as the engine's; the program does this before it starts.
    static void Install();

    bool CreateClockWindows(HWND engineWindow) override;
    void DestroyClockWindows() override;
    FullScreenClockControl* FullScreenClock() override;
    HWND ClockWindow() const override;

    void ShowAlarmRing(EngineWnd& engine, AlarmItem& alarm, UINT message) override;
    void ShowTimerRing(EngineWnd& engine, TimerItem& timer) override;
    bool OpenMainWindow(EngineWnd& engine, int tab) override;
    void CloseMainWindow(EngineWnd& engine) override;
    bool HasMainWindow() const override;
    void RefreshAlarmRow(AlarmItem& alarm) override;
    void RemoveAlarmRow(AlarmItem& alarm) override;
    void AddAlarmRow(AlarmItem& alarm) override;
    void RefreshTimerRow(TimerItem& timer) override;
    bool ShowTimerTimeLeft(TimerItem& timer) override;
    void RemoveTimerRow(TimerItem& timer) override;
    bool HasStopwatchPage() const override;
    void ResetStopwatch() override;
    void AddStopwatchLap() override;
    void UpdateStopwatchDisplay() override;
    bool EditTimer(EngineWnd& engine, TimerItem& timer) override;
    bool EditAlarm(EngineWnd& engine, AlarmItem& alarm) override;
    void RunMainMenu(EngineWnd& engine) override;
    bool ConfirmDelete(EngineWnd& engine, UINT textId) override;

private:
    // The screen saver page's buttons: the slide show's settings and the exceptions list.
    static bool EditSlideShow(HWND owner);
    static bool EditExceptions(HWND owner);

    FullScreenClockWnd* fullScreenClock_ = nullptr;
    ClockWnd* clock_ = nullptr;
};
