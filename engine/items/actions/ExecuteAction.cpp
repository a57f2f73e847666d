#include "ExecuteAction.h"

#include "ActionKey.h"
#include "ActionScreens.h"
#include "ShortcutRun.h"
#include "UnattendedScope.h"

bool ExecuteAction::Save(RegKeyRef itemKey) const {
    RegKeyRef key = ActionKey_Open(static_cast<RegKeyRef&&>(itemKey), kSubKey);
    RegKeyRef_SetString(key, CommandLine.CStr(), kCommandLineValue);
    RegKey_WriteDword(key, static_cast<DWORD>(RunOnDismiss), kRunOnDismissValue);
    return true;
}

bool ExecuteAction::Load(RegKeyRef itemKey) {
    RegKeyRef key = ActionKey_Open(static_cast<RegKeyRef&&>(itemKey), kSubKey);
    RegKeyRef_QueryString(key, CommandLine, kCommandLineValue);
    DWORD runOnDismiss = 0;
    RegKeyRef_QueryDword(key, &runOnDismiss, kRunOnDismissValue, 0);
    RunOnDismiss = static_cast<int32_t>(runOnDismiss);
    return true;
}

bool ExecuteAction::Execute() {
    // The device may be asleep: it stays up until the program had its start.
    UnattendedScope unattended;
    DWORD result = Shortcut_Create(CommandLine.CStr());
    Sleep(kStartGraceMs);
    return result == 0;
}

bool ExecuteAction::EditSettings(HWND parent) {
    ActionScreens* screens = ActionScreens::Current();
    return screens && screens->EditExecute(parent, *this);
}
