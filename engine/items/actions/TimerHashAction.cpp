#include "TimerHashAction.h"

#include "ActionKey.h"
#include "ActionScreens.h"
#include "ItemStore.h"

bool TimerHashAction::Save(RegKeyRef itemKey) const {
    RegKeyRef key = ActionKey_Open(static_cast<RegKeyRef&&>(itemKey), subKey_);
    RegKey_WriteDword(key, static_cast<DWORD>(TimerHash), kTimerHashValue);
    return true;
}

bool TimerHashAction::Load(RegKeyRef itemKey) {
    RegKeyRef key = ActionKey_Open(static_cast<RegKeyRef&&>(itemKey), subKey_);
    DWORD hash = 0;
    RegKeyRef_QueryDword(key, &hash, kTimerHashValue, 0);
    TimerHash = static_cast<ItemHash>(hash);
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
