#pragma once
// The sound profile the volume action sets (on, off, vibrate) and, for "on", the
// system and ring volumes. Works on copies, written to the action on OK.
#include "ActionEditorDlg.h"

#include <cstdint>

class ChangeVolumeAction;

class VolumeOptionsDlg : public ActionEditorDlg {
public:
    explicit VolumeOptionsDlg(ChangeVolumeAction& action);

    void OnCommand(UINT id, HWND control, UINT code) override;
    void OnHScroll(HWND bar, UINT code, UINT position) override;
    LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam) override;
    bool OnOK(UINT id, HWND control) override;

private:
    // The six volume controls count only when the profile rings aloud.
    void EnableVolumes(bool on);
    void ShowPosition(int trackbarId);

    ChangeVolumeAction& action_;
    int32_t type_;
    int32_t vol_;
    int32_t ringVol_;
};
