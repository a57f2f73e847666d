#include "NotificationsPage.h"

#include <commctrl.h>

#include "EditorControls.h"
#include "SettingsDialog.h"
#include "SystemSettings.h"
#include "resource.h"

namespace {

constexpr int kHeightMin = 1;
constexpr int kHeightMax = 10;

}  // namespace

NotificationsPage::NotificationsPage(SystemSettings& settings) : settings_(settings) {}

LRESULT NotificationsPage::OnInitDialog(WPARAM wParam, LPARAM lParam) {
    const LRESULT result = PageBase::OnInitDialog(wParam, lParam);
    HWND page = GetHwnd();
    HWND style = GetDlgItem(page, IDC_INTERFACE_STYLE);
    Editor_AddComboEntry(style, IDS_STYLE_STANDARD, 0);
    Editor_AddComboEntry(style, IDS_STYLE_FULL_SCREEN, 1);
    Editor_SelectByData(style, settings_.NotificationStyle);
    Editor_Check(page, IDC_INTERFACE_VIBRATION_ON, settings_.VibrationOn != 0);
    if (!Editor_DeviceCanVibrate()) ShowWindow(GetDlgItem(page, IDC_INTERFACE_VIBRATION_ON), SW_HIDE);
    SendDlgItemMessageW(page, IDC_INTERFACE_HEIGHT_SPIN, UDM_SETRANGE32, kHeightMin, kHeightMax);
    Editor_SetNumber(page, IDC_INTERFACE_HEIGHT, settings_.PluginHeight);
    return result;
}

bool NotificationsPage::OnOK(UINT, HWND) {
    HWND page = GetHwnd();
    const LRESULT style = SendDlgItemMessageW(page, IDC_INTERFACE_STYLE, CB_GETCURSEL, 0, 0);
    if (style >= 0) settings_.NotificationStyle = static_cast<int32_t>(style);
    if (Editor_DeviceCanVibrate()) settings_.VibrationOn = Editor_IsChecked(page, IDC_INTERFACE_VIBRATION_ON);
    settings_.PluginHeight = Editor_ReadNumber(page, IDC_INTERFACE_HEIGHT, kDefaultPluginHeight, kDefaultPluginHeight);
    return true;
}
