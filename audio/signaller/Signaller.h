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
// audio, or its output goes away in the middle of a ring, the shell's sound player rings
// the sound (a built-in one from a file it is written to), so an alarm is never silent
// for want of the engine; when nothing can sound the ring keeps its time silently and its
// window hears so, to vibrate in its place.
//
// Each sound belongs to the window it was started for. A newer sound takes the
// loudspeaker over without ending the older one: that one waits and goes on (from the
// play it was in) once the newer one is over, and each window stops only its own.
#include <windows.h>

#include <atomic>
#include <memory>
#include <vector>

#include "CriticalSection.h"
#include "ItemSoundSettings.h"
#include "ItemVibrationSettings.h"

struct SoundStream;
struct SignallerWatcher;
struct SoundRequest;
struct VibrationRun;
enum class SoundOutcome;

class Signaller {
public:
    // Posted to the notify window: the sound ended (wParam 1 when it was stopped on
    // request, else 0), the vibration ended (wParam 0) or was taken over (below).
    static constexpr UINT kSoundEndedMessage = WM_USER + 12;      // 1036
    static constexpr UINT kVibrationEndedMessage = WM_USER + 13;  // 1037
    // wParam of kVibrationEndedMessage: another window's vibration took the vibrator over
    // before this one's reported end; lParam: the milliseconds it still had to run.
    static constexpr WPARAM kVibrationTakenOver = 1;
    // The built-in sound rung by default and in place of a missing one.
    static constexpr int kFallbackResource = ItemSoundSettings::kDefaultSoundResource;
    static constexpr wchar_t kSoundResourceType[] = L"WAVE";
    // How long the backlight is forced on in each second of blinking.
    static constexpr int kBacklightOnMs = 300;

    Signaller();
    virtual ~Signaller();
    Signaller(const Signaller&) = delete;
    Signaller& operator=(const Signaller&) = delete;

    // wParam of kSoundEndedMessage beside 0 (the end) and 1 (stopped on request): nothing
    // could be played and no end follows; or the sound's output went away in the middle
    // and nothing can sound now: the ring keeps its time silently and its end follows.
    static constexpr WPARAM kSoundFailed = 2;
    static constexpr WPARAM kSoundSilenced = 3;

    // Starts `settings` for notifyWindow on the sound thread and returns at once: the
    // sound's number, which its messages carry as lParam (0 when no thread could start).
    // A sound of another window that plays waits until this one is over; an earlier
    // sound of the same window is replaced without a word. The end is posted when
    // postWhenEnded is set, and so is a failure; noFallback forbids ringing the built-in
    // sound in place of a missing one. User-interface thread only.
    DWORD BeginSound(const ItemSoundSettings& settings, HWND notifyWindow, HMODULE resourceModule, bool postWhenEnded,
                     bool noFallback);
    // The same, waiting until the sound plays or has given up: true when it plays. A
    // sound that could not be played posts nothing.
    bool StartSound(const ItemSoundSettings& settings, HWND notifyWindow, HMODULE resourceModule, bool postWhenEnded,
                    bool noFallback);
    // Ends the sounds started for `window`, the playing one only after its end step;
    // the others' go on.
    void StopSound(HWND window);
    // Ends every sound and waits until the sound thread has ended; at once when none runs.
    void StopSound();
    // True while a ring sound is open on any route (an engine stream, the shell's sound
    // player or the sound-file player), pauses between repetitions included.
    bool IsPlaying() const;
    // True while a sound of `window` is open.
    bool IsPlayingFor(HWND window) const;
    // True while `window` has a sound that plays, is about to, waits behind a newer one
    // or keeps its time silently.
    bool HasSoundFor(HWND window);
    // True while a sound thread runs (between StartSound and its end or StopSound): it
    // may be using the shared sound-file player.
    bool SoundThreadRunning() const { return soundThreads_ > 0; }
    // True while anything of a ring is under way: a sound (audible or not) or a vibration.
    bool IsBusy() const { return SoundThreadRunning() || vibrating_; }
    // The window of the newest sound, null when none is under way.
    HWND SoundNotifyWindow();

    // Vibrates `seconds` in the cycles of `settings`; at the natural end posts
    // kVibrationEndedMessage to notifyWindow when postAtEnd is set. 1 when it vibrates;
    // 0 without a vibrator or when the vibration cannot start (then the end is posted at
    // once when asked). A reporting vibration of another window that this one replaces
    // hears kVibrationTakenOver instead of its end: its window keeps its time.
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
    // None: nothing can sound; the ring keeps its time silently.
    enum class Route { EngineStream, PlatformSound, Player, None };
    using Request = std::shared_ptr<SoundRequest>;

    // Sounds and their turns (Signaller.cpp).
    Request Begin(const ItemSoundSettings& settings, HWND notifyWindow, HMODULE resourceModule, bool postWhenEnded,
                  bool noFallback, bool reportFailure);
    bool StartSoundThread();
    // Ends the sounds of `window` (all: every sound) that wait for their turn and asks the
    // playing one to stop; that one, when it was among them.
    Request StopSounds(HWND window, bool all);
    Request NextTurn();
    void EndTurn(const Request& r, SoundOutcome outcome);
    void Report(const SoundRequest& r, WPARAM what) const;
    static bool Interrupted(const SoundRequest& r);

    // Sound (SignallerSound.cpp).
    static DWORD WINAPI SoundThread(void* self);
    void RunSoundThread();
    SoundOutcome Play(SoundRequest& r);
    bool PrepareSound(SoundRequest& r);
    void ProfileSoundOff();
    void RestoreProfileSound();
    bool StartEngine(int attempts);
    void SetUpEngineVolume();
    bool FindSource(HRSRC* resource);
    bool OpenEngineStream();
    void SoundLoop(SoundRequest& r);
    void StartOnePlay(SoundRequest& r);
    bool WaitForPlay(SoundRequest& r);
    bool Pause(SoundRequest& r);
    bool SwitchIfOutputLost(SoundRequest& r);
    void GoSilent(SoundRequest& r);
    void RampStep();
    int RampTarget() const;
    void CloseRoute();
    void EndSound(bool settle);
    void CloseEngine();
    void FailPrepare();

    // Platform sound route (SignallerPlatformSound.cpp).
    bool OpenPlatformSound(const wchar_t* file);
    bool OpenShellSound();
    bool PlayPlatformSound();
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
    void EndVibrationRun(const std::shared_ptr<VibrationRun>& run, bool wait);
    void VibratorOn();
    void VibratorOff();
    void StopVibrateFunction();
    void ProbeVibrate();
    void FindLeds();
    static DWORD WINAPI BacklightBlinkThread(void* self);

    CriticalSection lock_;

    // The sounds, under the lock: the one whose turn it is (playing or about to) and
    // those it took the loudspeaker from, the newest last.
    Request front_;
    std::vector<Request> held_;
    DWORD lastSoundId_ = 0;
    bool soundThreadLive_ = false;  // a sound thread takes the turns; it alone clears this
    std::atomic<int> soundThreads_{0};

    // The sound thread's own: the sound in play and how it plays.
    ItemSoundSettings current_;
    HANDLE finish_ = nullptr;  // one play ended
    HANDLE wake_ = nullptr;    // the sound in play was stopped or taken over
    std::atomic<HWND> playingFor_{nullptr};
    bool engineReady_ = false;
    bool fallbackAllowed_ = true;
    int fallbackResource_ = kFallbackResource;
    HMODULE resourceModule_ = nullptr;
    DWORD silentPlayEnd_ = 0;  // device tick count when a play of the silent route is over
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
