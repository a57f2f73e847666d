#pragma once
// Changes the device's sound profile and, when it rings aloud, its system and ring
// volumes.
#include "Action.h"
#include "ActionRunner.h"

#include <cstdint>

class ChangeVolumeAction : public ClonableAction<ChangeVolumeAction> {
public:
    static constexpr wchar_t kSubKey[] = L"ChangeVolume";
    static constexpr wchar_t kTypeValue[] = L"Type";
    static constexpr wchar_t kVolValue[] = L"Vol";
    static constexpr wchar_t kRingVolValue[] = L"RingVol";
    static constexpr int kNameStringId = 418;
    // Stored types, as the editor writes them: ring aloud, vibrate, silent.
    static constexpr int32_t kTypeOn = 0;
    static constexpr int32_t kTypeVibrate = 2;
    static constexpr int32_t kTypeOff = 3;
    static constexpr int32_t kDefaultVolume = 60;
    // The ring volume's registry value and its steps.
    static constexpr wchar_t kRingCategoryKey[] = L"ControlPanel\\SoundCategories\\Ring";
    static constexpr wchar_t kInitVolValue[] = L"InitVol";
    static constexpr int32_t kPercentPerRingStep = 20;
    static constexpr int32_t kMaxRingStep = 5;

    bool Save(RegKeyRef itemKey) const override;
    bool Load(RegKeyRef itemKey) override;
    // False when the device has no sound profile to change.
    bool Execute() override { return ActionRunner::RunInstalled(*this); }
    bool EditSettings(HWND parent) override;
    bool HasSettings() const override { return true; }
    int NameStringId() const override { return kNameStringId; }

    // The platform's sound type for a stored type.
    static uint32_t PlatformSoundType(int32_t type);
    // The ring volume step (0..5) for a percentage.
    static uint32_t RingStep(int32_t percent);

    int32_t Type = kTypeOn;
    int32_t Vol = kDefaultVolume;
    int32_t RingVol = kDefaultVolume;
};
