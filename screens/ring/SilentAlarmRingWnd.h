#pragma once
// The ring of an alarm whose event dialog is off. A one-time alarm is deleted when
// its ring is over and the settings ask for that, unless it was snoozed.
#include "SilentRingWnd.h"

class AlarmItem;

class SilentAlarmRingWnd : public SilentRingWnd {
public:
    SilentAlarmRingWnd(AlarmItem& alarm, std::unique_ptr<RingController> controller);

protected:
    void OnSilentDestroy() override;

private:
    AlarmItem& alarm_;
};
