#include "Settings.h"

Settings::Settings()
    : screenSaver(new ScreenSaverSettings),
      system(new SystemSettings),
      defaultSoundSettings(new ItemSoundSettings),
      defaultVibrationSettings(new ItemVibrationSettings) {}

void Settings::Load(const RegKeyRef& productKey, bool activityDriverUsable) {
    RegKeyRef clock = RegKeyRef::OpenSubKey(kClockSubKey, productKey, true);
    if (!clock.IsOpen()) return;
    RegKeyRef defaults = RegKeyRef::OpenSubKey(kDefaultsSubKey, clock, false);
    defaultSoundSettings->Load(defaults);
    defaultVibrationSettings->Load(defaults);
    screenSaver->Load(clock, activityDriverUsable);
    system->Load(clock);
    // The hardware-button map under "Clock\Buttons" comes with the button map class.
}

void Settings::Save(const RegKeyRef& productKey) const {
    RegKeyRef clock = RegKeyRef::OpenSubKey(kClockSubKey, productKey, false);
    if (!clock.IsOpen()) return;
    screenSaver->Save(clock);
    system->Save(clock);
    // The button map and "Clock\Language" come with the button map and the translator.
    RegKeyRef defaults = RegKeyRef::OpenSubKey(kDefaultsSubKey, clock, false);
    if (!defaults.IsOpen()) return;
    defaultSoundSettings->Save(defaults);
    defaultVibrationSettings->Save(defaults);
}
