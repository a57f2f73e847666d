#pragma once
// The single object that rings an item: sound, vibration, LED and backlight.
// Created at start-up and deleted at shutdown, which stops everything it runs.
// Nothing rings yet: every start answers that nothing plays or vibrates, so ring
// screens fall back to their silent behaviour.
#include <windows.h>

#include "CriticalSection.h"
#include "ItemSoundSettings.h"
#include "ItemVibrationSettings.h"

class Signaller {
public:
    // Posted to the notify window: the sound ended (wParam 1 when it was stopped on
    // request, else 0), the vibration ended (wParam 0).
    static constexpr UINT kSoundEndedMessage = WM_USER + 12;      // 1036
    static constexpr UINT kVibrationEndedMessage = WM_USER + 13;  // 1037

    Signaller() = default;
    ~Signaller();
    Signaller(const Signaller&) = delete;
    Signaller& operator=(const Signaller&) = delete;

    // True when the sound plays; its end is posted to notifyWindow when postWhenEnded is set.
    bool StartSound(const ItemSoundSettings&, HWND, HMODULE, bool, bool) { return false; }
    void StopSound() {}
    // True while a ring sound plays.
    bool IsPlaying() const { return false; }
    // The window named by the last StartSound; a ring window that is no longer it has
    // been taken over by another ring.
    HWND SoundNotifyWindow() const { return nullptr; }

    // 1 when it vibrates; 0 without a vibrator.
    int StartVibration(const ItemVibrationSettings&, int, HWND, bool) { return 0; }
    void StopVibration(bool) {}
    // True from the start of the vibration thread until it ends or is stopped.
    bool IsVibrating() const { return vibrating_; }
    // The window the running vibration reports to; null when none vibrates.
    HWND VibrationNotifyWindow() { return nullptr; }

    bool HasLed() const { return false; }
    bool HasVibrator() const { return hasVibrator_; }
    UINT LedIndex() const { return 0; }
    // Ring windows that have set the notification LED blinking; they change it under Lock().
    int& LedBlinkCount() { return ledBlinkCount_; }
    CriticalSection& Lock() { return lock_; }

    void StartBacklightBlink() {}
    void StopBacklightBlink() {}

    // The lowest device volume (percent) a ring may use; 0 on most devices.
    int VolumeFloor() const { return volumeFloor_; }

private:
    CriticalSection lock_;
    bool vibrating_ = false;
    bool hasVibrator_ = false;
    int volumeFloor_ = 0;
    int ledBlinkCount_ = 0;
};

// The device volume (left channel of wave-out device 0) in percent, rounded up.
int Volume_GetPercent();
// Sets the device volume (both channels of wave-out device 0) to percent of the range
// above the signaller's floor; percent is cut to 0..100. The wave-out result.
UINT Volume_SetPercent(const Signaller& signaller, int percent);
// Sets one notification LED: 0 off, 1 on, 2 blink. Nothing happens without the LED driver.
void Led_SetState(UINT led, int state);
