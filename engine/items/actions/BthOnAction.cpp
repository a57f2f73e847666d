#include "BthOnAction.h"

#include "ActionKey.h"
#include "ActionScreens.h"

bool BthOnAction::Save(RegKeyRef itemKey) const {
    RegKeyRef key = ActionKey_Open(itemKey, kSubKey);
    ActionKey_WriteInt(key, Discoverable, kDiscoverableValue);
    return true;
}

bool BthOnAction::Load(RegKeyRef itemKey) {
    RegKeyRef key = ActionKey_Open(itemKey, kSubKey);
    ActionKey_ReadInt(key, Discoverable, kDiscoverableValue, 0);
    return true;
}

bool BthOnAction::EditSettings(HWND parent) {
    ActionScreens* screens = ActionScreens::Current();
    return screens && screens->EditBluetoothMode(parent, *this);
}
