#include "Settings.h"

namespace {
ClockKeyRecord* gButtonRecord = nullptr;
}

ClockKeyRecord* Settings::SetButtonRecord(ClockKeyRecord* record) {
    ClockKeyRecord* previous = gButtonRecord;
    gButtonRecord = record;
    return previous;
}

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
    if (gButtonRecord) gButtonRecord->Load(clock);
}

void Settings::Save(const RegKeyRef& productKey) const {
    RegKeyRef clock = RegKeyRef::OpenSubKey(kClockSubKey, productKey, false);
    if (!clock.IsOpen()) return;
    screenSaver->Save(clock);
    system->Save(clock);
    if (gButtonRecord) gButtonRecord->Save(clock);
    // "Clock\Language" comes with the translator.
    RegKeyRef defaults = RegKeyRef::OpenSubKey(kDefaultsSubKey, clock, false);
    if (!defaults.IsOpen()) return;
    defaultSoundSettings->Save(defaults);
    defaultVibrationSettings->Save(defaults);
}
