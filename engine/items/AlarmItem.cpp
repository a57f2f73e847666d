#include "AlarmItem.h"

#include "EngineMessage.h"
#include "ItemHost.h"
#include "RegKeyRefTyped.h"
#include "Settings.h"

#include <cmath>

namespace {

// A new alarm rings two minutes after the minute it was made in.
const double kFirstRingDelayDays = 0.0013946759259;  // 120.5 s
const double kDefaultSnoozeDays = 0.003472222;       // 5 min

}  // namespace

AlarmItem::AlarmItem() : FlaggedItem(kOptionBits) {
    ItemHost* host = ItemHost::Current();
    bool storeExists = host && host->StoreExists();
    if (storeExists) {
        MakeUniqueHash();
        PutBit(kVibrateOff, host->GetSettings().system->VibrationOn == 0);
    }
    time = Time_LocalNowAsDate(false) + kFirstRingDelayDays;
    PutBit(kNightColors, IsNightNow());
    flags |= kPlaySound | kDaysMask;
    flags &= ~(kAutoSnoozed | kBlinkLedOff | kForceSnooze);
    flags |= kFlashLightOff | kNew | kDismissed | kFired | kEnabled;
    actionType = Action::kTypeNone;
    action = Action_Create(Action::kTypeNone);
    if (storeExists) {
        const Settings& settings = host->GetSettings();
        vibrationSettings = *settings.defaultVibrationSettings;
        soundSettings = *settings.defaultSoundSettings;
    }
    flags &= ~kEventDialogOff;
    flags |= kPlaySound;
    snooze = time + kDefaultSnoozeDays;
}

AlarmItem::~AlarmItem() { CloseRingOnLeaving(); }

int AlarmItem::Dismiss(bool reschedule) {
    flags &= ~kAutoSnoozed;
    return EventItem::Dismiss(reschedule);
}

void AlarmItem::SwitchOff() {
    flags &= ~kEnabled;
    flags |= kFired;
    answeredSinceFired = true;
    Dismiss(false);
}

int AlarmItem::CancelSnooze(bool reschedule) {
    // A fresh occurrence that has not shown yet had no snooze to cancel: it still rings.
    if (IsSnoozed() || ringUI || firedBySnooze_) answeredSinceFired = true;
    return Dismiss(reschedule);
}

OleDate AlarmItem::NextFireTime(OleDate now) const {
    if (!IsBit(kEnabled) || (flags & kDaysMask) == 0 || IsBit(kNew)) return kOleDateNever;
    // The weekday of the day the candidate starts on, even when now rounds into the next.
    SYSTEMTIME st;
    Time_DateToSystemTime(std::floor(now), st);
    int dayOfWeek = st.wDayOfWeek;
    double clockPart = time - std::floor(time);
    OleDate candidate = std::floor(now) + clockPart;
    int steps = 0;
    // At exactly the alarm's time of day, today still counts.
    if (now - std::floor(now) > clockPart) {
        candidate += 1.0;
        dayOfWeek = (dayOfWeek + 1) % 7;
        steps = 1;
    }
    while ((flags & (1u << dayOfWeek)) == 0) {
        candidate += 1.0;
        dayOfWeek = (dayOfWeek + 1) % 7;
        if (++steps > 6) break;
    }
    return candidate;
}

OleDate AlarmItem::FireDue() const {
    if (!IsBit(kEnabled) || (flags & kDaysMask) == 0 || IsBit(kNew)) return kOleDateNever;
    if (IsBit(kFired)) return IsDismissed() ? kOleDateNever : snooze;
    return time;
}

void AlarmItem::CheckFire(OleDate now) {
    if (FireDue() > now) return;
    answeredSinceFired = false;
    firedBySnooze_ = IsBit(kFired);
    UINT message;
    if (firedBySnooze_) {
        SetDismissed(true);
        if (IsBit(kNotifyOnce)) {
            flags &= ~kEnabled;
            flags |= kFired;
            SetDismissed(true);
        }
        message = EngineMessage::kSnoozeOver;
    } else {
        flags |= kFired;
        if (!IsBit(kForceSnooze) && IsBit(kNotifyOnce)) {
            flags &= ~kEnabled;
            SetDismissed(true);
        }
        message = EngineMessage::kAlarmDue;
    }
    ItemHost* host = ItemHost::Current();
    HWND engine = host ? host->EngineWindow() : nullptr;
    if (engine) PostMessageW(engine, message, reinterpret_cast<WPARAM>(this), 0);
}

void AlarmItem::Snooze(const OleDate* base, int minutes, int seconds, bool remember) {
    snooze = base ? *base : time;
    snooze += static_cast<double>((minutes * 60 + seconds) * 1000) * kDaysPerMillisecond;
    if (remember) {
        initsnooze.minutes = static_cast<int16_t>(minutes);
        initsnooze.seconds = static_cast<int16_t>(seconds);
    }
}

void AlarmItem::Save(const RegKeyRef& key) const {
    SaveBase(key);
    uint32_t savedFlags = flags;
    OleDate savedSnooze = snooze;
    // A ring not answered yet is kept as a snooze due when it began: a start after the
    // program ended mid-ring rings it again, and older versions and the Today item read
    // it as the pending ring it is. A one-time alarm switched itself off when it rang.
    savedRinging = IsDismissed() && RingAwaitsAnswer();
    if (savedRinging) {
        savedFlags = (flags | kFired) & ~kDismissed;
        if (IsBit(kNotifyOnce)) savedFlags |= kEnabled;
        savedSnooze = ringBegan != 0 ? ringBegan : Time_LocalNowAsDate(true);
    }
    RegKey_WriteDword(key, savedFlags, kFlagsValue);
    RegKeyRef_SetDate(key, time, kTimeValue);
    RegKeyRef_SetString(key, title.CStr(), kTitleValue);
    RegKeyRef_SetDate(key, savedSnooze, kSnoozeValue);
}

bool AlarmItem::Load(const RegKeyRef& key) {
    LoadBase(key);
    DWORD storedFlags = 0;
    OleDate storedTime = 0;
    if (RegKeyRef_QueryTypedDword(key, &storedFlags, kFlagsValue) != ERROR_SUCCESS) return false;
    if (RegKeyRef_QueryDate(key, &storedTime, kTimeValue) != ERROR_SUCCESS) return false;
    flags = storedFlags;
    time = storedTime;
    RegKeyRef_QueryBoundedString(key, title, kTitleValue, -1);
    RegKeyRef_QueryDate(key, &snooze, kSnoozeValue);
    return true;
}
