#pragma once
// Handhelds whose sound or vibrator needs other values than the rest, known by their
// OEM text (SystemParametersInfoW SPI_GETOEMINFO).
#include <windows.h>

#include <string>

namespace DeviceModelQuirks {

// The device's OEM text; empty when it cannot be read.
std::wstring OemText();
// The lowest device volume (percent) a ring may use: 20 on the Pocket LOOX models, whose
// speaker is silent below it; 0 elsewhere.
int VolumeFloor(const std::wstring& oemText);

// Models whose LED driver misreports the vibrator: where the notification LED and the
// vibrator really are, and which of them the quirk fixes.
struct LedQuirk {
    bool fixesLed = false;
    bool fixesVibrator = false;
    UINT ledIndex = 0;
    UINT vibratorIndex = 0;
};
LedQuirk LedQuirkOf(const std::wstring& oemText);

}  // namespace DeviceModelQuirks
