#pragma once
// The decisions on an expired timer: close (starting the next timer of its chain, or
// deleting a finished copy), restart for its set duration, stop, or snooze, which
// means running again for the chosen length.
#include "RingController.h"

class TimerItem;

class TimerRingController : public RingController {
public:
    explicit TimerRingController(TimerItem& timer);

    void AutoAction() override;
    int Snooze(int seconds, bool autoFlag) override;
    // Dismissing a timer closes its ring.
    int Dismiss(int seconds) override;
    void Close() override;
    void Restart() override;
    void Stop() override;

private:
    bool RepeatsItself() const;
    // The engine window's object, null when there is none.
    static class EngineWnd* Engine();

    TimerItem& timer_;
};
