#include "AlarmRingNotifyDialog.h"

#include "AlarmRingDialog.h"
#include "Dpi.h"
#include "SlideKnob.h"
#include "Translator.h"
#include "resource.h"

namespace {
constexpr int kTrackMargin = 4;  // at 96 DPI, around the target and the knob
}

AlarmRingNotifyDialog::AlarmRingNotifyDialog(std::unique_ptr<RingController> controller)
    : RingDialog(std::move(controller), IDD_ALARM_RING, IDS_RING_ALARM_CAPTION, IDM_ALARM_RING_MENUBAR) {}

SlideKnob* AlarmRingNotifyDialog::Knob() const { return static_cast<SlideKnob*>(second_.get()); }

RingDialog::ImageSet AlarmRingNotifyDialog::Images() const {
    return ImageSet{{IDR_RING_TARGET, IDR_RING_KNOB, 0, 0, IDR_RING_ALARM_PICTURE}, 0, 0};
}

void AlarmRingNotifyDialog::CreateButtons() {
    first_.reset(new ImageButton());
    SlideKnob* knob = new SlideKnob();
    second_.reset(knob);
    picture_.reset(new ImageButton());
    first_->Create(GetHwnd(), 0);
    picture_->Create(GetHwnd(), 0);
    knob->Create(GetHwnd(), 0);
    LoadButtonImages(*first_, *knob);
    picture_->SetImages(LoadImage(IDR_RING_ALARM_PICTURE, 4), nullptr, nullptr, nullptr);
    knob->Prepare(LoadImage(IDR_RING_KNOB_OVER_TARGET, 4));
    for (ImageButton* button : {first_.get(), second_.get(), picture_.get()}) button->SetBackground(this);
}

void AlarmRingNotifyDialog::LayoutKind() {
    RECT rect;
    GetWindowRect(first_->Hwnd(), &rect);
    MapWindowPoints(HWND_DESKTOP, GetHwnd(), reinterpret_cast<POINT*>(&rect), 2);
    Knob()->SetTarget(rect);
    // One groove under the target and the knob: a slider, not two buttons.
    RECT knob;
    GetWindowRect(Knob()->Hwnd(), &knob);
    MapWindowPoints(HWND_DESKTOP, GetHwnd(), reinterpret_cast<POINT*>(&knob), 2);
    UnionRect(&track_, &rect, &knob);
    InflateRect(&track_, Dpi_ScaleX(kTrackMargin), Dpi_ScaleY(kTrackMargin));
    SetWindowPos(GetDlgItem(GetHwnd(), IDC_RING_SLIDE_LABEL), nullptr, rect.left + Dpi_ScaleX(3),
                 rect.top - Dpi_ScaleY(15), 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT AlarmRingNotifyDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    // The knob let go short of its target, or merely tapped.
    if (message == SlideKnob::kKnobReturnedMessage) {
        AskSnooze();
        return 0;
    }
    return RingDialog::WindowProc(message, wParam, lParam);
}

void AlarmRingNotifyDialog::OnLButtonDown(int, int, UINT) { AskSnooze(); }

bool AlarmRingNotifyDialog::OnRingCommand(UINT id, HWND control, UINT) {
    if (id == IDM_RING_DISMISS) {
        DismissAlarm();
        return true;
    }
    // The soft key, or a tap on the target or the picture.
    if (id == IDM_RING_SNOOZE || (id == 0 && (control == first_->Hwnd() || control == picture_->Hwnd()))) {
        AskSnooze();
        return true;
    }
    return false;
}

void AlarmRingNotifyDialog::SetButtonCaptions() {
    const Translator& texts = Translator::Instance();
    first_->SetCaption(texts.GetString(IDS_RING_TARGET));
    second_->SetCaption(texts.GetString(IDS_RING_KNOB));
}

void AlarmRingNotifyDialog::SetMenuBarLabels() { AlarmRing_SetMenuBarLabels(MenuBar(), RingItem()); }
