#pragma once
// The one object that makes a ringing item audible and tangible: it plays the ring
// sound on a thread of its own (repeated, with pauses and a rising volume), runs the
// vibrator in on/off cycles, knows the notification LED and holds the backlight blink
// thread. The program creates it at start-up and deletes it at exit, which stops
// everything it runs. Ring windows call it from the user-interface thread and hear back
// through posted messages: kSoundEndedMessage and kVibrationEndedMessage.
//
// A sound plays by one of three routes: the sound engine streams a built-in "WAVE"
// resource or a sound file (the engine stream route); a file ending in "wma" goes to the
// shell's sound player (the platform sound route) or, when that is missing or refuses
// it, to the program's sound-file player (the player route); a file neither of them
// takes goes on to the engine stream. When the sound engine cannot open the device's
// audio, the shell's sound player rings the sound (a built-in one from a file it is
// written to), so an alarm is never silent for want of the engine.
#include <windows.h>

#include <atomic>
#include <memory>

#include "CriticalSection.h"
#include "ItemSoundSettings.h"
#include "ItemVibrationSettings.h"

struct SoundStream;
struct SignallerWatcher;
struct VibrationRun;

class Signaller {
public:
    // Posted to the notify window: the sound ended (wParam 1 when it was stopped on
    // request, else 0), the vibration ended (wParam 0).
    static constexpr UINT kSoundEndedMessage = WM_USER + 12;      // 1036
    static constexpr UINT kVibrationEndedMessage = WM_USER + 13;  // 1037
    // The built-in sound rung by default and in place of a missing one.
    static constexpr int kFallbackResource = ItemSoundSettings::kDefaultSoundResource;
    static constexpr wchar_t kSoundResourceType[] = L"WAVE";
    // How long the backlight is forced on in each second of blinking.
    static constexpr int kBacklightOnMs = 300;

    Signaller();
    virtual ~Signaller();
    Signaller(const Signaller&) = delete;
    Signaller& operator=(const Signaller&) = delete;

    // Stops a sound that still plays, then starts `settings` on the sound thread and
    // waits until it plays or has given up. True when it plays. The sound's end is posted
    // to notifyWindow when postWhenEnded is set; noFallback forbids ringing the built-in
    // sound in place of a missing one.
    bool StartSound(const ItemSoundSettings& settings, HWND notifyWindow, HMODULE resourceModule, bool postWhenEnded,
                    bool noFallback);
    // Ends the repetitions and waits until the sound thread has ended; at once when none runs.
    void StopSound();
    // True while a ring sound is open on any route (an engine stream, the shell's sound
    // player or the sound-file player), pauses between repetitions included.
    bool IsPlaying() const;
    // True while a sound thread runs (between StartSound and its end or StopSound): it
    // may be using the shared sound-file player.
    bool SoundThreadRunning() const;
    // The window named by the last StartSound; a ring window that is no longer it has
    // been taken over by another ring.
    HWND SoundNotifyWindow() const { return notifyWindow_; }

    // Vibrates `seconds` in the cycles of `settings`; at the natural end posts
    // kVibrationEndedMessage to notifyWindow when postAtEnd is set. 1 when it vibrates;
    // 0 without a vibrator or when the vibration cannot start (then the end is posted at
    // once when asked).
    int StartVibration(const ItemVibrationSettings& settings, int seconds, HWND notifyWindow, bool postAtEnd);
    // Ends the vibration; with `wait`, only after its thread has ended.
    void StopVibration(bool wait);
    bool IsVibrating() const { return vibrating_; }
    // The window the running vibration reports to; null when none vibrates.
    HWND VibrationNotifyWindow();

    // The notification LED and the vibrator as found among the device's LEDs.
    bool HasLed() const { return hasLed_; }
    bool HasVibrator() const { return hasVibrator_; }
    UINT LedIndex() const { return ledIndex_; }
    UINT VibratorIndex() const { return vibratorIndex_; }
    // Ring windows that have set the notification LED blinking; they change it under Lock().
    int& LedBlinkCount() { return ledBlinkCount_; }
    CriticalSection& Lock() { return lock_; }

    // The backlight blink thread: forced on kBacklightOnMs and off for the rest of every
    // second until stopped, then given back to the power manager. One thread serves
    // every ring window: a start while it runs does nothing; a stop waits for its end.
    void StartBacklightBlink();
    void StopBacklightBlink();
    bool IsBacklightBlinking();

    // The lowest device volume (percent) a ring may use; 0 on most devices.
    int VolumeFloor() const { return volumeFloor_; }
    // The device volume (percent) read when the last ring started; -1 before any.
    int SavedDeviceVolume() const { return savedVolume_; }
    // The settings of the last ring as it played (a fallback raises repeat and volume).
    const ItemSoundSettings& CurrentSoundSettings() const { return current_; }

private:
    enum class Route { EngineStream, PlatformSound, Player };

