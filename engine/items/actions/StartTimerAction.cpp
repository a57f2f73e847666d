#include "StartTimerAction.h"

#include "ItemHost.h"

bool StartTimerAction::Execute() {
    ItemHost* host = ItemHost::Current();
    if (TimerHash != 0 && host) host->StartTimerByHash(TimerHash, false);
    return true;
}
