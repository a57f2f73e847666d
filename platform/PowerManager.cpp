#include "pm.h"

// Accepts every request until the power manager keeps device state.
BOOL PowerPolicyNotify(DWORD, DWORD) { return TRUE; }
