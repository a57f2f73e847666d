#pragma once
// The program's screens behind the engine's interface: the clock windows, the main
// window with its pages, the ring windows, the item editors and the delete questions.
// The main-menu popup does not exist yet, so a request for it is recorded under the
// product key (ScreenRecord, LastMessage its message). Until the options sheet exists,
// the clock's "Settings..." opens the slide-show settings, the clock's only settings page.
#include "EngineScreens.h"

class ClockWnd;
class FullScreenClockWnd;

class ProgramScreens : public EngineScreens {
public:
    // Count: requests so far; LastMessage: the request's message or command; LastValue: 0.
    static constexpr wchar_t kScreenRecordKey[] = L"ScreenRecord";
    static constexpr wchar_t kCountValue[] = L"Count";
    static constexpr wchar_t kLastMessageValue[] = L"LastMessage";
    static constexpr wchar_t kLastValueValue[] = L"LastValue";

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
    static void Record(DWORD value, UINT message);
    // The clock's "Settings..." until the options sheet exists.
    static void OpenClockSettings(HWND owner);

    FullScreenClockWnd* fullScreenClock_ = nullptr;
    ClockWnd* clock_ = nullptr;
};
