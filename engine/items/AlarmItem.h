#pragma once
// An alarm: a time of day on chosen weekdays (or once), with a title and a snooze
// state. It computes its next occurrence, decides on each engine tick whether it
// is due, and keeps the bits the engine, the ring screens and the reschedule read.
#include "DateFunctions.h"
#include "FlaggedItem.h"

#include <cstdint>

class AlarmItem : public FlaggedItem {
public:
    static constexpr wchar_t kFlagsValue[] = L"flags";
    static constexpr wchar_t kTimeValue[] = L"time";
    static constexpr wchar_t kTitleValue[] = L"title";
    static constexpr wchar_t kSnoozeValue[] = L"snooze";

    // flags
    static constexpr uint32_t kDaysMask = 0x0000007F;  // bit 0 Sunday ... bit 6 Saturday
    static constexpr uint32_t kForceSnooze = 0x00000100;
    static constexpr uint32_t kPlaySound = 0x00000200;
    static constexpr uint32_t kOption2 = 0x00000400;
    static constexpr uint32_t kEnabled = 0x00000800;
    static constexpr uint32_t kNotifyOnce = 0x00001000;
    static constexpr uint32_t kFired = 0x00002000;
    static constexpr uint32_t kDismissed = 0x00004000;
    static constexpr uint32_t kNew = 0x00008000;
    static constexpr uint32_t kBlinkLedOff = 0x00010000;
    static constexpr uint32_t kVibrateOff = 0x00020000;
    static constexpr uint32_t kEventDialogOff = 0x00200000;
    static constexpr uint32_t kFlashLightOff = 0x00800000;
    static constexpr uint32_t kAutoSnoozed = 0x04000000;
    static constexpr uint32_t kNightColors = 0x08000000;
    static constexpr uint32_t kSkipNext = 0x20000000;
    static constexpr uint32_t kHidden = 0x40000000;

    // Where this kind keeps its options in its flags.
    static constexpr ItemOptionBits kOptionBits = {kPlaySound,  kOption2,     kBlinkLedOff,   kFlashLightOff,
                                                   kVibrateOff, kNightColors, kEventDialogOff, kDismissed};

    // A new alarm two minutes ahead on every day, not yet confirmed by its editor.
    AlarmItem();
    ~AlarmItem() override;

    int Dismiss(bool reschedule) override;

    // The next occurrence at or after now, at most 7 days ahead; kOleDateNever when
    // the alarm is disabled, new or has no day. Only the time of day of `time` counts.
    OleDate NextFireTime(OleDate now) const;
    // When CheckFire next finds it due: `time`, or the end of a pending snooze once it
    // rang; kOleDateNever when it will not ring.
    OleDate FireDue() const;
    // The per-tick test: when the alarm or its snooze is due, posts 1376 or 1377 to the engine.
    void CheckFire(OleDate now);
    // It rang and a snooze is pending (due at `snooze`).
    bool IsSnoozed() const { return IsBit(kFired) && !IsDismissed(); }
    // Sets the snooze's moment: base (or `time` when null) plus the length; remember
    // keeps the length. Whether it rings is the ring's decision (enabled, dismissed).
    void Snooze(const OleDate* base, int minutes, int seconds, bool remember);
    // The user switched it off: no occurrence and no snooze, and its ring, when one is
    // up or about to show, snoozes it no more.
    void SwitchOff();
    // The user cancelled its snoozes: Dismiss, and a ring that is up or a snooze's ring
    // about to show snoozes it no more.
    int CancelSnooze(bool reschedule);
    void Save(const RegKeyRef& key) const;
    // False when "flags" or "time" is missing or damaged; the store then drops the alarm.
    bool Load(const RegKeyRef& key);

    OleDate time = 0;
    OleDate snooze = 0;
    // Not saved: the user switched the alarm off or cancelled its snoozes since it last
    // fired, so the ring that firing brought neither shows nor snoozes it any more.
    bool answeredSinceFired = false;

private:
    bool firedBySnooze_ = false;  // its last firing was the end of a snooze
};
