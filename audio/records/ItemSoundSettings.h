#pragma once
// How an item rings: a built-in sound or a sound file (or folder), its volume,
// how often it repeats and how fast the volume rises. Embedded in every item and,
// as the program default, in the settings; stored in an item's "SoundSettings" key.
//
// A plain copy shares the path's string block, whose count is not atomic: copies
// stay on the GUI thread. What a ringing thread gets comes from ThreadCopy.
#include "RcString.h"
#include "RegKeyRef.h"

#include <cstdint>

class ItemSoundSettings {
public:
    static constexpr wchar_t kSubKey[] = L"SoundSettings";
    static constexpr wchar_t kCustomValue[] = L"custom";
    static constexpr wchar_t kCustomResValue[] = L"customres";
    static constexpr wchar_t kVolumeValue[] = L"volume";
    static constexpr wchar_t kRepeatValue[] = L"repeat";
    static constexpr wchar_t kRepSplitValue[] = L"repsplit";
    static constexpr wchar_t kAscTimeValue[] = L"asctime";
    static constexpr wchar_t kRespectSysValue[] = L"respectsys";
    // The built-in "WAVE" resource rung by default and when another one is missing.
    static constexpr int32_t kDefaultSoundResource = 200;

    ItemSoundSettings() = default;
    ItemSoundSettings(const ItemSoundSettings&) = default;
    ItemSoundSettings& operator=(const ItemSoundSettings&) = default;
    virtual ~ItemSoundSettings() = default;

    // Every field, the path in a block of its own, safe to hand to another thread.
    ItemSoundSettings ThreadCopy() const;
    // Reads the "SoundSettings" subkey of parent; false (record unchanged) when it is missing.
    // A value that is missing or of another type leaves its field unchanged.
    bool Load(const RegKeyRef& parent);
    // Creates "SoundSettings" under parent and writes all seven values.
    void Save(const RegKeyRef& parent) const;
    RcString GetFile() const { return custom; }
    bool operator==(const ItemSoundSettings& other) const;

    int32_t builtIn = 1;  // 1: the resource customres; 0: the file or folder custom
    RcString custom;
    uint16_t volume = 60;    // percent
    uint16_t repeat = 20;    // plays; 0 plays nothing
    uint16_t repsplit = 2;   // seconds between plays
    uint16_t asctime = 20;   // seconds over which the volume rises
    int32_t respectsys = 0;  // leave the device volume and sound profile alone
    int32_t customres = kDefaultSoundResource;
};
