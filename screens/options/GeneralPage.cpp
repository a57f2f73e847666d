#include "GeneralPage.h"

#include <commctrl.h>

#include "App.h"
#include "AppMessageBox.h"
#include "EditorControls.h"
#include "EngineWnd.h"
#include "SnoozeTimeDlg.h"
#include "SystemSettings.h"
#include "Translator.h"
#include "resource.h"

namespace {

constexpr int kAutoSnoozeMin = 1;
constexpr int kAutoSnoozeMax = 50;

struct Switch {
    int id;
    int32_t SystemSettings::*value;
};

constexpr Switch kSwitches[] = {
    {IDC_GENERAL_CLOSE_ON_MINIMIZE, &SystemSettings::CloseOnMinimize},
    {IDC_GENERAL_STOPWATCH_KEEP_ON, &SystemSettings::StopwatchKeepDevice},
    {IDC_GENERAL_OBEY_POWER, &SystemSettings::ObeyPowerSettings},
    {IDC_GENERAL_NO_AC_VIBRO, &SystemSettings::NoACVibro},
    {IDC_GENERAL_DELETE_ONCE, &SystemSettings::DeleteOnceAlarms},
};

}  // namespace

GeneralPage::GeneralPage(SystemSettings& settings) : settings_(settings) {}

LRESULT GeneralPage::OnInitDialog(WPARAM wParam, LPARAM lParam) {
    const LRESULT result = PageBase::OnInitDialog(wParam, lParam);
    HWND page = GetHwnd();
    for (const Switch& item : kSwitches) Editor_Check(page, item.id, settings_.*item.value != 0);
    SendDlgItemMessageW(page, IDC_GENERAL_AUTOSNOOZE_SPIN, UDM_SETRANGE32, kAutoSnoozeMin, kAutoSnoozeMax);
    Editor_SetNumber(page, IDC_GENERAL_AUTOSNOOZE, settings_.AutoSnoozeCount);
    return result;
}

void GeneralPage::OnCommand(UINT id, HWND control, UINT code) {
    if (code == BN_CLICKED && id == IDC_GENERAL_REPAIR) {
        EngineWnd* engine = App::GetEngine();
        if (engine) engine->RebuildNotifications();
        AppMessageBox_Show(engine ? engine->Hwnd() : GetHwnd(),
                           Translator::Instance().GetString(IDS_REPAIR_DONE).c_str(), MB_ICONASTERISK);
    }
    if (code == BN_CLICKED && id == IDC_GENERAL_SNOOZE_LIST) SnoozeTimeDlg_Run(GetActiveWindow(), settings_);
    PageBase::OnCommand(id, control, code);
}

bool GeneralPage::OnOK(UINT, HWND) {
    HWND page = GetHwnd();
    for (const Switch& item : kSwitches) settings_.*item.value = Editor_IsChecked(page, item.id);
    // No range check: the up-down control keeps what it offers within 1..50.
    settings_.AutoSnoozeCount =
        Editor_ReadNumber(page, IDC_GENERAL_AUTOSNOOZE, kDefaultAutoSnoozeCount, kDefaultAutoSnoozeCount);
    return true;
}
