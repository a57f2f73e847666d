#pragma once
// The program's screens behind the engine's interface: the clock windows, the main
// window with its pages, the ring windows, the item editors and the delete questions.
// The main-menu popup and the options sheet do not exist yet, so these stand in: a
// request for the main menu, or the clock's "Settings...", is recorded under the product
// key (ScreenRecord, LastMessage its message or command).
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
    bool EditTimer(EngineWnd& engine, TimerItem& timer) override;
    bool EditAlarm(EngineWnd& engine, AlarmItem& alarm) override;
    void RunMainMenu(EngineWnd& engine) override;
    bool ConfirmDelete(EngineWnd& engine, UINT textId) override;

private:
    static void Record(DWORD value, UINT message);
    // The clock's "Settings..." until the options sheet exists: recorded.
    static void RecordOptions(HWND owner);

    FullScreenClockWnd* fullScreenClock_ = nullptr;
    ClockWnd* clock_ = nullptr;
};
