#pragma once
// The ring of a timer whose event dialog is off; a finished timer is handed to the
// engine for deletion when its ring is over. One that runs on stays.
#include "SilentRingWnd.h"

class TimerItem;

class SilentTimerRingWnd : public SilentRingWnd {
public:
    SilentTimerRingWnd(TimerItem& timer, std::unique_ptr<RingController> controller);

protected:
    void OnSilentDestroy() override;

private:
    TimerItem& timer_;
};
