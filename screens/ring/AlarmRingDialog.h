#pragma once
// The full-screen ring of an alarm: title, a large clock, and two image buttons,
// Dismiss and Snooze, which the soft keys repeat.
#include "RingDialog.h"

class AlarmRingDialog : public RingDialog {
public:
    explicit AlarmRingDialog(std::unique_ptr<RingController> controller);

protected:
    ImageSet Images() const override;
    bool OnRingCommand(UINT id, HWND control, UINT code) override;
    void SetButtonCaptions() override;
    void SetMenuBarLabels() override;
    void SetKindTexts() override;
};

// The first soft key's and button's label: Snooze while a force-snooze is pending.
UINT AlarmRing_DismissLabel(const EventItem& item);
// Both alarm dialogs label their soft keys alike.
void AlarmRing_SetMenuBarLabels(HWND bar, const EventItem& item);
