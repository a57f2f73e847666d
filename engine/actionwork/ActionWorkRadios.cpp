// The flight-mode, WLAN and Bluetooth actions.
#include "ActionWork.h"

#include "Bluetooth.h"
#include "BluetoothOffAction.h"
#include "BthOnAction.h"
#include "DeviceCellular.h"
#include "DisableFlightModeAction.h"
#include "EnableFlightModeAction.h"
#include "FlightMode.h"
#include "Wlan.h"
#include "WlanOffAction.h"
#include "WlanOnAction.h"

bool ActionWork::Run(EnableFlightModeAction&) {
    if (!FlightMode_Allowed()) return false;
    FlightMode_SetRadio(LINEEQUIPSTATE_MINIMUM, RcString());
    return true;
}

bool ActionWork::Run(DisableFlightModeAction& action) {
    if (!FlightMode_Allowed()) return false;
    FlightMode_SetRadio(LINEEQUIPSTATE_FULL, action.code);
    return true;
}

bool ActionWork::Run(WlanOnAction&) {
    Wlan_Switch(true);
    return true;
}

bool ActionWork::Run(WlanOffAction&) {
    Wlan_Switch(false);
    return true;
}

bool ActionWork::Run(BthOnAction& action) {
    Bluetooth_SetMode(action.Discoverable ? kBluetoothDiscoverable : kBluetoothConnectable);
    return true;
}

bool ActionWork::Run(BluetoothOffAction&) {
    Bluetooth_SetMode(kBluetoothOff);
    return true;
}
