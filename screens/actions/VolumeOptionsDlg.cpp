#include "VolumeOptionsDlg.h"

#include <commctrl.h>

#include <string>

#include "ChangeVolumeAction.h"
#include "EditorControls.h"
#include "resource.h"

namespace {

constexpr int kMaxVolume = 100;

struct TrackbarLabel {
    int trackbar;
    int label;
};
constexpr TrackbarLabel kTrackbars[] = {{IDC_VOLUME_SYSTEM, IDC_VOLUME_SYSTEM_VALUE},
                                        {IDC_VOLUME_RING, IDC_VOLUME_RING_VALUE}};

int Position(HWND dialog, int trackbarId) {
    return static_cast<int>(SendDlgItemMessageW(dialog, trackbarId, TBM_GETPOS, 0, 0));
}

}  // namespace

VolumeOptionsDlg::VolumeOptionsDlg(ChangeVolumeAction& action)
    : ActionEditorDlg(IDD_VOLUME_OPTIONS, IDS_ACTION_CHANGE_VOLUME),
      action_(action),
      type_(action.Type),
      vol_(action.Vol),
      ringVol_(action.RingVol) {}

LRESULT VolumeOptionsDlg::OnInitDialog(WPARAM wParam, LPARAM lParam) {
    const LRESULT result = ActionEditorDlg::OnInitDialog(wParam, lParam);
    HWND dialog = GetHwnd();
    const int radio = type_ == ChangeVolumeAction::kTypeVibrate ? IDC_VOLUME_VIBRATE
                      : type_ == ChangeVolumeAction::kTypeOff   ? IDC_VOLUME_OFF
                                                                : IDC_VOLUME_ON;
    Editor_Check(dialog, radio, true);
    EnableVolumes(type_ == ChangeVolumeAction::kTypeOn);
    const int32_t positions[] = {vol_, ringVol_};
    for (size_t index = 0; index < 2; ++index) {
        HWND bar = GetDlgItem(dialog, kTrackbars[index].trackbar);
        SendMessageW(bar, TBM_SETRANGE, TRUE, MAKELPARAM(0, kMaxVolume));
        SendMessageW(bar, TBM_SETPOS, TRUE, positions[index]);
        ShowPosition(kTrackbars[index].trackbar);
    }
    return result;
}

void VolumeOptionsDlg::EnableVolumes(bool on) {
    for (int id = IDC_VOLUME_SYSTEM_LABEL; id <= IDC_VOLUME_RING_LABEL; ++id) Editor_Enable(GetHwnd(), id, on);
}

void VolumeOptionsDlg::ShowPosition(int trackbarId) {
    for (const TrackbarLabel& pair : kTrackbars) {
        if (pair.trackbar != trackbarId) continue;
        const std::wstring text = std::to_wstring(Position(GetHwnd(), trackbarId)) + L"%";
        SetDlgItemTextW(GetHwnd(), pair.label, text.c_str());
    }
}

void VolumeOptionsDlg::OnHScroll(HWND bar, UINT code, UINT position) {
    // Line and page steps and the dragged thumb; the end of a move changes nothing.
    if (code <= TB_PAGEDOWN || code == TB_THUMBTRACK) ShowPosition(GetDlgCtrlID(bar));
    else ActionEditorDlg::OnHScroll(bar, code, position);
}

void VolumeOptionsDlg::OnCommand(UINT id, HWND control, UINT code) {
    if (code == BN_CLICKED) EnableVolumes(id != IDC_VOLUME_OFF && id != IDC_VOLUME_VIBRATE);
    ActionEditorDlg::OnCommand(id, control, code);
}

bool VolumeOptionsDlg::OnOK(UINT, HWND) {
    HWND dialog = GetHwnd();
    if (Editor_IsChecked(dialog, IDC_VOLUME_ON)) type_ = ChangeVolumeAction::kTypeOn;
    else if (Editor_IsChecked(dialog, IDC_VOLUME_VIBRATE)) type_ = ChangeVolumeAction::kTypeVibrate;
    else if (Editor_IsChecked(dialog, IDC_VOLUME_OFF)) type_ = ChangeVolumeAction::kTypeOff;
    vol_ = Position(dialog, IDC_VOLUME_SYSTEM);
    ringVol_ = Position(dialog, IDC_VOLUME_RING);
    action_.Type = type_;
    action_.Vol = vol_;
    action_.RingVol = ringVol_;
    return true;
}
