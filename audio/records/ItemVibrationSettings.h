#pragma once
// How an item vibrates: cycle lengths, and optionally a fixed length or a lead
// before the sound. Embedded in every item and, as the program default, in the
// settings; stored in an item's "VibrationSettings" key.
#include "RegKeyRef.h"

#include <cstdint>

class ItemVibrationSettings {
public:
    static constexpr wchar_t kSubKey[] = L"VibrationSettings";
    static constexpr wchar_t kFixedTimeFlagValue[] = L"bFixedVibrationTime";
    static constexpr wchar_t kBeforeSoundFlagValue[] = L"bStartVibrateBeforeSound";
    static constexpr wchar_t kFixedTimeValue[] = L"FixedVibrationTime";
    static constexpr wchar_t kCycleOnValue[] = L"CycleOnTime";
    static constexpr wchar_t kCycleOffValue[] = L"CycleOffTime";
    static constexpr wchar_t kBeforeSoundTimeValue[] = L"VibrateBeforeSoundTime";
    static constexpr uint16_t kDefaultBeforeSoundTime = 5;
    static constexpr uint16_t kDefaultFixedTime = 5;
    static constexpr uint16_t kDefaultCycleOn = 600;
    static constexpr uint16_t kDefaultCycleOff = 400;
    // The on and off times the cycle dialog offers; a stored time outside is brought in.
    static constexpr uint16_t kCycleMinMs = 100, kCycleMaxMs = 2000;

    // The longest lead before the sound and fixed vibration time the vibration page offers.
    static constexpr uint16_t kLeadMaxSeconds = 300, kFixedMaxSeconds = 600;

    // A cycle time within kCycleMinMs..kCycleMaxMs: a 0 ms cycle would spin.
    static uint16_t BoundedCycle(uint16_t ms) {
        return ms < kCycleMinMs ? kCycleMinMs : ms > kCycleMaxMs ? kCycleMaxMs : ms;
    }
    // A lead longer than the page offers is damaged and would keep the ring silent for
    // hours: none, so the sound starts with the vibration (as with a lead of 0).
    static uint16_t BoundedLead(uint16_t seconds) { return seconds > kLeadMaxSeconds ? 0 : seconds; }
    // A fixed vibration time at most as long as the page offers.
    static uint16_t BoundedFixedTime(uint16_t seconds) {
        return seconds > kFixedMaxSeconds ? kFixedMaxSeconds : seconds;
    }
    // The two times as a ring uses them, bounded whatever the record was given.
    int LeadSeconds() const { return BoundedLead(VibrateBeforeSoundTime); }
    int FixedSeconds() const { return BoundedFixedTime(FixedVibrationTime); }

    // Reads the "VibrationSettings" subkey of parent, each unreadable value taking its
    // default and every time bounded; false (record unchanged) when the subkey is missing.
    bool Load(const RegKeyRef& parent);
    // Creates "VibrationSettings" under parent: the flags as REG_DWORD, the times as
    // 2-byte REG_BINARY.
    void Save(const RegKeyRef& parent) const;
    bool operator==(const ItemVibrationSettings& other) const;

    int32_t bFixedVibrationTime = 0;
    int32_t bStartVibrateBeforeSound = 0;
    uint16_t VibrateBeforeSoundTime = kDefaultBeforeSoundTime;  // seconds
    uint16_t FixedVibrationTime = kDefaultFixedTime;            // seconds
    uint16_t CycleOnTime = kDefaultCycleOn;                     // ms
    uint16_t CycleOffTime = kDefaultCycleOff;                   // ms
};
