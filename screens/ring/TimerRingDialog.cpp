#include "TimerRingDialog.h"

#include "App.h"
#include "ItemStore.h"
#include "TimerItem.h"
#include "Translator.h"
#include "resource.h"

std::wstring TimerRing_NextTimerLine(const TimerItem& timer) {
    if (timer.NextTimer == 0) return std::wstring();
    std::wstring line = Translator::Instance().GetString(IDS_RING_NEXT_TIMER) + L" ";
    ItemStore* store = App::GetItemStore();
    if (const TimerItem* next = store ? store->FindTimerByHash(timer.NextTimer) : nullptr) line += next->title.CStr();
    if (timer.NextTimer == timer.Hash) line += L", \x2116 " + std::to_wstring(timer.SelfCounter);
    return line;
}

TimerRingDialog::TimerRingDialog(TimerItem& timer, std::unique_ptr<RingController> controller)
    : RingDialog(std::move(controller), IDD_TIMER_RING, IDS_RING_TIMER_CAPTION, IDM_TIMER_RING_MENUBAR),
      timer_(timer) {}

RingDialog::ImageSet TimerRingDialog::Images() const {
    return ImageSet{{IDR_RING_FIRST_BUTTON, IDR_RING_SECOND_BUTTON, IDR_RING_FIRST_BUTTON_PRESSED,
                     IDR_RING_SECOND_BUTTON_PRESSED, IDR_RING_TIMER_PICTURE},
                    IDM_RING_DISMISS,
                    IDM_RING_RESTART};
}

std::wstring TimerRingDialog::TitleText() const {
    RcString duration;
    TimerItem::FormatDuration(timer_.origTime, duration);
    return std::wstring(timer_.title.CStr()) + L", " + duration.CStr();
}

void TimerRingDialog::SetKindTexts() {
    const std::wstring line = TimerRing_NextTimerLine(timer_);
    HWND clock = GetDlgItem(GetHwnd(), IDC_RING_CLOCK);
    HWND next = GetDlgItem(GetHwnd(), IDC_RING_NEXT_TIMER);
    SetWindowTextW(next, line.c_str());
    ShowWindow(line.empty() ? next : clock, SW_HIDE);
    bubble_.Show(GetHwnd());
}

bool TimerRingDialog::OnRingCommand(UINT id, HWND, UINT code) {
    RingController& ring = Controller();
    switch (id) {
    case IDM_RING_DISMISS:
        ring.Close();
        return true;
    case IDM_RING_RESTART:
        // Sent with a notification code: restart for the set duration, without a choice.
        if (code != 0)
            ring.Restart();
        else
            AskSnooze();
        return true;
    case IDM_RING_GOTO:
        ring.GotoMain();
        return true;
    case IDM_RING_STOP:
        ring.Stop();
        return true;
    }
    return false;
}

void TimerRingDialog::SetButtonCaptions() {
    const Translator& texts = Translator::Instance();
    first_->SetCaption(texts.GetString(IDS_RING_CLOSE));
    second_->SetCaption(texts.GetString(IDS_TODAY_RESTART_TIMER));
}

void TimerRingDialog::SetMenuBarLabels() {
    if (MenuBar()) Translator::Instance().ApplyMenuBar(MenuBar(), IDM_TIMER_RING_MENUBAR);
}
