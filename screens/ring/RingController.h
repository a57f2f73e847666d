#pragma once
// The ring state of one ring window and the decisions on its item: what happens when
// the sound ends, and snooze, dismiss, close, restart, goto and stop. The windows, their
// buttons and the signaller's end messages all decide through these operations, so the
// rules of each kind of item live in one place: AlarmRingController, TimerRingController.
#include <windows.h>

#include <boost/shared_ptr.hpp>

#include "ItemSoundSettings.h"

class EventItem;
class SystemSettings;

// The seconds of the item's own snooze length.
int Ring_DefaultSnoozeSeconds(const EventItem& item);

class RingController {
public:
    // The countdown bar of a ring dialog after a cancelled snooze chooser.
    static constexpr UINT_PTR kCountdownBarTimer = 124;

    explicit RingController(EventItem& item) : item(&item) {}
    virtual ~RingController() = default;
    RingController(const RingController&) = delete;
    RingController& operator=(const RingController&) = delete;

    // The sound ended (SoundEndedMessage); wParam 1 when it was stopped on request.
    virtual void RingEnded(UINT message, WPARAM wParam);
    // What the item's snooze type asks for once its sound has ended.
    virtual void AutoAction();
    // seconds 0: the item's own length. The result: 1 when the item was dismissed instead.
    virtual int Snooze(int seconds, bool autoFlag) = 0;
    // 1 when dismissed, 0 when a pending force-snooze snoozed it.
    virtual int Dismiss(int seconds) = 0;
    // Snoozes by itself after the sound, up to "AutoSnoozeCount" times in a row.
    virtual void AutoSnooze();
    virtual bool IsSuppressed() { return false; }
    // Timers: close the ring (the next timer of a chain), run the set duration again,
    // close and open the main window, stop. Alarms have none of these.
    virtual void Close() {}
    virtual void Restart() {}
    virtual void GotoMain();
    virtual void Stop() {}

    // Posts a delete of the item to the engine, once however often asked: the ring's
    // decision and its window's end may both hand the item over.
    void PostItemDelete(UINT message);

    // The ring state: what this ring started, so that stopping it stops only that.
    EventItem* item;                          // not owned: the item store owns it
    bool vibrate = false;
    bool vibrateBeforeSound = false;
    bool fixedVibrationTime = false;
    HWND notifyWindow = nullptr;              // the ring window
    bool screenSaverWasOn = false;
    HANDLE backlightRequirement = nullptr;    // held while a ring dialog is up
    boost::shared_ptr<ItemSoundSettings> soundSettings;
    // This ring counts among the windows that keep the LED blinking, and among those
    // that keep the backlight flashing.
    bool ledShare = false;
    bool flashShare = false;
    // The number of the sound this ring started last, and whether its end (or its
    // failure) is still to come: the ring is not over before.
    DWORD soundId = 0;
    bool soundPending = false;
    // The vibration before the sound has not ended yet; leadHeld: another ring took the
    // vibrator over and this ring waits out the rest on its window's lead timer, keeping
    // the engine from ending or sleeping meanwhile.
    bool leadPending = false;
    bool leadHeld = false;
    // Set while the snooze chooser runs: a requested sound end then decides nothing.
    bool snoozeGuard = false;
    // A decision has been taken on this ring: a sound end still on its way decides
    // nothing more. A new start of the ring clears it.
    bool ended = false;

protected:
    int DefaultSnoozeSeconds() const { return Ring_DefaultSnoozeSeconds(*item); }
    // An item without event dialog that snoozes by itself and has an action runs that
    // action once: snoozing dismisses it.
    bool SnoozeDismissesInstead() const;
    // Unlinks the ring window through the engine, which then closes it.
    void DetachRing();
    // The program action that runs at dismissal, when the item has one.
    void RunProgramAction();
    static int Reschedule();
    static const SystemSettings* System();

private:
    bool deletePosted_ = false;
};

// The item's kind of controller.
RingController* RingController_Create(EventItem& item);
