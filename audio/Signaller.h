#pragma once
// The single object that rings an item: sound, vibration, LED and backlight.
// Created at start-up and deleted at shutdown, which stops everything it runs.
#include <windows.h>

class Signaller {
public:
    Signaller() = default;
    ~Signaller();
    Signaller(const Signaller&) = delete;
    Signaller& operator=(const Signaller&) = delete;

    // True while a ring sound plays.
    bool IsPlaying() const { return false; }
    // True from the start of the vibration thread until it ends or is stopped.
    bool IsVibrating() const { return vibrating_; }
    bool HasVibrator() const { return hasVibrator_; }
    // The lowest device volume (percent) a ring may use; 0 on most devices.
    int VolumeFloor() const { return volumeFloor_; }

private:
    bool vibrating_ = false;
    bool hasVibrator_ = false;
    int volumeFloor_ = 0;
};

// Sets the device volume (both channels of wave-out device 0) to percent of the range
// above the signaller's floor; percent is cut to 0..100. The wave-out result.
UINT Volume_SetPercent(const Signaller& signaller, int percent);
