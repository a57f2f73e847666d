#pragma once
// What each action does when it runs, for the action records of the items: the device
// functions of this room (radios, the time-server client, SMS, time zones, data
// connections) and the program's own (timers, power, volume) put to work. The program
// installs it at start-up; the Today item, which never runs an action, does not link it.
// GUI thread only. The work of each concern is in a file of its own (ActionWork*.cpp).
#include "ActionRunner.h"

class ActionWork : public ActionRunner {
public:
    // Installs the process's one runner; returns the one it replaces.
    static ActionRunner* Install();

    bool Run(ExecuteAction& action) override;
    bool Run(SuspendAction& action) override;
    bool Run(ResetAction& action) override;
    bool Run(BthOnAction& action) override;
    bool Run(BluetoothOffAction& action) override;
    bool Run(SMSAction& action) override;
    bool Run(EnableFlightModeAction& action) override;
    bool Run(DisableFlightModeAction& action) override;
    bool Run(ChangeTimeZoneAction& action) override;
    bool Run(WlanOnAction& action) override;
    bool Run(WlanOffAction& action) override;
    bool Run(StartTimerAction& action) override;
    bool Run(CloseGprsAction& action) override;
    bool Run(PowerOffAction& action) override;
    bool Run(StopTimerAction& action) override;
    bool Run(AtomicSyncActionSettings& action) override;
    bool Run(InternetConnectAction& action) override;
    bool Run(ChangeVolumeAction& action) override;
};
