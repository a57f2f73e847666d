#pragma once
// What the actions ask of the application screens: the countdown before a reset and
// the action editors. The screens are built on the items, so the actions reach them
// only through this interface, which the program installs at start-up; without it
// (the Today item, tests) no screen opens. GUI thread only.
#include "ItemHash.h"

#include <windows.h>

class BthOnAction;
class ChangeTimeZoneAction;
class ChangeVolumeAction;
class DisableFlightModeAction;
class ExecuteAction;
class SMSAction;

class ActionScreens {
public:
    virtual ~ActionScreens() = default;

    // The installed screens, or null.
    static ActionScreens* Current() { return current_; }
    // Installs screens (null removes them) and returns the ones they replace.
    static ActionScreens* Install(ActionScreens* screens);

    // Opens the modeless countdown to the device's reset, without a parent; false
    // when it could not open.
    virtual bool ShowResetCountdown() = 0;

    // The editors: framed modal dialogs under parent that write the values into the
    // action and return true when the user confirmed; false leaves the action as it
    // was. An editor the screens do not have answers false.
    virtual bool EditExecute(HWND parent, ExecuteAction& action) { return false; }
    virtual bool EditBluetoothMode(HWND parent, BthOnAction& action) { return false; }
    virtual bool EditSms(HWND parent, SMSAction& action) { return false; }
    virtual bool EditFlightModePin(HWND parent, DisableFlightModeAction& action) { return false; }
    virtual bool EditTimeZone(HWND parent, ChangeTimeZoneAction& action) { return false; }
    virtual bool EditVolume(HWND parent, ChangeVolumeAction& action) { return false; }
    // The timer chooser of the start and stop actions: given the current timer's Hash,
    // which on true holds the chosen one's.
    virtual bool ChooseTimer(HWND parent, ItemHash& timerHash) { return false; }

private:
    static ActionScreens* current_;
};
