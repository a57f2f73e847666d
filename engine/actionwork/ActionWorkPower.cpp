// The suspend, power-off and reset actions: each flushes the registry first.
#include "ActionWork.h"

#include "ActionScreens.h"
#include "BoundFunctions.h"
#include "DeviceBoot.h"
#include "ItemHost.h"
#include "pm.h"

bool ActionWork::Run(SuspendAction&) {
    ItemHost::FlushRegistryNow();
    SetSystemPowerState(nullptr, POWER_STATE_OFF, POWER_FORCE);
    return true;
}

bool ActionWork::Run(PowerOffAction&) {
    ItemHost::FlushRegistryNow();
    // A device whose shell cannot power off stays on.
    if (auto exitWindows = Bound::ExitWindowsEx.As<ExitWindowsExFunction>()) exitWindows(EWX_POWEROFF, 0);
    return true;
}

bool ActionWork::Run(ResetAction&) {
    ItemHost::FlushRegistryNow();
    // The countdown resets the device unless the user cancels it.
    if (ActionScreens* screens = ActionScreens::Current()) screens->ShowResetCountdown();
    return true;
}