    // Sound (SignallerSound.cpp).
    static DWORD WINAPI SoundThread(void* self);
    void RunSoundThread();
    bool PrepareSound();
    void ProfileSoundOff();
    void RestoreProfileSound();
    bool StartEngine();
    void SetUpEngineVolume();
    bool FindSource(HRSRC* resource);
    bool OpenEngineStream();
    void SoundLoop();
    void StartOnePlay();
    void RampStep();
    int RampTarget() const;
    void EndSound();
    void FailPrepare();

    // Platform sound route (SignallerPlatformSound.cpp).
    bool OpenPlatformSound(const wchar_t* file);
    bool OpenShellSound();
    void PlayPlatformSound();
    void ClosePlatformSound();
    bool StartWatcher(HANDLE wait);
    void EndWatcher();
    static DWORD WINAPI SndWaiterThread(void* record);
    // The start volume of the platform sound and player routes.
    int RouteStartVolume() const;

    // Player route (SignallerPlayer.cpp).
    bool OpenPlayerSound();
    void PlayPlayerSound();
    void ClosePlayerSound();
    bool PlayerIsPlaying() const;
    static void ClosePlayerEngine();
    static void DestroyPlayer();

    // Vibration, LEDs and backlight (SignallerVibration.cpp).
    static DWORD WINAPI VibrationThread(void* run);
    void RunVibration(const std::shared_ptr<VibrationRun>& run);
    void EndVibrationNaturally(const std::shared_ptr<VibrationRun>& run, bool report);
    std::shared_ptr<VibrationRun> DetachVibration();
    void VibratorOn();
    void VibratorOff();
    void StopVibrateFunction();
    void ProbeVibrate();
    void FindLeds();
    static DWORD WINAPI BacklightBlinkThread(void* self);

    CriticalSection lock_;

    // The ring sound.
    ItemSoundSettings current_;
    HANDLE finish_ = nullptr;         // one play ended, or a stop wakes the sound thread
    HANDLE threadStarted_ = nullptr;  // the sound thread prepared its sound
    HANDLE threadEnded_ = nullptr;    // the sound thread's very last step
    std::atomic<HANDLE> soundThread_{nullptr};  // closed and forgotten by the thread itself
    bool soundThreadLive_ = false;  // a sound thread was started and its end not yet seen
    std::atomic<bool> stop_{false};
    bool engineReady_ = false;
    bool fallbackAllowed_ = true;
    int fallbackResource_ = kFallbackResource;
    HMODULE resourceModule_ = nullptr;
    HWND notifyWindow_ = nullptr;
    bool postWhenEnded_ = true;
    std::atomic<Route> route_{Route::EngineStream};
    bool rampByDeviceVolume_ = true;
    std::atomic<SoundStream*> stream_{nullptr};
    // The sound-file player holds this ring's sound, from its load to the ring's end: the
    // player itself is idle in the pauses.
    std::atomic<bool> playerRing_{false};
    std::atomic<HANDLE> platformSound_{nullptr};
    std::unique_ptr<SignallerWatcher> watcher_;
    int savedVolume_ = -1;
    int volumeFloor_ = 0;
    DWORD savedSoundType_;
    HANDLE wavRequirement_ = nullptr;
    DWORD rampStart_ = 0;
    float rampRate_ = 0;
    bool rampDone_ = false;

    // Vibration, LEDs and backlight. Each vibration keeps its settings, its stop event and
    // its thread in a record of its own, so a vibration's end never touches the next one's.
    std::shared_ptr<VibrationRun> vibrationRun_;  // the running vibration, under the lock
    std::atomic<bool> vibrating_{false};
    std::atomic<int> vibrationThreads_{0};
    HANDLE backlightStop_ = nullptr;
    HANDLE backlightThread_ = nullptr;
    int backlightOnMs_ = kBacklightOnMs;
    bool hasLed_ = false;
    bool hasVibrator_ = false;
    UINT ledIndex_ = 0;
    UINT vibratorIndex_ = 1;
    int ledBlinkCount_ = 0;
    bool vibrateUsable_ = false;
};

// The device volume (left channel of wave-out device 0) in percent, rounded up.
int Volume_GetPercent();
// Sets the device volume (both channels of wave-out device 0) to percent of the range
// above the signaller's floor; percent is cut to 0..100. The wave-out result.
UINT Volume_SetPercent(const Signaller& signaller, int percent);
// The same without the floor.
UINT Volume_SetPercentRaw(int percent);
// Sets one notification LED (or the vibrator driven as one): 0 off, 1 on, 2 blink.
// Nothing happens on a device without the LED driver.
void Led_SetState(UINT led, int state);
// True when the shell's sound player exists, so "wma" files can ring.
bool Sound_HasSndApi();
