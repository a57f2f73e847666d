#include "TimerChooserDlg.h"

#include "EditorControls.h"
#include "ItemStore.h"
#include "resource.h"

TimerChooserDlg::TimerChooserDlg(ItemHash timerHash)
    : ActionEditorDlg(IDD_TIMER_CHOOSER, IDS_TIMER_CHOOSER_CAPTION), timerHash_(timerHash) {}

LRESULT TimerChooserDlg::OnInitDialog(WPARAM wParam, LPARAM lParam) {
    const LRESULT result = ActionEditorDlg::OnInitDialog(wParam, lParam);
    HWND combo = GetDlgItem(GetHwnd(), IDC_TIMER_CHOOSER);
    if (ItemStore* store = ItemStore::Current()) {
        // Only templates: a running copy may be gone by the time the action runs.
        for (const TimerItem* timer : store->Timers()) {
            if (!timer->IsTemplate()) continue;
            const LRESULT index =
                SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(timer->GetTitle().CStr()));
            if (index >= 0) SendMessageW(combo, CB_SETITEMDATA, static_cast<WPARAM>(index), timer->Hash);
        }
    }
    Editor_SelectByData(combo, timerHash_);
    return result;
}

bool TimerChooserDlg::OnOK(UINT, HWND) {
    HWND combo = GetDlgItem(GetHwnd(), IDC_TIMER_CHOOSER);
    if (SendMessageW(combo, CB_GETCURSEL, 0, 0) < 0) {
        ShowMessage(IDS_SELECT_OR_CANCEL, MB_ICONEXCLAMATION);
        return false;
    }
    timerHash_ = static_cast<ItemHash>(Editor_SelectedData(combo, 0));
    return true;
}
