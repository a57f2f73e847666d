#include "DisableFlightModeAction.h"

#include "ActionKey.h"
#include "ActionScreens.h"

bool DisableFlightModeAction::Save(RegKeyRef itemKey) const {
    RegKeyRef key = ActionKey_Open(itemKey, kSubKey);
    RegKeyRef_SetString(key, code.CStr(), kCodeValue);
    return true;
}

bool DisableFlightModeAction::Load(RegKeyRef itemKey) {
    RegKeyRef key = ActionKey_Open(itemKey, kSubKey);
    RegKeyRef_QueryString(key, code, kCodeValue);
    return true;
}

bool DisableFlightModeAction::EditSettings(HWND parent) {
    ActionScreens* screens = ActionScreens::Current();
    return screens && screens->EditFlightModePin(parent, *this);
}
