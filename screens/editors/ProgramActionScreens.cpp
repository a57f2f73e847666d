#include "ProgramActionScreens.h"

#include "BluetoothOptionsDlg.h"
#include "ExecuteOptionsDlg.h"
#include "PinDlg.h"
#include "ResetCountdownWnd.h"
#include "SmsOptionsDlg.h"
#include "TimeZoneDlg.h"
#include "TimerChooserDlg.h"
#include "VolumeOptionsDlg.h"

namespace {

template <class Editor, class Action>
bool RunEditor(HWND parent, Action& action) {
    Editor editor(action);
    return editor.Show(parent) == IDOK;
}

}  // namespace

void ProgramActionScreens::Install() {
    static ProgramActionScreens screens;
    ActionScreens::Install(&screens);
}

bool ProgramActionScreens::ShowResetCountdown() { return ResetCountdownWnd::Open() != nullptr; }

bool ProgramActionScreens::EditExecute(HWND parent, ExecuteAction& action) {
    return RunEditor<ExecuteOptionsDlg>(parent, action);
}

bool ProgramActionScreens::EditBluetoothMode(HWND parent, BthOnAction& action) {
    return RunEditor<BluetoothOptionsDlg>(parent, action);
}

bool ProgramActionScreens::EditSms(HWND parent, SMSAction& action) { return RunEditor<SmsOptionsDlg>(parent, action); }

bool ProgramActionScreens::EditFlightModePin(HWND parent, DisableFlightModeAction& action) {
    return RunEditor<PinDlg>(parent, action);
}

bool ProgramActionScreens::EditTimeZone(HWND parent, ChangeTimeZoneAction& action) {
    return RunEditor<TimeZoneDlg>(parent, action);
}

bool ProgramActionScreens::EditVolume(HWND parent, ChangeVolumeAction& action) {
    return RunEditor<VolumeOptionsDlg>(parent, action);
}

bool ProgramActionScreens::ChooseTimer(HWND parent, ItemHash& timerHash) {
    TimerChooserDlg chooser(timerHash);
    if (chooser.Show(parent) != IDOK) return false;
    timerHash = chooser.Chosen();
    return true;
}
