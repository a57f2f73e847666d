#pragma once
// What the actions do when they run. The action records (their values, load and save)
// are built into the Today item as well, which only shows items and never runs one; so
// the work lives in the program's action-work library, whose runner the program installs
// at start-up. Without a runner no action runs and each answers false. GUI thread only.
class Action;
class AtomicSyncActionSettings;
class BluetoothOffAction;
class BthOnAction;
class ChangeTimeZoneAction;
class ChangeVolumeAction;
class CloseGprsAction;
class DisableFlightModeAction;
class EnableFlightModeAction;
class ExecuteAction;
class InternetConnectAction;
class PowerOffAction;
class ResetAction;
class SMSAction;
class StartTimerAction;
class StopTimerAction;
class SuspendAction;
class WlanOffAction;
class WlanOnAction;

class ActionRunner {
public:
    virtual ~ActionRunner() = default;

    // The installed runner, or null.
    static ActionRunner* Current() { return current_; }
    // Installs a runner (null removes it) and returns the one it replaces.
    static ActionRunner* Install(ActionRunner* runner);
    // The installed runner's work for the action; false when none is installed.
    template <class ActionClass>
    static bool RunInstalled(ActionClass& action) {
        return current_ && current_->Run(action);
    }

    // One per action class: true when the action did its work.
    virtual bool Run(ExecuteAction& action) = 0;
    virtual bool Run(SuspendAction& action) = 0;
    virtual bool Run(ResetAction& action) = 0;
    virtual bool Run(BthOnAction& action) = 0;
    virtual bool Run(BluetoothOffAction& action) = 0;
    virtual bool Run(SMSAction& action) = 0;
    virtual bool Run(EnableFlightModeAction& action) = 0;
    virtual bool Run(DisableFlightModeAction& action) = 0;
    virtual bool Run(ChangeTimeZoneAction& action) = 0;
    virtual bool Run(WlanOnAction& action) = 0;
    virtual bool Run(WlanOffAction& action) = 0;
    virtual bool Run(StartTimerAction& action) = 0;
    virtual bool Run(CloseGprsAction& action) = 0;
    virtual bool Run(PowerOffAction& action) = 0;
    virtual bool Run(StopTimerAction& action) = 0;
    virtual bool Run(AtomicSyncActionSettings& action) = 0;
    virtual bool Run(InternetConnectAction& action) = 0;
    virtual bool Run(ChangeVolumeAction& action) = 0;

private:
    static ActionRunner* current_;
};
