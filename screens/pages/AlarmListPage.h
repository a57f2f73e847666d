#pragma once
// The Alarms tab: the store's alarms in a list (name, time, sound) with Add, Cancel
// snooze and Edit, a soft-key and context menu, hot keys, and the row operations the
// engine calls when alarms change elsewhere. Every change goes through the store and
// the engine's reschedule; each row holds its alarm, which the store owns.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "ItemListPage.h"

class AlarmItem;

class AlarmListPage : public ItemListPage {
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

    // The list's order (negative: first before second).
    static int CompareAlarms(const AlarmItem* first, const AlarmItem* second, int column, bool ascending);
    static bool IsActive(const AlarmItem& alarm);
    // The alarm's time of day as the list shows it.
    static std::wstring TimeText(const AlarmItem& alarm);

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
    void Select(int row);
    void EnableEdit(bool enable);
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
};
