#include "TimeZoneDlg.h"

#include "ChangeTimeZoneAction.h"
#include "TimeZoneList.h"
#include "resource.h"

TimeZoneDlg::TimeZoneDlg(ChangeTimeZoneAction& action)
    : ActionEditorDlg(IDD_TIME_ZONE, IDS_TIME_ZONE_CAPTION), action_(action) {}

LRESULT TimeZoneDlg::OnInitDialog(WPARAM wParam, LPARAM lParam) {
    const LRESULT result = ActionEditorDlg::OnInitDialog(wParam, lParam);
    HWND list = GetDlgItem(GetHwnd(), IDC_TIME_ZONE_LIST);
    {
        // The database is held only while the names are copied into the list.
        TimeZoneList zones;
        const int count = zones.Count();
        for (int index = 0; index < count; ++index) {
            const CITYDB_TIMEZONE* zone = zones.Zone(index);
            const wchar_t* name = zone && zone->displayName ? zone->displayName : L"";
            SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
        }
    }
    if (action_.ZoneIndex >= 0) SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(action_.ZoneIndex), 0);
    return result;
}

bool TimeZoneDlg::OnOK(UINT, HWND) {
    const LRESULT selected = SendDlgItemMessageW(GetHwnd(), IDC_TIME_ZONE_LIST, LB_GETCURSEL, 0, 0);
    if (selected < 0) {
        ShowMessage(IDS_SELECT_OR_CANCEL, MB_ICONEXCLAMATION);
        return false;
    }
    action_.ZoneIndex = static_cast<int32_t>(selected);
    return true;
}
