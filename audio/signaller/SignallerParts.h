#pragma once
// What the Signaller's source files share and nobody else needs.
#include <windows.h>

#include <atomic>

#include "ItemSoundSettings.h"
#include "ItemVibrationSettings.h"

// The saved sound type that means "nothing saved".
constexpr DWORD kNoSavedSoundType = 100;
// StopSound looks for the sound thread's end this often.
constexpr DWORD kStopPollMs = 100;
// NLED states.
constexpr int kLedOff = 0;
constexpr int kLedOn = 1;

// One sound a window asked for, from its start to its end: what to play, for whom, and
// how far it got, so that one taken over by a newer sound goes on where it was.
struct SoundRequest {
    DWORD id = 0;
    ItemSoundSettings settings;  // as it plays: the file found, a fallback's repeat and volume
    HWND owner = nullptr;
    HMODULE module = nullptr;
    bool postWhenEnded = true;
    bool fallbackAllowed = true;
    bool reportFailure = false;  // its window hears of a sound that could not be played
    bool resolved = false;       // the file or folder has been looked for
    int playsDone = 0;
    bool rampStarted = false;
    DWORD rampStart = 0;  // device tick count: the volume rises from the sound's first play on
    DWORD playMs = 0;     // the length of one play, as far as known
    std::atomic<bool> stop{false};      // its window ended it
    std::atomic<bool> heldBack{false};  // a newer sound has the loudspeaker: it goes on later
    std::atomic<bool> dropped{false};   // its window started it anew: it ends without a word
    HANDLE started = CreateEventW(nullptr, TRUE, FALSE, nullptr);  // it plays
    HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);     // it is over, its end posted
    SoundRequest() = default;
    SoundRequest(const SoundRequest&) = delete;
    SoundRequest& operator=(const SoundRequest&) = delete;
    ~SoundRequest() {
        if (started) CloseHandle(started);
        if (done) CloseHandle(done);
    }
};

// How a sound's turn on the sound thread ended.
enum class SoundOutcome { Ended, Stopped, Failed, HeldBack, Dropped };

// The watcher thread of the platform sound route: it sets the finish event when the
// player's wait handle comes; the sound loop hands it the handle of each new play.
struct SignallerWatcher {
    HANDLE thread = nullptr;
    DWORD threadId = 0;
    std::atomic<HANDLE> wait{nullptr};
    HANDLE finish = nullptr;
};

// One vibration: its settings, length, report and stop event, shared by the Signaller
// (while it is the running one) and its thread.
class Signaller;
struct VibrationRun {
    Signaller* owner = nullptr;
    ItemVibrationSettings settings;
    int timeLeftMs = 0;
    DWORD endTick = 0;  // device tick count when it is over
    HWND notifyWindow = nullptr;
    bool postAtEnd = false;
    HANDLE stop = nullptr;    // manual reset; owned here
    HANDLE thread = nullptr;  // closed by whoever detaches the run from the Signaller
    ~VibrationRun() {
        if (stop) CloseHandle(stop);
    }
};
