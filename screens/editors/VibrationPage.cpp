#include "VibrationPage.h"

#include <commctrl.h>

#include "App.h"
#include "EditorControls.h"
#include "EditorMessages.h"
#include "HelpTopic.h"
#include "ItemStore.h"
#include "Settings.h"
#include "Signaller.h"
#include "VibrationCycleDlg.h"
#include "resource.h"

namespace {

constexpr int kNotANumber = -1;

bool CanVibrate() {
    Signaller* signaller = App::GetSignaller();
    return signaller && signaller->HasVibrator();
}

const ItemVibrationSettings* Defaults() {
    ItemStore* store = ItemStore::Current();
    return store ? store->GetSettings().defaultVibrationSettings.get() : nullptr;
}

}  // namespace

VibrationPage::VibrationPage(ItemVibrationSettings* record) : edited_(record) {
    if (record) working_ = *record;
}

LRESULT VibrationPage::OnInitDialog(WPARAM wParam, LPARAM lParam) {
    const LRESULT result = PageBase::OnInitDialog(wParam, lParam);
    SendMessageW(GetDlgItem(GetHwnd(), IDC_VIBRO_BEFORE_SPIN), UDM_SETRANGE32, kBeforeMin, kBeforeMax);
    SendMessageW(GetDlgItem(GetHwnd(), IDC_VIBRO_FIXED_SPIN), UDM_SETRANGE32, kFixedMin, kFixedMax);
    Show(working_);
    return result;
}

void VibrationPage::Show(const ItemVibrationSettings& settings) {
    HWND page = GetHwnd();
    Editor_SetNumber(page, IDC_VIBRO_BEFORE_TIME, settings.VibrateBeforeSoundTime);
    Editor_Check(page, IDC_VIBRO_BEFORE_SOUND, settings.bStartVibrateBeforeSound != 0);
    Editor_SetNumber(page, IDC_VIBRO_FIXED_TIME, settings.FixedVibrationTime);
    Editor_Check(page, IDC_VIBRO_FIXED, settings.bFixedVibrationTime != 0);
    Editor_Check(page, IDC_VIBRO_WITH_SOUND, settings.bFixedVibrationTime == 0);
    EnableFields();
}

void VibrationPage::EnableFields() {
    HWND page = GetHwnd();
    const bool before = Editor_IsChecked(page, IDC_VIBRO_BEFORE_SOUND);
    Editor_Enable(page, IDC_VIBRO_BEFORE_TIME, before);
    Editor_Enable(page, IDC_VIBRO_BEFORE_SPIN, before);
    const bool fixed = Editor_IsChecked(page, IDC_VIBRO_FIXED);
    Editor_Enable(page, IDC_VIBRO_FIXED_TIME, fixed);
    Editor_Enable(page, IDC_VIBRO_FIXED_SPIN, fixed);
}

bool VibrationPage::Validate(int id) {
    int low = 0, high = 0, shownLow = 0;
    if (id == IDC_VIBRO_BEFORE_TIME) {
        low = shownLow = kBeforeMin;
        high = kBeforeMax;
    } else if (id == IDC_VIBRO_FIXED_TIME) {
        low = kFixedMin;
        shownLow = kFixedShownMin;
        high = kFixedMax;
    } else {
        return true;
    }
    validating_ = false;
    const int value = Editor_ReadNumber(GetHwnd(), id, kNotANumber, kNotANumber);
    const bool valid = value >= low && value <= high;
    if (!valid) {
        Editor_ShowRange(GetHwnd(), IDS_VIBRO_ENTER_VALUE_RANGE, shownLow, high, MB_TOPMOST | MB_ICONHAND);
        Editor_SetNumber(GetHwnd(), id, shownLow);
    }
    validating_ = true;
    return valid;
}

