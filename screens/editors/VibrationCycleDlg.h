#pragma once
// The advanced vibration settings: the vibrator's on and off times, with a Test button
// that runs the cycle for ten seconds.
#include "FramedDialog.h"
#include "ItemVibrationSettings.h"

class VibrationCycleDlg : public FramedDialog {
public:
    static constexpr int kCycleMin = 100, kCycleMax = 2000;
    static constexpr int kTestSeconds = 10;
    static constexpr int kHelpTopic = 23;

    // Edits record (the caller's copy) in place on OK.
    explicit VibrationCycleDlg(ItemVibrationSettings* record);

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnDestroy() override;
    void OnCommand(UINT id, HWND control, UINT code) override;
    LRESULT OnHelp(HELPINFO* info, WPARAM wParam) override;
    LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam) override;
    bool OnOK(UINT id, HWND control) override;

    bool Validate(int id);

private:
    void OnTest();
    void StopTestOfThisDialog();

    bool validating_ = true;
    ItemVibrationSettings* record_;
};
