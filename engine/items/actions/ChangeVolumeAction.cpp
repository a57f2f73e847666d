#include "ChangeVolumeAction.h"

#include "ActionKey.h"
#include "ActionScreens.h"
#include "soundfile.h"

bool ChangeVolumeAction::Save(RegKeyRef itemKey) const {
    RegKeyRef key = ActionKey_Open(itemKey, kSubKey);
    RegKeyRef_SetBinary4(key, static_cast<DWORD>(Type), kTypeValue);
    ActionKey_WriteInt(key, Vol, kVolValue);
    ActionKey_WriteInt(key, RingVol, kRingVolValue);
    return true;
}

bool ChangeVolumeAction::Load(RegKeyRef itemKey) {
    RegKeyRef key = ActionKey_Open(itemKey, kSubKey);
    DWORD stored = 0, size = sizeof stored;
    if (RegKeyRef_QueryValue(key, kTypeValue, nullptr, &stored, &size) != ERROR_SUCCESS || size != sizeof stored)
        stored = 0;
    Type = static_cast<int32_t>(stored);
    ActionKey_ReadInt(key, Vol, kVolValue, kDefaultVolume);
    ActionKey_ReadInt(key, RingVol, kRingVolValue, kDefaultVolume);
    return true;
}

uint32_t ChangeVolumeAction::PlatformSoundType(int32_t type) {
    // The editor stores 2 for vibrate and 3 for silent; the platform counts 1 and 2.
    switch (type) {
    case kTypeOn:
        return SND_SOUNDTYPE_ON;
    case SND_SOUNDTYPE_VIBRATE:
    case kTypeVibrate:
        return SND_SOUNDTYPE_VIBRATE;
    case kTypeOff:
        return SND_SOUNDTYPE_NONE;
    default:
        return static_cast<uint32_t>(type);  // unknown: the platform refuses it
    }
}

uint32_t ChangeVolumeAction::RingStep(int32_t percent) {
    int32_t step = percent / kPercentPerRingStep;
    return static_cast<uint32_t>(step < 0 ? 0 : (step > kMaxRingStep ? kMaxRingStep : step));
}

bool ChangeVolumeAction::EditSettings(HWND parent) {
    ActionScreens* screens = ActionScreens::Current();
    return screens && screens->EditVolume(parent, *this);
}
