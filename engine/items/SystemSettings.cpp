#include "SystemSettings.h"

#include "RegKeyRefTyped.h"

#include <string>

namespace {

const int32_t kBuiltInSnoozeList[] = {300, 600, 1200, 1800, 3600};
const int32_t kMaxNotificationStyle = 1;

}  // namespace

SystemSettings::SystemSettings() : SnoozeList(std::begin(kBuiltInSnoozeList), std::end(kBuiltInSnoozeList)) {}

void SystemSettings::Load(const RegKeyRef& clockKey) {
    RegKeyRef key = RegKeyRef::OpenSubKey(kSubKey, clockKey, true);
    if (!key.IsOpen()) return;
    RegKeyRef_QueryInt(key, &CloseOnMinimize, kCloseOnMinimizeValue);
    RegKeyRef_QueryInt(key, &NotificationStyle, kNotificationStyleValue);
    if (NotificationStyle > kMaxNotificationStyle) NotificationStyle = kMaxNotificationStyle;
    RegKeyRef_QueryInt(key, &ObeyPowerSettings, kObeyPowerSettingsValue);
    RegKeyRef_QueryInt(key, &PluginHeight, kPluginHeightValue);
    RegKeyRef_QueryInt(key, &VibrationOn, kVibrationOnValue);
    RegKeyRef_QueryInt(key, &NoACVibro, kNoACVibroValue);
    RegKeyRef_QueryInt(key, &AutoSnoozeCount, kAutoSnoozeCountValue);
    LoadSnoozeList(key);
    RegKeyRef_QueryInt(key, &StopwatchKeepDevice, kStopwatchKeepDeviceValue);
    RegKeyRef_QueryInt(key, &DeleteOnceAlarms, kDeleteOnceAlarmsValue);
}

void SystemSettings::LoadSnoozeList(const RegKeyRef& parent) {
    RegKeyRef key = RegKeyRef::OpenSubKey(kSnoozeListSubKey, parent, false);
    for (size_t i = 0; i < SnoozeList.size(); ++i) RegKeyRef_QueryInt(key, &SnoozeList[i], std::to_wstring(i).c_str());
}

void SystemSettings::Save(const RegKeyRef& clockKey) const {
    RegKeyRef key = RegKeyRef::OpenSubKey(kSubKey, clockKey, false);
    if (!key.IsOpen()) return;
    RegKey_WriteDword(key, static_cast<DWORD>(CloseOnMinimize), kCloseOnMinimizeValue);
    RegKey_WriteDword(key, static_cast<DWORD>(NotificationStyle), kNotificationStyleValue);
    RegKey_WriteDword(key, static_cast<DWORD>(PluginHeight), kPluginHeightValue);
    RegKey_WriteDword(key, static_cast<DWORD>(AutoSnoozeCount), kAutoSnoozeCountValue);
    RegKey_WriteDword(key, static_cast<DWORD>(NoACVibro), kNoACVibroValue);
    SaveSnoozeList(key);
    RegKey_WriteDword(key, static_cast<DWORD>(ObeyPowerSettings), kObeyPowerSettingsValue);
    RegKey_WriteDword(key, static_cast<DWORD>(VibrationOn), kVibrationOnValue);
    RegKey_WriteDword(key, static_cast<DWORD>(StopwatchKeepDevice), kStopwatchKeepDeviceValue);
    RegKey_WriteDword(key, static_cast<DWORD>(DeleteOnceAlarms), kDeleteOnceAlarmsValue);
}

void SystemSettings::SaveSnoozeList(const RegKeyRef& parent) const {
    RegKeyRef key = RegKeyRef::OpenSubKey(kSnoozeListSubKey, parent, false);
    if (!key.IsOpen()) return;
    for (size_t i = 0; i < SnoozeList.size(); ++i)
        RegKeyRef_SetBinary4(key, static_cast<DWORD>(SnoozeList[i]), std::to_wstring(i).c_str());
}
