#include "ChangeTimeZoneAction.h"

#include "ActionKey.h"
#include "ActionScreens.h"

bool ChangeTimeZoneAction::Save(RegKeyRef itemKey) const {
    RegKeyRef key = ActionKey_Open(static_cast<RegKeyRef&&>(itemKey), kSubKey);
    RegKey_WriteDword(key, static_cast<DWORD>(ZoneIndex), kZoneIndexValue);
    return true;
}

bool ChangeTimeZoneAction::Load(RegKeyRef itemKey) {
    RegKeyRef key = ActionKey_Open(static_cast<RegKeyRef&&>(itemKey), kSubKey);
    DWORD zone = 0;
    RegKeyRef_QueryDword(key, &zone, kZoneIndexValue, static_cast<DWORD>(kNoZone));
    ZoneIndex = static_cast<int32_t>(zone);
    return true;
}

bool ChangeTimeZoneAction::EditSettings(HWND parent) {
    ActionScreens* screens = ActionScreens::Current();
    return screens && screens->EditTimeZone(parent, *this);
}
