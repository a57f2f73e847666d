#pragma once
// The application-wide options, kept under "Clock" in the product key: the
// screen saver, the general options and the sound and vibration every new alarm
// and timer starts with. The item store owns the one Settings object.
#include "ItemSoundSettings.h"
#include "ItemVibrationSettings.h"
#include "RegKeyRef.h"
#include "ScreenSaverSettings.h"
#include "SystemSettings.h"

#include <memory>

// A record of the screens kept under the settings' "Clock" key (the hardware-button
// map): the program installs it, and the settings load and save it with their own.
class ClockKeyRecord {
public:
    virtual ~ClockKeyRecord() = default;
    virtual void Load(const RegKeyRef& clockKey) = 0;
    virtual void Save(const RegKeyRef& clockKey) const = 0;
};

class Settings {
public:
    static constexpr wchar_t kClockSubKey[] = L"Clock";
    static constexpr wchar_t kDefaultsSubKey[] = L"DefaultSettings";

    Settings();
    virtual ~Settings() = default;
    Settings(const Settings&) = delete;
    Settings& operator=(const Settings&) = delete;

    // Reads everything under productKey\Clock; without "Clock" everything keeps its default.
    void Load(const RegKeyRef& productKey, bool activityDriverUsable);
    // Writes everything under productKey\Clock; nothing when "Clock" cannot be created.
    void Save(const RegKeyRef& productKey) const;

    // Installs the screens' record (null: none) and returns the previous one.
    static ClockKeyRecord* SetButtonRecord(ClockKeyRecord* record);

    std::unique_ptr<ScreenSaverSettings> screenSaver;
    std::unique_ptr<SystemSettings> system;
    std::unique_ptr<ItemSoundSettings> defaultSoundSettings;
    std::unique_ptr<ItemVibrationSettings> defaultVibrationSettings;
};
