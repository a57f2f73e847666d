#pragma once
// The ring of a timer whose event dialog is off; the timer is handed to the engine
// for deletion when its ring is over (the engine keeps templates and running timers).
#include "SilentRingWnd.h"

class SilentTimerRingWnd : public SilentRingWnd {
public:
    explicit SilentTimerRingWnd(std::unique_ptr<RingController> controller) : SilentRingWnd(std::move(controller)) {}

protected:
    void OnSilentDestroy() override;
};
