#pragma once
// The Timers tab: the store's countdown timers in a list (name, time left, state, sound)
// with Start, Stop, Reset, Add, Delete and Edit, a soft-key and context menu, hot keys,
// and the row operations the engine calls when timers change elsewhere. Starting a
// template starts a running copy of it; the template itself never runs.
#include <windows.h>

#include <string>

#include "DateFunctions.h"
#include "ItemHash.h"
#include "ItemListPage.h"

class TimerItem;

class TimerListPage : public ItemListPage {
public:
    static constexpr int kMaxColumns = 4;

    TimerListPage();
    ~TimerListPage() override;

    // Row operations; rows are found by their timer.
    int FindRow(const TimerItem* timer) const;
    void InsertRow(TimerItem* timer);
    // Rewrites the row, re-sorts and selects it; a running template becomes a running
    // copy in a row of its own. Nothing for a null timer or one without a row.
    void UpdateRow(TimerItem* timer);
    // Deletes the timer's row, if any, and selects its neighbour.
    void RemoveRow(const TimerItem* timer);
    // Only the time left, as the countdown goes; false when the timer has no row.
    bool ShowTimeLeft(const TimerItem& timer);
    TimerItem* SelectedTimer() const;

    // "%02u:%02u:%02u", the hours counting the days in; negative shows as zero.
    static std::wstring FormatHMS(Ticks100ns interval);
    static int CompareTimers(const TimerItem* first, const TimerItem* second, int column, bool ascending);

    LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam) override;
    void OnSize(UINT type, int width, int height) override;
    void OnCommand(UINT id, HWND control, UINT code) override;
    LRESULT OnNotify(WPARAM wParam, NMHDR* header) override;
    void OnHotKey(int id, UINT modifiers, UINT key) override;
    void LoadViewState(const RegKeyRef& productKey) override;

protected:
    int CompareRows(LPARAM first, LPARAM second) const override;
    HMENU Menu() override;
    void PrepareMenu(HMENU menu) override;

private:
    void UpdateButtons();
    void SelectTimer(const TimerItem* timer);
    // Commands (TimerListCommands.cpp).
    bool RunCommand(UINT id);
    void AddTimer();
    void EditSelected();
    void DeleteSelected();
    void ResetSelected();
    void CopySelected();
    void SetRunning(TimerItem* timer, bool on);
    void ToggleOption(TimerItem& timer, UINT id);
    // After a modal dialog the page does not own: the timer, if still there.
    static TimerItem* StillThere(ItemHash hash);
};
