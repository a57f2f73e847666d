#include "PowerOffAction.h"

#include "BoundFunctions.h"
#include "DeviceBoot.h"
#include "ItemHost.h"

bool PowerOffAction::Execute() {
    ItemHost::FlushRegistryNow();
    // A device whose shell cannot power off stays on.
    if (auto exitWindows = Bound::ExitWindowsEx.As<ExitWindowsExFunction>()) exitWindows(EWX_POWEROFF, 0);
    return true;
}
