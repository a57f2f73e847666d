#pragma once
// The ring of an expired timer: its title and set duration, the next timer of its
// chain, image buttons Close and Restart, and a menu with Restart, Goto and Stop.
#include "RingDialog.h"

class TimerItem;

class TimerRingDialog : public RingDialog {
public:
    TimerRingDialog(TimerItem& timer, std::unique_ptr<RingController> controller);

protected:
    ImageSet Images() const override;
    std::wstring TitleText() const override;
    void SetKindTexts() override;
    bool OnRingCommand(UINT id, HWND control, UINT code) override;
    void SetButtonCaptions() override;
    void SetMenuBarLabels() override;
    ImageButton* FocusButton() const override { return first_.get(); }

private:
    TimerItem& timer_;
};

// "Next timer is: <title>", with ", № <count>" for a timer that repeats itself; empty
// when the timer has no next one.
std::wstring TimerRing_NextTimerLine(const TimerItem& timer);
