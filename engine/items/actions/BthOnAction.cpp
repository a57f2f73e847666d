#include "BthOnAction.h"

#include "ActionKey.h"
#include "ActionScreens.h"

bool BthOnAction::Save(RegKeyRef itemKey) const {
    RegKeyRef key = ActionKey_Open(static_cast<RegKeyRef&&>(itemKey), kSubKey);
    RegKey_WriteDword(key, static_cast<DWORD>(Discoverable), kDiscoverableValue);
    return true;
}

bool BthOnAction::Load(RegKeyRef itemKey) {
    RegKeyRef key = ActionKey_Open(static_cast<RegKeyRef&&>(itemKey), kSubKey);
    DWORD discoverable = 0;
    RegKeyRef_QueryDword(key, &discoverable, kDiscoverableValue, 0);
    Discoverable = static_cast<int32_t>(discoverable);
    return true;
}

bool BthOnAction::EditSettings(HWND parent) {
    ActionScreens* screens = ActionScreens::Current();
    return screens && screens->EditBluetoothMode(parent, *this);
}
