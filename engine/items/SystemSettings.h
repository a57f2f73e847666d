#pragma once
// The general options: snooze choices, automatic snoozes, vibration, notification
// style, idle behaviour and the Today item's height. Stored in "Clock\System".
#include "RegKeyRef.h"

#include <cstdint>
#include <vector>

class SystemSettings {
public:
    static constexpr wchar_t kSubKey[] = L"System";
    static constexpr wchar_t kAutoSnoozeCountValue[] = L"AutoSnoozeCount";
    static constexpr wchar_t kCloseOnMinimizeValue[] = L"CloseOnMinimize";
    static constexpr wchar_t kStopwatchKeepDeviceValue[] = L"StopwatchKeepDevice";
    static constexpr wchar_t kNoACVibroValue[] = L"NoACVibro";
    static constexpr wchar_t kObeyPowerSettingsValue[] = L"ObeyPowerSettings";
    static constexpr wchar_t kDeleteOnceAlarmsValue[] = L"DeleteOnceAlarms";
    static constexpr wchar_t kVibrationOnValue[] = L"VibrationOn";
    static constexpr wchar_t kNotificationStyleValue[] = L"NotificationStyle";
    static constexpr wchar_t kSnoozeListSubKey[] = L"SnoozeList";
    static constexpr wchar_t kPluginHeightValue[] = L"PluginHeight";

    SystemSettings();
    virtual ~SystemSettings() = default;

    // Leaves every default in place when "System" is missing.
    void Load(const RegKeyRef& clockKey);
    void Save(const RegKeyRef& clockKey) const;

    int32_t AutoSnoozeCount = 4;
    int32_t CloseOnMinimize = 0;
    int32_t StopwatchKeepDevice = 1;
    int32_t NoACVibro = 0;
    int32_t ObeyPowerSettings = 0;
    int32_t DeleteOnceAlarms = 0;
    int32_t VibrationOn = 1;
    int32_t NotificationStyle = 0;  // 0 or 1
    std::vector<int32_t> SnoozeList;  // seconds; always as long as the built-in list
    int32_t PluginHeight = 2;

private:
    void LoadSnoozeList(const RegKeyRef& key);
    void SaveSnoozeList(const RegKeyRef& key) const;
};
