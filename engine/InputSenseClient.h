#pragma once
// Client of the user-activity driver.

// True when the platform's user-activity timer exists, so the driver can be used.
bool InputSense_SystemTimerPresent();
