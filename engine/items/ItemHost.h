#pragma once
// What the items and their actions need from the program around them: the engine
// window, its ring-window count, busy count and power marks, the reschedule, starting
// and stopping timers, the signaller's vibrator and volume, the item store, the
// registry flush and translated texts.
// The main program installs its host at start-up; the Today item, which builds the
// same item classes, installs none, and items then behave as if no store and no
// engine existed. Tests install their own.
#include "ItemHash.h"

#include <windows.h>
#include <string>

class Settings;
class TimerItem;

class ItemHost {
public:
    virtual ~ItemHost() = default;

    // The engine window, or null when there is none.
    virtual HWND EngineWindow() const = 0;
    // Open ring windows that show an event dialog; the count never goes below 0.
    virtual void ChangeRingWindowCount(int delta) = 0;
    // Recomputes every due moment and saves the store; the reschedule's result.
    virtual int Reschedule() = 0;
    virtual bool HasVibrationDevice() const = 0;
    // True while the signaller plays a ring sound or vibrates.
    virtual bool SignallerBusy() const = 0;
    // Whether the item store exists; the store-only questions below are asked only then.
    virtual bool StoreExists() const = 0;
    // True when an alarm or a timer of the store has that Hash (stopwatches and the chime do not count).
    virtual bool IsHashTaken(ItemHash hash) const = 0;
    virtual const Settings& GetSettings() const = 0;
    // Starts the timer (a stopwatch when stopwatch is set) with that Hash from its
    // beginning, as the engine starts a timer: the item actually started (a
    // template's fresh copy), or null when none has that Hash.
    virtual TimerItem* StartTimerByHash(ItemHash hash, bool stopwatch) = 0;
    // Stops a running timer as the engine does, and reschedules.
    virtual void StopTimer(TimerItem& timer) {}
    // A save changed the registry: the program flushes its key when its queue is idle.
    virtual void MarkRegistryDirty() {}
    // Flushes the program's key and the notification volume now and clears the mark.
    virtual void FlushRegistry() {}
    // The engine's busy count: while it is raised (an open dialog) the program stays.
    virtual void ChangeBusyCount(int delta) {}
    // The engine forgets that a ring woke the device (it will not put it back to sleep)
    // and gives back its long-lived unattended-mode request.
    virtual void ForgetDeviceWake() {}
    // Sets the device volume to percent through the signaller (its floor applied);
    // the wave-out result, MMSYSERR_NODRIVER (6) without a signaller.
    virtual UINT SetVolumePercent(int percent) { return kNoSignaller; }
    // The text of a string id in the user's language; empty when there is none.
    virtual std::wstring TranslatedString(UINT id) const { return std::wstring(); }

    static constexpr UINT kNoSignaller = 6;

    // The installed host, or null.
    static ItemHost* Current() { return current_; }
    // FlushRegistry through the installed host; nothing without one.
    static void FlushRegistryNow() {
        if (current_) current_->FlushRegistry();
    }
    // Installs host (null removes it) and returns the one it replaces.
    static ItemHost* Install(ItemHost* host);

private:
    static ItemHost* current_;
};
