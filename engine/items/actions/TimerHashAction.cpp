#include "TimerHashAction.h"

#include "ActionKey.h"
#include "ActionScreens.h"
#include "ItemStore.h"

bool TimerHashAction::Save(RegKeyRef itemKey) const {
    RegKeyRef key = ActionKey_Open(itemKey, subKey_);
    ActionKey_WriteInt(key, TimerHash, kTimerHashValue);
    return true;
}

bool TimerHashAction::Load(RegKeyRef itemKey) {
    RegKeyRef key = ActionKey_Open(itemKey, subKey_);
    ActionKey_ReadInt(key, TimerHash, kTimerHashValue, 0);
    return true;
}

bool TimerHashAction::EditSettings(HWND parent) {
    ActionScreens* screens = ActionScreens::Current();
    ItemHash chosen = TimerHash;
    if (!screens || !screens->ChooseTimer(parent, chosen)) return false;
    TimerHash = chosen;
    return true;
}

TimerItem* TimerHashAction::FindTimer() const {
    ItemStore* store = ItemStore::Current();
    return TimerHash != 0 && store ? store->FindTimerByHash(TimerHash) : nullptr;
}
