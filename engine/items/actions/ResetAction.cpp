#include "ResetAction.h"

#include "ActionScreens.h"
#include "ItemHost.h"

bool ResetAction::Execute() {
    ItemHost::FlushRegistryNow();
    // The countdown resets the device unless the user cancels it.
    if (ActionScreens* screens = ActionScreens::Current()) screens->ShowResetCountdown();
    return true;
}
