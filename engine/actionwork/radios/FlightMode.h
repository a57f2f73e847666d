#pragma once
// Flight mode: the cellular line's radio to minimum (off) or full (on). Coming back
// on, the SIM is given its PIN when it waits for one, and the line registers on the
// network again. Only a fully trusted program may switch the radio.
#include "RcString.h"

#include <windows.h>

// True when the device trusts the running program fully.
bool FlightMode_Allowed();
// Switches the radio of the last "Cellular Line" to state (1 minimum, 5 full); pin is
// used only for state 5. Does nothing without telephony or such a line.
void FlightMode_SetRadio(DWORD state, RcString pin);
