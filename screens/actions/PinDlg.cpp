#include "PinDlg.h"

#include "DisableFlightModeAction.h"
#include "resource.h"

PinDlg::PinDlg(DisableFlightModeAction& action) : ActionEditorDlg(IDD_PIN, IDS_PIN_CAPTION), action_(action) {}

LRESULT PinDlg::OnInitDialog(WPARAM wParam, LPARAM lParam) {
    const LRESULT result = ActionEditorDlg::OnInitDialog(wParam, lParam);
    if (action_.code.Length() > 0) SetDlgItemTextW(GetHwnd(), IDC_PIN_CODE, action_.code.CStr());
    return result;
}

bool PinDlg::OnOK(UINT, HWND) {
    action_.code = ControlText(IDC_PIN_CODE);
    return true;
}
