#pragma once
// The program's screens behind the engine's interface: the clock windows, the ring
// windows and the item editors. The main window and the main-menu popup do not exist
// yet, so these stand in: a request for the main window, a page, the main menu or a
// delete question is recorded under the product key (ScreenRecord), as is the clock's
// "Settings..." (LastMessage its command); there is no main window and every delete
// question is answered yes.
#include "EngineScreens.h"

class ClockWnd;
class FullScreenClockWnd;

class ProgramScreens : public EngineScreens {
public:
    // Count: requests so far; LastMessage: the request's message; LastValue: the tab
    // (-1 none), the item's Hash or the question's text id.
    static constexpr wchar_t kScreenRecordKey[] = L"ScreenRecord";
    static constexpr wchar_t kCountValue[] = L"Count";
    static constexpr wchar_t kLastMessageValue[] = L"LastMessage";
    static constexpr wchar_t kLastValueValue[] = L"LastValue";
    // What ScreenRecord notes as LastMessage for a delete question.
    static constexpr UINT kDeleteQuestion = 0;

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
    bool HasMainWindow() const override { return false; }
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
