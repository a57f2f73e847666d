#include "ExecuteAction.h"

#include "ActionKey.h"
#include "ActionScreens.h"

bool ExecuteAction::Save(RegKeyRef itemKey) const {
    RegKeyRef key = ActionKey_Open(itemKey, kSubKey);
    RegKeyRef_SetString(key, CommandLine.CStr(), kCommandLineValue);
    ActionKey_WriteInt(key, RunOnDismiss, kRunOnDismissValue);
    return true;
}

bool ExecuteAction::Load(RegKeyRef itemKey) {
    RegKeyRef key = ActionKey_Open(itemKey, kSubKey);
    RegKeyRef_QueryString(key, CommandLine, kCommandLineValue);
    ActionKey_ReadInt(key, RunOnDismiss, kRunOnDismissValue, 0);
    return true;
}

bool ExecuteAction::EditSettings(HWND parent) {
    ActionScreens* screens = ActionScreens::Current();
    return screens && screens->EditExecute(parent, *this);
}
