#include "EnableFlightModeAction.h"

#include "DeviceCellular.h"
#include "FlightMode.h"

bool EnableFlightModeAction::Execute() {
    if (!FlightMode_Allowed()) return false;
    FlightMode_SetRadio(LINEEQUIPSTATE_MINIMUM, RcString());
    return true;
}
