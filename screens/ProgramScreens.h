#pragma once
// The program's screens behind the engine's interface; the item editors are real. The
// ring windows, the main window and the main-menu popup do not exist yet, so these stand in:
// a ring is recorded under the product key (RingRecord) instead of shown, and runs
// the item's action as a starting ring would; a request
// for the main window, a page, the main menu or a delete question is recorded under
// ScreenRecord; there is no main window and every delete question is answered yes.
#include "EngineScreens.h"

class ClockWnd;
class EventItem;
class FullScreenClock;

class ProgramScreens : public EngineScreens {
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
    static void Record(const wchar_t* key, const wchar_t* valueName, DWORD value, UINT message);
    static void RunRingAction(EventItem& item);

    ::FullScreenClock* fullScreenClock_ = nullptr;
    ClockWnd* clock_ = nullptr;
};
