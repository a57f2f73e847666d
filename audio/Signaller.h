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

private:
    bool vibrating_ = false;
    bool hasVibrator_ = false;
};
