#include "VibrationCycleDlg.h"

#include <commctrl.h>

#include <string>

#include "App.h"
#include "EditorControls.h"
#include "EditorMessages.h"
#include "HelpTopic.h"
#include "ItemStore.h"
#include "Settings.h"
#include "Signaller.h"
#include "Translator.h"
#include "resource.h"

namespace {

constexpr int kNotANumber = -1;

std::wstring Tr(UINT id) { return Translator::Instance().GetString(id); }

std::wstring ButtonText(HWND button) {
    wchar_t text[64] = {};
    GetWindowTextW(button, text, 64);
    return text;
}

ItemVibrationSettings Defaults() {
    ItemStore* store = ItemStore::Current();
    return store ? *store->GetSettings().defaultVibrationSettings : ItemVibrationSettings();
}

}  // namespace

VibrationCycleDlg::VibrationCycleDlg(ItemVibrationSettings* record)
    : FramedDialog(IDD_VIBRATION_CYCLE, IDS_VIBRO_CYCLE_CAPTION, 0, true, kDefaultMenuBar, false), record_(record) {}

LRESULT VibrationCycleDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == Signaller::kVibrationEndedMessage) {
        SetDlgItemTextW(GetHwnd(), IDC_CYCLE_TEST, Tr(IDS_VIBRO_TEST).c_str());
        return 0;
    }
    return FramedDialog::WindowProc(message, wParam, lParam);
}

LRESULT VibrationCycleDlg::OnInitDialog(WPARAM wParam, LPARAM lParam) {
    const LRESULT result = FramedDialog::OnInitDialog(wParam, lParam);
    Editor_ShowInputPanel(GetHwnd(), false);
    HWND dialog = GetHwnd();
    SendMessageW(GetDlgItem(dialog, IDC_CYCLE_ON_SPIN), UDM_SETRANGE32, kCycleMin, kCycleMax);
    SendMessageW(GetDlgItem(dialog, IDC_CYCLE_OFF_SPIN), UDM_SETRANGE32, kCycleMin, kCycleMax);
    Editor_SetNumber(dialog, IDC_CYCLE_ON, record_->CycleOnTime);
    Editor_SetNumber(dialog, IDC_CYCLE_OFF, record_->CycleOffTime);
    SetDlgItemTextW(dialog, IDC_CYCLE_TEST, Tr(IDS_VIBRO_TEST).c_str());
    return result;
}

bool VibrationCycleDlg::Validate(int id) {
    if (id != IDC_CYCLE_ON && id != IDC_CYCLE_OFF) return true;
    validating_ = false;
    const int value = Editor_ReadNumber(GetHwnd(), id, kNotANumber, kNotANumber);
    const bool valid = value >= kCycleMin && value <= kCycleMax;
    if (!valid) {
        Editor_ShowRange(GetHwnd(), IDS_VIBRO_ENTER_VALUE_RANGE, kCycleMin, kCycleMax, MB_TOPMOST | MB_ICONHAND);
        const ItemVibrationSettings defaults = Defaults();
        Editor_SetNumber(GetHwnd(), id, id == IDC_CYCLE_ON ? defaults.CycleOnTime : defaults.CycleOffTime);
    }
    validating_ = true;
    return valid;
}

bool VibrationCycleDlg::OnOK(UINT, HWND) {
    for (int id : {IDC_CYCLE_ON, IDC_CYCLE_OFF}) {
        if (!Validate(id)) {
            SetFocus(GetDlgItem(GetHwnd(), id));
            return false;
        }
    }
    record_->CycleOnTime = static_cast<uint16_t>(Editor_ReadNumber(GetHwnd(), IDC_CYCLE_ON, 600, 600));
    record_->CycleOffTime = static_cast<uint16_t>(Editor_ReadNumber(GetHwnd(), IDC_CYCLE_OFF, 400, 400));
    return true;
}

void VibrationCycleDlg::StopTestOfThisDialog() {
    Signaller* signaller = App::GetSignaller();
    if (signaller && signaller->VibrationNotifyWindow() == GetHwnd()) signaller->StopVibration(true);
}

void VibrationCycleDlg::OnTest() {
    HWND button = GetDlgItem(GetHwnd(), IDC_CYCLE_TEST);
    const std::wstring testText = Tr(IDS_VIBRO_TEST);
    if (ButtonText(button) != testText) {
        SetWindowTextW(button, testText.c_str());
        StopTestOfThisDialog();
        return;
    }
    for (int id : {IDC_CYCLE_ON, IDC_CYCLE_OFF}) {
        if (!Validate(id)) {
            SetFocus(GetDlgItem(GetHwnd(), id));
            return;
        }
    }
    SetWindowTextW(button, Tr(IDS_VIBRO_STOP).c_str());
    ItemVibrationSettings cycle;
    cycle.CycleOnTime = static_cast<uint16_t>(Editor_ReadNumber(GetHwnd(), IDC_CYCLE_ON, 600, 600));
    cycle.CycleOffTime = static_cast<uint16_t>(Editor_ReadNumber(GetHwnd(), IDC_CYCLE_OFF, 400, 400));
    if (Signaller* signaller = App::GetSignaller()) signaller->StartVibration(cycle, kTestSeconds, GetHwnd(), true);
}

void VibrationCycleDlg::OnDestroy() {
    StopTestOfThisDialog();
    FramedDialog::OnDestroy();
}

void VibrationCycleDlg::OnCommand(UINT id, HWND control, UINT code) {
    switch (code) {
    case EN_SETFOCUS:
        Editor_PostSelectAll(control);
        Editor_ShowInputPanel(GetHwnd(), true);
        break;
    case EN_KILLFOCUS:
        Editor_ShowInputPanel(GetHwnd(), false);
        if (validating_ && !Validate(static_cast<int>(id))) SetFocus(control);
        break;
    case EN_CHANGE:
        Editor_NotifyPageChanged(GetHwnd());
        break;
    case BN_CLICKED:
        if (id == IDC_CYCLE_TEST) OnTest();
        break;
    default:
        break;
    }
    FramedDialog::OnCommand(id, control, code);
}

LRESULT VibrationCycleDlg::OnHelp(HELPINFO*, WPARAM) {
    Help_ShowTopic(kHelpTopic);
    return 1;
}
