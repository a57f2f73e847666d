#pragma once
// What the items need from the program around them: the engine window, its
// ring-window count, the reschedule, the signaller's vibrator, the item store, the
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
    // A save changed the registry: the program flushes its key when its queue is idle.
    virtual void MarkRegistryDirty() {}
    // The text of a string id in the user's language; empty when there is none.
    virtual std::wstring TranslatedString(UINT id) const { return std::wstring(); }

    // The installed host, or null.
    static ItemHost* Current() { return current_; }
    // Installs host (null removes it) and returns the one it replaces.
    static ItemHost* Install(ItemHost* host);

private:
    static ItemHost* current_;
};
