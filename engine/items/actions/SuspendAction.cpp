#include "SuspendAction.h"

#include "ItemHost.h"
#include "pm.h"

bool SuspendAction::Execute() {
    ItemHost::FlushRegistryNow();
    SetSystemPowerState(nullptr, POWER_STATE_OFF, POWER_FORCE);
    return true;
}
