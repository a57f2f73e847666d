#pragma once
// "Edit snooze time" (dialog 397): the snooze lengths the snooze chooser offers. A line
// is changed in place with the picker and "Set"; OK stores the list sorted, Cancel
// leaves it. The number of lengths never changes.
#include <vector>

#include "DialogBase.h"

class SystemSettings;

class SnoozeTimeDlg : public DialogBase {
public:
    // Sent to itself after initialisation: the texts are translated then.
    static constexpr UINT kTranslateMessage = 6126;

    explicit SnoozeTimeDlg(SystemSettings& settings);

    // Runs the dialog modally; IDOK, IDCANCEL, or -1 when it could not open.
    INT_PTR Run(HWND owner);

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam) override;
    void OnCommand(UINT id, HWND control, UINT code) override;
    bool OnOK(UINT id, HWND control) override;

    const std::vector<int>& Lengths() const { return lengths_; }

private:
    void SetSelectedLine();

    SystemSettings& settings_;
    std::vector<int> lengths_;
};

// Runs the dialog over owner; an object that cannot be made leaves ERROR_OUTOFMEMORY.
void SnoozeTimeDlg_Run(HWND owner, SystemSettings& settings);