bool VibrationPage::Save(ItemVibrationSettings& record) {
    if (CanVibrate()) {
        for (int id : {IDC_VIBRO_BEFORE_TIME, IDC_VIBRO_FIXED_TIME}) {
            if (!Validate(id)) {
                SetFocus(GetDlgItem(GetHwnd(), id));
                return false;
            }
        }
    }
    HWND page = GetHwnd();
    record.bStartVibrateBeforeSound = Editor_IsChecked(page, IDC_VIBRO_BEFORE_SOUND) ? 1 : 0;
    record.VibrateBeforeSoundTime = static_cast<uint16_t>(
        Editor_ReadNumber(page, IDC_VIBRO_BEFORE_TIME, kBeforeMin, kBeforeMin));
    record.bFixedVibrationTime = Editor_IsChecked(page, IDC_VIBRO_FIXED) ? 1 : 0;
    record.FixedVibrationTime = static_cast<uint16_t>(
        Editor_ReadNumber(page, IDC_VIBRO_FIXED_TIME, kFixedShownMin, kFixedShownMin));
    record.CycleOnTime = working_.CycleOnTime;
    record.CycleOffTime = working_.CycleOffTime;
    return true;
}

bool VibrationPage::Apply() {
    if (!edited_) return true;
    ItemVibrationSettings result = working_;
    if (!Save(result)) return false;
    *edited_ = result;
    return true;
}

void VibrationPage::Load() {
    const ItemVibrationSettings* defaults = Defaults();
    if (!defaults) return;
    Show(*defaults);
    working_.CycleOnTime = defaults->CycleOnTime;
    working_.CycleOffTime = defaults->CycleOffTime;
}

bool VibrationPage::IsChanged() {
    const ItemVibrationSettings* defaults = Defaults();
    if (!defaults) return false;
    HWND page = GetHwnd();
    const bool before = Editor_IsChecked(page, IDC_VIBRO_BEFORE_SOUND);
    if (before != (defaults->bStartVibrateBeforeSound != 0)) return false;
    if (before && Editor_ReadNumber(page, IDC_VIBRO_BEFORE_TIME, kNotANumber, kNotANumber) !=
                      defaults->VibrateBeforeSoundTime)
        return false;
    const bool fixed = Editor_IsChecked(page, IDC_VIBRO_FIXED);
    if (fixed != (defaults->bFixedVibrationTime != 0)) return false;
    if (fixed && Editor_ReadNumber(page, IDC_VIBRO_FIXED_TIME, kNotANumber, kNotANumber) != defaults->FixedVibrationTime)
        return false;
    return working_.CycleOnTime == defaults->CycleOnTime && working_.CycleOffTime == defaults->CycleOffTime;
}

void VibrationPage::OpenCycleDialog() {
    ItemVibrationSettings copy = working_;
    VibrationCycleDlg dialog(&copy);
    if (dialog.Show(nullptr) != IDOK) return;
    working_.CycleOnTime = copy.CycleOnTime;
    working_.CycleOffTime = copy.CycleOffTime;
    Editor_NotifyPageChanged(GetHwnd());
}

void VibrationPage::OnCommand(UINT id, HWND control, UINT code) {
    HWND page = GetHwnd();
    switch (code) {
    case EN_SETFOCUS:
        Editor_PostSelectAll(control);
        break;
    case EN_KILLFOCUS:
        if (validating_ && !Validate(static_cast<int>(id))) SetFocus(control);
        break;
    case EN_CHANGE:
        Editor_NotifyPageChanged(page);
        break;
    case BN_CLICKED:
        if (id == IDC_VIBRO_BEFORE_SOUND || id == IDC_VIBRO_WITH_SOUND || id == IDC_VIBRO_FIXED) {
            EnableFields();
            Editor_NotifyPageChanged(page);
        } else if (id == IDC_VIBRO_ADVANCED) {
            OpenCycleDialog();
        }
        break;
    default:
        break;
    }
    PageBase::OnCommand(id, control, code);
}

LRESULT VibrationPage::OnHelp(HELPINFO*, WPARAM) {
    Help_ShowTopic(kHelpTopic);
    return 1;
}
