#pragma once
// The decisions on a ringing alarm: snooze to a moment past now, dismiss to its next
// occurrence (or its deletion when it rings only once), and what its snooze type asks
// for when the sound ends.
#include "RingController.h"

class AlarmItem;

class AlarmRingController : public RingController {
public:
    explicit AlarmRingController(AlarmItem& alarm);

    void AutoAction() override;
    int Snooze(int seconds, bool autoFlag) override;
    int Dismiss(int seconds) override;

private:
    AlarmItem& alarm_;
};
