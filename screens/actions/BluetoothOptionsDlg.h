#pragma once
// Whether the Bluetooth action makes the device connectable or discoverable.
#include "ActionEditorDlg.h"

class BthOnAction;

class BluetoothOptionsDlg : public ActionEditorDlg {
public:
    explicit BluetoothOptionsDlg(BthOnAction& action);

    LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam) override;
    bool OnOK(UINT id, HWND control) override;

private:
    BthOnAction& action_;
};
