// The words of the system, the launcher and the installer.
#include "CommandHandler.h"

#include <aygshell.h>

#include "App.h"
#include "EngineWnd.h"
#include "FullScreenClockControl.h"
#include "InputSenseClient.h"
#include "NotifyEnum.h"
#include "StartMenuShortcuts.h"
#include "TodayTranslation.h"

#include <vector>

void CommandHandler::OnDeviceChange(EngineWnd& engine) {
    engine.OnRunAtTime();
    // The handles are all read before the first is cleared.
    std::vector<HANDLE> deviceChanges;
    NotifyEnum own(App::LauncherPath());
    HANDLE handle = nullptr;
    while (own.Next(&handle)) {
        const CE_NOTIFICATION_TRIGGER* trigger = own.Current().pcent;
        if (trigger && trigger->dwType == CNT_EVENT && trigger->dwEvent == kDeviceChangeEvent)
            deviceChanges.push_back(handle);
    }
    for (HANDLE change : deviceChanges) CeClearUserNotification(change);
    // The bubble a device change may have left in the tray.
    static const CLSID kDeviceChangeBubble = {
        0x94F45921, 0xB582, 0x41DB, {0xAC, 0x6E, 0x88, 0x7C, 0x2D, 0x7E, 0x66, 0x85}};
    SHNotificationRemove(&kDeviceChangeBubble, 0);
}

void CommandHandler::OnInstall(EngineWnd& engine) {
    engine.RenewScreenSaverClient();
    engine.RebuildNotifications();
    Engine_CreateShortcuts();
    engine.Quit(EngineWnd::kQuitKeepNotifications);
}

// The engine's destroy handler removes the program's notifications and records; the
// driver goes when this process closes it as its last user.
void CommandHandler::OnUninstall(EngineWnd& engine) {
    DeleteFileW(TodayTranslation::Path().c_str());
    InputSense_CancelScreenSaver();
    Engine_DeleteShortcuts();
    engine.Quit(EngineWnd::kQuitRemoveNotifications);
}

void CommandHandler::OnStartSlideShow() {
    FullScreenClockControl* clock = App::GetFullScreenClock();
    if (!clock) return;
    clock->Show(false, false, false, false);
    clock->Show(true, true, true, true);
}
