#pragma once
// The zone the time-zone action moves the device to, from the device's city database
// or, without one, the built-in zones, in the order the action's index counts.
#include "ActionEditorDlg.h"

class ChangeTimeZoneAction;

class TimeZoneDlg : public ActionEditorDlg {
public:
    explicit TimeZoneDlg(ChangeTimeZoneAction& action);

    LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam) override;
    // Without a selection it asks for one and stays open.
    bool OnOK(UINT id, HWND control) override;

private:
    ChangeTimeZoneAction& action_;
};
