#pragma once
// The notification-style ring of an alarm: the knob is slid left onto its target to
// dismiss; a tap anywhere else, or a knob let go short of the target, snoozes.
#include "RingDialog.h"

class SlideKnob;

class AlarmRingNotifyDialog : public RingDialog {
public:
    explicit AlarmRingNotifyDialog(std::unique_ptr<RingController> controller);

    SlideKnob* Knob() const;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnLButtonDown(int x, int y, UINT keys) override;

protected:
    ImageSet Images() const override;
    bool OnRingCommand(UINT id, HWND control, UINT code) override;
    void SetButtonCaptions() override;
    void SetMenuBarLabels() override;
    void CreateButtons() override;
    void LayoutKind() override;
};
