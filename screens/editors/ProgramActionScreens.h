#pragma once
// The program's screens behind the actions' interface: the reset countdown and the
// action editors (screens/actions/).
#include "ActionScreens.h"

class ProgramActionScreens : public ActionScreens {
public:
    // Installs the process-wide screens as the actions'; the program does this before it starts.
    static void Install();

    bool ShowResetCountdown() override;
    bool EditExecute(HWND parent, ExecuteAction& action) override;
    bool EditBluetoothMode(HWND parent, BthOnAction& action) override;
    bool EditSms(HWND parent, SMSAction& action) override;
    bool EditFlightModePin(HWND parent, DisableFlightModeAction& action) override;
    bool EditTimeZone(HWND parent, ChangeTimeZoneAction& action) override;
    bool EditVolume(HWND parent, ChangeVolumeAction& action) override;
    bool ChooseTimer(HWND parent, ItemHash& timerHash) override;
};
