#pragma once
// What a ring window starts and stops through the signaller and the device: LED
// blinking, backlight flashing and the backlight requirement, vibration, the item's
// action and the sound, and what follows the end of the sound. Several ring windows
// may be open; the newest takes the signaller's sound and vibration over, an older one's
// sound goes on after it, and each stops only what is its own. GUI thread only.
#include <windows.h>

class RingController;

namespace RingSignals {

// The self-close poll of the windows that show nothing.
constexpr UINT_PTR kSelfClosePollTimer = 12;
constexpr UINT kSelfClosePollMs = 3000;
constexpr UINT kDefaultKeepOnMs = 60000;
// The longest keep-on time a window timer takes (about 24 days).
constexpr UINT kMaxKeepOnMs = USER_TIMER_MAXIMUM;
// The vibration that lasts as long as the sound, which stops it.
constexpr int kVibrationWithSoundSeconds = 1200;

// Starts LED, backlight flashing, the backlight requirement or self-close poll,
// vibration, the item's action and the sound, for the ring window `window`.
void Start(RingController& ring, HWND window);
// Stops what this window started, unless another window has taken the signaller over.
void Stop(RingController& ring);
// Stops the sound, and a vibration that runs with it.
void StopSound(RingController& ring);
// Gives back this ring's share of the LED and ends the backlight blink thread.
void StopLedAndFlash(RingController& ring);
// The vibration that runs as long as the sound ends with it.
void StopVibrationWithSound(RingController& ring);
// After the sound: the item's automatic action, then the backlight stays on for the
// system's own backlight time-out (the ring window's timer 125).
void AfterSound(RingController& ring);
// The system's backlight time-out on battery or mains, 60 s when unset or "never",
// at most kMaxKeepOnMs.
UINT BacklightKeepOnMs();
// VibrationEndedMessage: a vibration before the sound is over, so the sound starts.
// VibrationEndedMessage: the end of the vibration before the sound, which then starts;
// or (wParam kVibrationTakenOver) another ring took the vibrator over, and the rest of
// that time (lParam, ms) is waited out on the window's lead timer.
void OnVibrationEnded(RingController& ring, WPARAM wParam, LPARAM lParam);
// The vibration before the sound is over, however it ended: the sound follows.
void EndLead(RingController& ring);
// Releases the backlight requirement this ring holds.
void ReleaseBacklight(RingController& ring);
// SoundEndedMessage (lParam: the sound's number): the end of this ring's sound, or that
// nothing could sound, whereupon the vibration and the LED take its place.
void OnSoundMessage(RingController& ring, WPARAM wParam, LPARAM lParam);
// True until this ring's sound is over (its end message handled) and its vibration too.
bool StillSounding(const RingController& ring);
// True when this ring's window is the one the vibration reports to.
bool IsVibrationNotifyWindow(const RingController& ring);
// The platform's all-events sound type means silence: none (2) and disable (3).
bool IsSilentSoundType(DWORD soundType);
// The engine window, null when there is none.
HWND EngineWindow();

}  // namespace RingSignals
