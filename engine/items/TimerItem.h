#pragma once
// A countdown timer: a set duration, the time still to run, an optional chain to
// the timer that starts when it expires, and the ringing parts of every item. A
// template never runs itself; starting it starts a fresh copy. The engine's tick
// counts running timers down; the store owns, loads and saves them.
#include "DateFunctions.h"
#include "FlaggedItem.h"

#include <cstdint>

class TimerItem : public FlaggedItem {
public:
    static constexpr wchar_t kFlagsValue[] = L"flags";
    static constexpr wchar_t kOrigTimeValue[] = L"origTime";
    static constexpr wchar_t kTimeValue[] = L"time";
    static constexpr wchar_t kTitleValue[] = L"title";
    static constexpr wchar_t kNextTimerValue[] = L"NextTimer";
    static constexpr wchar_t kSelfCounterValue[] = L"SelfCounter";
    static constexpr wchar_t kParentHashValue[] = L"ParentHash";
    // Present (nonzero) while the ring of an expiry waits for its answer.
    static constexpr wchar_t kRingPendingValue[] = L"RingPending";

    // flags
    static constexpr uint32_t kPlaySound = 0x00000002;
    static constexpr uint32_t kOption2 = 0x00000004;
    static constexpr uint32_t kRunning = 0x00000008;
    static constexpr uint32_t kTemplate = 0x00000010;
    static constexpr uint32_t kNew = 0x00000020;
    static constexpr uint32_t kBlinkLedOff = 0x00000040;
    static constexpr uint32_t kVibrateOff = 0x00000080;
    static constexpr uint32_t kEventDialogOff = 0x00000800;
    static constexpr uint32_t kFlashLightOff = 0x00002000;
    // While clear, refreshing the timer's row also keeps the device from idling.
    static constexpr uint32_t kNoIdleReset = 0x00004000;
    static constexpr uint32_t kNoChain = 0x00010000;
    static constexpr uint32_t kNotLoadable = 0x00020000;
    static constexpr uint32_t kStopwatchHeld = 0x00040000;
    static constexpr uint32_t kNightColors = 0x00080000;
    static constexpr uint32_t kDismissed = 0x00100000;

    static constexpr uint32_t kConstructionFlags = kNoIdleReset | kFlashLightOff | kNew | kPlaySound;
    static constexpr Ticks100ns kDefaultDuration = 5 * 60 * kTicksPerSecond;
    static constexpr wchar_t kDefaultTitleWord[] = L"Timer";

    // Where this kind keeps its options in its flags.
    static constexpr ItemOptionBits kOptionBits = {kPlaySound,  kOption2,     kBlinkLedOff,   kFlashLightOff,
                                                   kVibrateOff, kNightColors, kEventDialogOff, kDismissed};

    // A new timer of five minutes, not yet confirmed by its editor and not running.
    TimerItem();
    ~TimerItem() override;

    int Dismiss(bool reschedule) override;
    int64_t GetDurationSeconds() const override { return origTime / kTicksPerSecond; }

    // A countdown has expired when nothing is left to run.
    virtual bool IsExpired() const { return time <= 0; }
    virtual bool IsStopwatch() const { return false; }
    bool IsRunning() const { return IsBit(kRunning); }
    bool IsTemplate() const { return IsBit(kTemplate); }
    bool IsNew() const { return IsBit(kNew); }

    // Copies from's settings, flags, times, title and chain; this timer keeps its
    // Hash, stays self-repeating when from was, and names from as its parent when
    // from is a template.
    void Assign(const TimerItem& from);
    // One countdown step of the engine's tick; on expiry starts the chained timer
    // and posts 1374 to the engine.
    void Tick(Ticks100ns elapsed);
    // Counts elapsedMs that really passed toward the timer's own whole seconds, which
    // come off its time (Tick); the part of a second left over waits for the next count.
    void CountDown(int64_t elapsedMs);
    // The timer's count starts now: what passed since the engine last counted
    // (sinceCountMs) is not taken off it at the next count.
    void StartCounting(int64_t sinceCountMs);
    // Milliseconds of counting from the last count until the tick finds it expired; -1
    // when it does not count down.
    virtual int64_t MsToExpiry() const;
    virtual void Save(const RegKeyRef& key) const;
    // away: how long the program was not running; a running countdown loses it. False
    // when the timer cannot be loaded (the store then drops it and its key).
    virtual bool Load(const RegKeyRef& key, Ticks100ns away);

    // Appends the duration as hours (days counted in), minutes and seconds.
    static void FormatDuration(Ticks100ns duration, RcString& text);

    Ticks100ns time = 0;
    Ticks100ns origTime = kDefaultDuration;
    ItemHash NextTimer = 0;  // 0: none; its own Hash: itself again
    int32_t SelfCounter = 0;
    ItemHash ParentHash = 0;
    // Not saved: milliseconds counted toward the next whole second of this timer's own,
    // negative while time that passed before its start is still to be counted; and
    // whether its count has started (a start the engine has not met yet is counted
    // from the engine's last count).
    int32_t secondMs = 0;
    bool counting = false;
    // Not saved: which of the store's starts began the current run (0: none since loading).
    uint64_t startNumber = 0;

protected:
    // The timer values every timer and stopwatch stores; false without valid "flags"
    // or "NextTimer".
    bool LoadTimerValues(const RegKeyRef& key);
    // After an expiry: starts the chained item, counts a self-restart and tells the engine.
    void FinishExpiry();
};
