#include "AlarmRingDialog.h"

#include "EventItem.h"
#include "MenuBarButtons.h"
#include "Translator.h"
#include "resource.h"

UINT AlarmRing_DismissLabel(const EventItem& item) {
    return Ring_ForceSnoozePending(item) ? IDS_RING_SNOOZE : IDS_RING_DISMISS;
}

void AlarmRing_SetMenuBarLabels(HWND bar, const EventItem& item) {
    if (!bar) return;
    const Translator& texts = Translator::Instance();
    Toolbar_SetButtonInfo(bar, texts.GetString(AlarmRing_DismissLabel(item)).c_str(), 0);
    Toolbar_SetButtonInfo(bar, texts.GetString(IDS_RING_SNOOZE).c_str(), 1);
}

AlarmRingDialog::AlarmRingDialog(std::unique_ptr<RingController> controller)
    : RingDialog(std::move(controller), IDD_ALARM_RING, IDS_RING_ALARM_CAPTION, IDM_ALARM_RING_MENUBAR) {}

RingDialog::ImageSet AlarmRingDialog::Images() const {
    return ImageSet{{IDR_RING_FIRST_BUTTON, IDR_RING_SECOND_BUTTON, IDR_RING_FIRST_BUTTON_PRESSED,
                     IDR_RING_SECOND_BUTTON_PRESSED, IDR_RING_ALARM_PICTURE},
                    IDM_RING_DISMISS,
                    IDM_RING_SNOOZE};
}

void AlarmRingDialog::SetKindTexts() { ShowWindow(GetDlgItem(GetHwnd(), IDC_RING_SLIDE_LABEL), SW_HIDE); }

bool AlarmRingDialog::OnRingCommand(UINT id, HWND, UINT) {
    switch (id) {
    case IDM_RING_DISMISS:
        DismissAlarm();
        return true;
    case IDM_RING_SNOOZE:
        AskSnooze();
        return true;
    }
    return false;
}

void AlarmRingDialog::SetButtonCaptions() {
    const Translator& texts = Translator::Instance();
    first_->SetCaption(texts.GetString(AlarmRing_DismissLabel(RingItem())));
    second_->SetCaption(texts.GetString(IDS_RING_SNOOZE));
}

void AlarmRingDialog::SetMenuBarLabels() { AlarmRing_SetMenuBarLabels(MenuBar(), RingItem()); }
