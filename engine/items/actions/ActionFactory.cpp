// The factory: one action class per "actionType".
#include "Action.h"
#include "AtomicSyncActionSettings.h"
#include "BluetoothOffAction.h"
#include "BthOnAction.h"
#include "ChangeTimeZoneAction.h"
#include "ChangeVolumeAction.h"
#include "CloseGprsAction.h"
#include "DisableFlightModeAction.h"
#include "EnableFlightModeAction.h"
#include "ExecuteAction.h"
#include "InternetConnectAction.h"
#include "PowerOffAction.h"
#include "ResetAction.h"
#include "SMSAction.h"
#include "StartTimerAction.h"
#include "StopTimerAction.h"
#include "SuspendAction.h"
#include "WlanOffAction.h"
#include "WlanOnAction.h"

namespace {

Action* NewAction(int actionType) {
    switch (actionType) {
    case Action::kTypeExecute: return new ExecuteAction;
    case Action::kTypeSuspend: return new SuspendAction;
    case Action::kTypeReset: return new ResetAction;
    case Action::kTypeBluetoothOn: return new BthOnAction;
    case Action::kTypeBluetoothOff: return new BluetoothOffAction;
    case Action::kTypeSms: return new SMSAction;
    case Action::kTypeFlightModeOn: return new EnableFlightModeAction;
    case Action::kTypeFlightModeOff: return new DisableFlightModeAction;
    case Action::kTypeTimeZone: return new ChangeTimeZoneAction;
    case Action::kTypeWlanOn: return new WlanOnAction;
    case Action::kTypeWlanOff: return new WlanOffAction;
    case Action::kTypeStartTimer: return new StartTimerAction;
    case Action::kTypeCloseGprs: return new CloseGprsAction;
    case Action::kTypePowerOff: return new PowerOffAction;
    case Action::kTypeStopTimer: return new StopTimerAction;
    case Action::kTypeClockSync: return new AtomicSyncActionSettings;
    case Action::kTypeInternetConnect: return new InternetConnectAction;
    case Action::kTypeChangeVolume: return new ChangeVolumeAction;
    default: return new Action;  // 0, 7 and every unknown id: "None"
    }
}

}  // namespace

boost::shared_ptr<Action> Action_Create(int actionType) { return boost::shared_ptr<Action>(NewAction(actionType)); }
