#include "ItemVibrationSettings.h"

#include "RegKeyRefTyped.h"

bool ItemVibrationSettings::Load(const RegKeyRef& parent) {
    RegKeyRef key = RegKeyRef::OpenSubKey(kSubKey, parent, true);
    if (!key.IsOpen()) return false;
    DWORD flag = 0;
    RegKeyRef_QueryDword(key, &flag, kFixedTimeFlagValue, 0);
    bFixedVibrationTime = static_cast<int32_t>(flag);
    RegKeyRef_QueryDword(key, &flag, kBeforeSoundFlagValue, 0);
    bStartVibrateBeforeSound = static_cast<int32_t>(flag);
    RegKeyRef_ReadShort(key, &FixedVibrationTime, kFixedTimeValue, kDefaultFixedTime);
    RegKeyRef_ReadShort(key, &CycleOnTime, kCycleOnValue, kDefaultCycleOn);
    RegKeyRef_ReadShort(key, &CycleOffTime, kCycleOffValue, kDefaultCycleOff);
    RegKeyRef_ReadShort(key, &VibrateBeforeSoundTime, kBeforeSoundTimeValue, kDefaultBeforeSoundTime);
    CycleOnTime = BoundedCycle(CycleOnTime);
    CycleOffTime = BoundedCycle(CycleOffTime);
    VibrateBeforeSoundTime = BoundedLead(VibrateBeforeSoundTime);
    FixedVibrationTime = BoundedFixedTime(FixedVibrationTime);
    return true;
}

void ItemVibrationSettings::Save(const RegKeyRef& parent) const {
    RegKeyRef key = RegKeyRef::OpenSubKey(kSubKey, parent, false);
    if (!key.IsOpen()) return;
    RegKey_WriteDword(key, static_cast<DWORD>(bFixedVibrationTime), kFixedTimeFlagValue);
    RegKey_WriteDword(key, static_cast<DWORD>(bStartVibrateBeforeSound), kBeforeSoundFlagValue);
    RegKeyRef_WriteShort(key, FixedVibrationTime, kFixedTimeValue);
    RegKeyRef_WriteShort(key, CycleOnTime, kCycleOnValue);
    RegKeyRef_WriteShort(key, CycleOffTime, kCycleOffValue);
    RegKeyRef_WriteShort(key, VibrateBeforeSoundTime, kBeforeSoundTimeValue);
}

bool ItemVibrationSettings::operator==(const ItemVibrationSettings& other) const {
    return bFixedVibrationTime == other.bFixedVibrationTime &&
           bStartVibrateBeforeSound == other.bStartVibrateBeforeSound &&
           VibrateBeforeSoundTime == other.VibrateBeforeSoundTime && FixedVibrationTime == other.FixedVibrationTime &&
           CycleOnTime == other.CycleOnTime && CycleOffTime == other.CycleOffTime;
}
