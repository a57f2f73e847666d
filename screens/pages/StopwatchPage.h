#pragma once
// The Stopwatch tab: the store's first stopwatch in a large digital display, the laps
// of its current run and of the run before in two lists side by side, Start/Stage,
// Pause, Stop, Clear and Save, the soft-key menu and the hot keys. The engine's tick
// (timer 234, 200 ms while running and not paused, 1000 ms otherwise) counts the
// stopwatch up and redraws the display through UpdateDisplay.
#include <windows.h>

#include <memory>

#include "PressHooks.h"
#include "TabPage.h"

class BitmapFontCtrl;
class StopwatchItem;

class StopwatchPage : public TabPage {
public:
    StopwatchPage();
    ~StopwatchPage() override;

    // A new run from zero in the list of the run.
    void Reset();
    // A lap of the running stopwatch into the current run's list.
    void AddLap();
    // Shows the elapsed time.
    void UpdateDisplay();

    LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam) override;
    void OnSize(UINT type, int width, int height) override;
    void OnCommand(UINT id, HWND control, UINT code) override;
    void OnDestroy() override;
    void OnHotKey(int id, UINT modifiers, UINT key) override;

    // The list the current run's laps go to, and the other one.
    HWND CurrentList() const;
    HWND OtherList() const;

private:
    static StopwatchItem* Stopwatch();
    // Runs the engine's tick once, after setting its interval when intervalMs is not 0.
    static void Tick(UINT intervalMs = 0);
    void StartOrStage();
    void Stop();
    void TogglePause();
    void Clear();
    void Save();
    void AddLapRow(HWND list, long long lap);
    // "Latest run" over the list that took the last lap, "Previous run" over the other.
    void UpdateLapHeadings();
    void UpdateButtons();
    HMENU Menu() override;
    void PrepareMenu(HMENU menu) override;
    void PlaceDisplay(int pageWidth, bool resize);

    bool secondListCurrent_ = false;
    UINT newestList_ = 0;  // the lap list of the last lap; 0 while both are empty
    InstantTapHook currentTap_;
    InstantTapHook otherTap_;
    std::unique_ptr<BitmapFontCtrl> display_;
    PressActionHook startHook_;
    PressOnlyHook stopHook_;
    PressActionHook pauseHook_;
    HFONT lapFont_ = nullptr;
    int displayWidth_ = 0;
};
