#pragma once
// The SIM PIN the flight-mode-off action enters when the SIM asks for it.
#include "ActionEditorDlg.h"

class DisableFlightModeAction;

class PinDlg : public ActionEditorDlg {
public:
    explicit PinDlg(DisableFlightModeAction& action);

    LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam) override;
    // Takes the text as typed: the SIM judges it.
    bool OnOK(UINT id, HWND control) override;

private:
    DisableFlightModeAction& action_;
};
