#include "BluetoothOptionsDlg.h"

#include "BthOnAction.h"
#include "EditorControls.h"
#include "resource.h"

BluetoothOptionsDlg::BluetoothOptionsDlg(BthOnAction& action)
    : ActionEditorDlg(IDD_BLUETOOTH_OPTIONS, IDS_BLUETOOTH_OPTIONS_CAPTION), action_(action) {}

LRESULT BluetoothOptionsDlg::OnInitDialog(WPARAM wParam, LPARAM lParam) {
    const LRESULT result = ActionEditorDlg::OnInitDialog(wParam, lParam);
    Editor_Check(GetHwnd(), action_.Discoverable ? IDC_BLUETOOTH_DISCOVERABLE : IDC_BLUETOOTH_CONNECTABLE, true);
    return result;
}

bool BluetoothOptionsDlg::OnOK(UINT, HWND) {
    action_.Discoverable = Editor_IsChecked(GetHwnd(), IDC_BLUETOOTH_DISCOVERABLE) ? 1 : 0;
    return true;
}
