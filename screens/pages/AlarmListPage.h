#pragma once
// The Alarms tab: the store's alarms in a list (name, time, sound) with Add, Cancel
// snooze and Edit, a soft-key and context menu, hot keys, and the row operations the
// engine calls when alarms change elsewhere. Every change goes through the store and
// the engine's reschedule; each row holds its alarm, which the store owns.
#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>

#include "TabPage.h"

class AlarmItem;
class PageListView;

class AlarmListPage : public TabPage {
public:
    static constexpr int kMaxColumns = 3;

    AlarmListPage();
    ~AlarmListPage() override;

    // Row operations; rows are found by their alarm.
    int FindRow(const AlarmItem* alarm) const;
    void InsertRow(AlarmItem* alarm);
    // Rewrites the row's image and texts and re-sorts; nothing for a null alarm.
    void UpdateRow(AlarmItem* alarm);
    // Deletes the row (nothing for -1) and selects its neighbour.
    void RemoveRow(int row);
    // The alarm of the row at the selection mark, or null.
    AlarmItem* SelectedAlarm() const;
    // A new alarm from elsewhere (the engine's "new_alarm"): its row inserted, filled,
    // selected, and Edit enabled.
    void ShowNewAlarm(AlarmItem* alarm);

    // The list's order (negative: first before second); the list view's sort callback.
    static int CALLBACK Compare(LPARAM first, LPARAM second, LPARAM page);
    static int CompareAlarms(const AlarmItem* first, const AlarmItem* second, int column, bool ascending);
    static bool IsActive(const AlarmItem& alarm);
    // The alarm's time of day as the list shows it.
    static std::wstring TimeText(const AlarmItem& alarm);

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam) override;
    void OnSize(UINT type, int width, int height) override;
    void OnCommand(UINT id, HWND control, UINT code) override;
    LRESULT OnNotify(WPARAM wParam, NMHDR* header) override;
    void OnDestroy() override;
    void OnHotKey(int id, UINT modifiers, UINT key) override;
    void OnPageShow() override;
    void LoadViewState(const RegKeyRef& productKey) override;
    void SaveViewState(const RegKeyRef& productKey) override;
    void FocusDefault() override;

    HWND List() const;
    int SortColumn() const { return sortColumn_; }
    bool Ascending() const { return ascending_; }

protected:
    void OpenContextMenu() override;

private:
    void Sort();
    void Select(int row);
    void EnableEdit(bool enable);
    LRESULT OnCustomDraw(NMLVCUSTOMDRAW* draw);
    void OnColumnClick(int column);
    HMENU Menu();
    void PrepareMenu(HMENU menu);
    void ShowContextMenuAt(int x, int y);
    // Commands (AlarmListCommands.cpp).
    bool RunCommand(UINT id);
    void AddAlarm();
    void EditSelected();
    void DeleteSelected();
    void CopySelected();
    void ToggleActive(AlarmItem& alarm, bool fromMenu);
    void ToggleOption(AlarmItem& alarm, UINT id);
    void CancelAllSnoozes();
    // After a modal sheet on an alarm the page does not own: the alarm, if still there.
    static AlarmItem* StillThere(int hash);

    int sortColumn_ = 0;
    bool ascending_ = true;
    std::unique_ptr<PageListView> list_;
    HIMAGELIST images_ = nullptr;
    bool firstShow_ = false;
};
