#include "EventPage.h"

#include "Action.h"
#include "App.h"
#include "BoundFunctions.h"
#include "EditorControls.h"
#include "EventItem.h"
#include "HelpTopic.h"
#include "PlatformHelpers.h"
#include "Signaller.h"
#include "Wlan.h"
#include "resource.h"

namespace {

struct ActionChoice {
    UINT stringId;
    int type;
    bool (*offered)();
};

bool Always() { return true; }

bool CanPowerOff() {
    static const bool bound = Bound::ExitWindowsEx.Get() != nullptr;
    return bound;
}

bool CanChangeVolume() {
    static const bool bound = Bound::SndSetSound.Get() != nullptr;
    return bound;
}

bool HasSms() {
    wchar_t path[MAX_PATH + 16] = {};
    Sys_GetWindowsFolder(path);
    wcscat(path, L"\\sms.dll");
    return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

bool HasWlan() { return Wlan_FindAdapter() != 0; }

// The actions offered, in their order; the clock synchronisation is never offered here.
const ActionChoice kChoices[] = {
    {IDS_ACTION_NONE, Action::kTypeNone, Always},
    {IDS_ACTION_START_TIMER, Action::kTypeStartTimer, Always},
    {IDS_ACTION_STOP_TIMER, Action::kTypeStopTimer, Always},
    {IDS_ACTION_EXECUTE, Action::kTypeExecute, Always},
    {IDS_ACTION_SUSPEND, Action::kTypeSuspend, Always},
    {IDS_ACTION_POWER_OFF, Action::kTypePowerOff, CanPowerOff},
    {IDS_ACTION_RESET, Action::kTypeReset, Always},
    {IDS_ACTION_BLUETOOTH_ON, Action::kTypeBluetoothOn, Always},
    {IDS_ACTION_BLUETOOTH_OFF, Action::kTypeBluetoothOff, Always},
    {IDS_ACTION_CHANGE_TIME_ZONE, Action::kTypeTimeZone, Always},
    {IDS_ACTION_SEND_SMS, Action::kTypeSms, HasSms},
    {IDS_ACTION_FLIGHT_MODE_ON, Action::kTypeFlightModeOn, HasSms},
    {IDS_ACTION_FLIGHT_MODE_OFF, Action::kTypeFlightModeOff, HasSms},
    {IDS_ACTION_ENABLE_WIFI, Action::kTypeWlanOn, HasWlan},
    {IDS_ACTION_DISABLE_WIFI, Action::kTypeWlanOff, HasWlan},
    {IDS_ACTION_CLOSE_GPRS, Action::kTypeCloseGprs, Always},
    {IDS_ACTION_START_INTERNET, Action::kTypeInternetConnect, Always},
    {IDS_ACTION_CHANGE_VOLUME, Action::kTypeChangeVolume, CanChangeVolume},
};

boost::shared_ptr<Action> CloneOrNone(const boost::shared_ptr<Action>& action) {
    return action ? action->Clone() : Action_Create(Action::kTypeNone);
}

}  // namespace

EventPage::EventPage(EventItem& item, int helpTopic) : item_(item), helpTopic_(helpTopic) {}

LRESULT EventPage::OnInitDialog(WPARAM wParam, LPARAM lParam) {
    const LRESULT result = PageBase::OnInitDialog(wParam, lParam);
    HWND page = GetHwnd();
    Signaller* signaller = App::GetSignaller();
    if (!signaller || !signaller->HasLed()) {
        // Nothing could blink: the option goes off at once, whatever the sheet's end.
        item_.SetOption3(false);
        ShowWindow(GetDlgItem(page, IDC_EVENT_BLINK_LED), SW_HIDE);
    } else {
        Editor_Check(page, IDC_EVENT_BLINK_LED, item_.IsOption3());
    }
    Editor_Check(page, IDC_EVENT_SHOW_DIALOG, item_.IsOption7());
    Editor_Check(page, IDC_EVENT_PLAY_SOUND, item_.IsOption1());
    Editor_Check(page, IDC_EVENT_FLASH_LIGHT, item_.IsOption4());
    Editor_Check(page, IDC_EVENT_VIBRATE, item_.IsOption5());
    if (!signaller || !signaller->HasVibrator()) ShowWindow(GetDlgItem(page, IDC_EVENT_VIBRATE), SW_HIDE);
    FillActions();
    SetFocus(GetDlgItem(page, IDC_EVENT_SHOW_DIALOG));
    ownType_ = selectedType_ = item_.actionType;
    own_ = CloneOrNone(item_.action);
    working_ = own_->Clone();
    EnableSettingsButton();
    Editor_Check(page, IDC_EVENT_NIGHT_COLORS, item_.IsOption6());
    Editor_Enable(page, IDC_EVENT_NIGHT_COLORS, Editor_IsChecked(page, IDC_EVENT_SHOW_DIALOG));
    return result;
}

void EventPage::FillActions() {
    HWND combo = GetDlgItem(GetHwnd(), IDC_EVENT_ACTION);
    for (const ActionChoice& choice : kChoices)
        if (choice.offered()) Editor_AddComboEntry(combo, choice.stringId, choice.type);
    if (!Editor_SelectByData(combo, item_.actionType)) SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
}

void EventPage::EnableSettingsButton() {
    Editor_Enable(GetHwnd(), IDC_EVENT_ACTION_SETTINGS, working_ && working_->HasSettings());
}

void EventPage::OnActionChanged() {
    const LPARAM type = Editor_SelectedData(GetDlgItem(GetHwnd(), IDC_EVENT_ACTION), -1);
    if (type < 0 || type == selectedType_) return;
    selectedType_ = static_cast<int>(type);
    working_ = selectedType_ == ownType_ ? own_->Clone() : Action_Create(selectedType_);
    EnableSettingsButton();
}

void EventPage::OnCommand(UINT id, HWND control, UINT code) {
    HWND page = GetHwnd();
    if (code == BN_CLICKED && id == IDC_EVENT_SHOW_DIALOG)
        Editor_Enable(page, IDC_EVENT_NIGHT_COLORS, Editor_IsChecked(page, IDC_EVENT_SHOW_DIALOG));
    else if (code == BN_CLICKED && id == IDC_EVENT_ACTION_SETTINGS && working_)
        working_->EditSettings(page);
    else if (code == CBN_SELCHANGE && id == IDC_EVENT_ACTION)
        OnActionChanged();
    else if (code == EN_SETFOCUS) {
        Editor_ShowInputPanel(page, true);
        Editor_PostSelectAll(control);
    } else if (code == EN_KILLFOCUS) {
        Editor_ShowInputPanel(page, false);
    }
    PageBase::OnCommand(id, control, code);
}

bool EventPage::OnOK(UINT, HWND) {
    HWND page = GetHwnd();
    item_.SetOption7(Editor_IsChecked(page, IDC_EVENT_SHOW_DIALOG));
    item_.SetOption1(Editor_IsChecked(page, IDC_EVENT_PLAY_SOUND));
    item_.SetOption3(Editor_IsChecked(page, IDC_EVENT_BLINK_LED));
    item_.SetOption4(Editor_IsChecked(page, IDC_EVENT_FLASH_LIGHT));
    item_.SetOption5(Editor_IsChecked(page, IDC_EVENT_VIBRATE));
    item_.SetOption6(Editor_IsChecked(page, IDC_EVENT_NIGHT_COLORS));
    item_.action = working_;
    item_.actionType = selectedType_;
    return true;
}

LRESULT EventPage::OnHelp(HELPINFO*, WPARAM) {
    Help_ShowTopic(helpTopic_);
    return 1;
}
