#include "ChangeTimeZoneAction.h"

#include "ActionKey.h"
#include "ActionScreens.h"

bool ChangeTimeZoneAction::Save(RegKeyRef itemKey) const {
    RegKeyRef key = ActionKey_Open(itemKey, kSubKey);
    ActionKey_WriteInt(key, ZoneIndex, kZoneIndexValue);
    return true;
}

bool ChangeTimeZoneAction::Load(RegKeyRef itemKey) {
    RegKeyRef key = ActionKey_Open(itemKey, kSubKey);
    ActionKey_ReadInt(key, ZoneIndex, kZoneIndexValue, kNoZone);
    return true;
}

bool ChangeTimeZoneAction::EditSettings(HWND parent) {
    ActionScreens* screens = ActionScreens::Current();
    return screens && screens->EditTimeZone(parent, *this);
}
