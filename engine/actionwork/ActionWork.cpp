#include "ActionWork.h"

#include "ExecuteAction.h"
#include "ShortcutRun.h"
#include "UnattendedScope.h"

ActionRunner* ActionWork::Install() {
    static ActionWork work;
    return ActionRunner::Install(&work);
}

bool ActionWork::Run(ExecuteAction& action) {
    // The device may be asleep: it stays up until the program had its start.
    UnattendedScope unattended;
    DWORD result = Shortcut_Create(action.CommandLine.CStr());
    Sleep(ExecuteAction::kStartGraceMs);
    return result == 0;
}
