#pragma once
// What the Signaller's source files share and nobody else needs.
#include <windows.h>

#include <atomic>

#include "ItemVibrationSettings.h"

// The saved sound type that means "nothing saved".
constexpr DWORD kNoSavedSoundType = 100;
// StopSound looks for the sound thread's end this often.
constexpr DWORD kStopPollMs = 100;
// NLED states.
constexpr int kLedOff = 0;
constexpr int kLedOn = 1;

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
    HWND notifyWindow = nullptr;
    bool postAtEnd = false;
    HANDLE stop = nullptr;    // manual reset; owned here
    HANDLE thread = nullptr;  // closed by whoever detaches the run from the Signaller
    ~VibrationRun() {
        if (stop) CloseHandle(stop);
    }
};
