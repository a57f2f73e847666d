#include "TimerItem.h"

#include <algorithm>

#include "EngineMessage.h"
#include "ItemHost.h"
#include "RegKeyRefTyped.h"
#include "Settings.h"

namespace {

constexpr int64_t kMillisecondsPerSecond = 1000;

// The locale's time format is asked only for a clock-like hour; it refuses hours above 23.
const wchar_t kDurationPicture[] = L"h':'mm':'ss";
const int kDurationTextMax = 64;
const int kHoursPerDay = 24;

}  // namespace

TimerItem::TimerItem() : FlaggedItem(kOptionBits) {
    ItemHost* host = ItemHost::Current();
    bool storeExists = host && host->StoreExists();
    if (storeExists) MakeUniqueHash();
    flags = kConstructionFlags;
    PutBit(kNightColors, IsNightNow());
    PutBit(kEventDialogOff, false);
    actionType = Action::kTypeNone;
    action = Action_Create(Action::kTypeNone);
    if (storeExists) {
        const Settings& settings = host->GetSettings();
        vibrationSettings = *settings.defaultVibrationSettings;
        soundSettings = *settings.defaultSoundSettings;
    }
    PutBit(kVibrateOff, storeExists && host->GetSettings().system->VibrationOn == 0);
    PutBit(kDismissed, true);
    SnoozeType = kSnoozeTypeKeepShowing;
}

TimerItem::~TimerItem() { CloseRingOnLeaving(); }

int TimerItem::Dismiss(bool reschedule) {
    flags &= ~kRunning;
    return EventItem::Dismiss(reschedule);
}

void TimerItem::Assign(const TimerItem& from) {
    if (&from == this) return;
    CopyActions(from);
    flags = from.flags;
    time = from.time;
    origTime = from.origTime;
    title = from.title;
    NextTimer = from.NextTimer == from.Hash ? Hash : from.NextTimer;
    SelfCounter = from.SelfCounter;
    ParentHash = from.IsTemplate() ? from.Hash : from.ParentHash;
}

void TimerItem::Tick(Ticks100ns elapsed) {
    if (!IsRunning() || time < 0) return;
    time = Ticks_AddSaturated(time, -(elapsed > 0 ? elapsed : 0));
    if (time > 0) return;
    flags &= ~kRunning;
    time = -1;
    counting = false;
    FinishExpiry();
}

void TimerItem::CountDown(int64_t elapsedMs) {
    if (!counting) secondMs = 0;
    counting = true;
    const int64_t total = secondMs + (elapsedMs > 0 ? elapsedMs : 0);
    if (total < kMillisecondsPerSecond) {
        secondMs = static_cast<int32_t>(total);
        return;
    }
    secondMs = static_cast<int32_t>(total % kMillisecondsPerSecond);
    Tick(Ticks_FromSeconds(total / kMillisecondsPerSecond));
}

void TimerItem::StartCounting(int64_t sinceCountMs) {
    counting = true;
    secondMs = -static_cast<int32_t>(std::min<int64_t>(std::max<int64_t>(sinceCountMs, 0), INT32_MAX));
}

int64_t TimerItem::MsToExpiry() const {
    if (!IsRunning() || time < 0) return -1;
    // It expires at the count that takes its last whole second (a timer at 0 goes at the next one).
    const int64_t seconds = std::max<int64_t>((time + kTicksPerSecond - 1) / kTicksPerSecond, 1);
    return seconds * kMillisecondsPerSecond - (counting ? secondMs : 0);
}

void TimerItem::FinishExpiry() {
    ItemHost* host = ItemHost::Current();
    if (!IsBit(kNoChain) && NextTimer != 0 && host) {
        // A template starts a copy; the chain then goes on with the copy.
        TimerItem* started = host->StartTimerByHash(NextTimer, IsStopwatch());
        if (started) {
            NextTimer = started->Hash;
            if (started == this) ++SelfCounter;
        }
    }
    HWND engine = host ? host->EngineWindow() : nullptr;
    if (engine) PostMessageW(engine, EngineMessage::kTimerExpired, reinterpret_cast<WPARAM>(this), 0);
}

void TimerItem::Save(const RegKeyRef& key) const {
    SaveBase(key);
    RegKey_WriteDword(key, flags, kFlagsValue);
    RegKeyRef_SetBinary(key, &origTime, sizeof origTime, kOrigTimeValue);
    RegKeyRef_SetBinary(key, &time, sizeof time, kTimeValue);
    RegKeyRef_SetString(key, title.CStr(), kTitleValue);
    RegKey_WriteDword(key, static_cast<DWORD>(NextTimer), kNextTimerValue);
    RegKey_WriteDword(key, static_cast<DWORD>(SelfCounter), kSelfCounterValue);
    RegKey_WriteDword(key, static_cast<DWORD>(ParentHash), kParentHashValue);
    // An expiry whose ring is not answered yet: the next start rings it again (a timer
    // that runs on, snoozed or repeating itself, keeps its count instead).
    savedRinging = !IsRunning() && RingAwaitsAnswer();
    if (savedRinging)
        RegKey_WriteDword(key, 1, kRingPendingValue);
    else if (key.IsOpen())
        RegDeleteValueW(key.Key(), kRingPendingValue);
}

bool TimerItem::LoadTimerValues(const RegKeyRef& key) {
    LoadBase(key);
    DWORD storedFlags = 0, storedNext = 0;
    if (RegKeyRef_QueryTypedDword(key, &storedFlags, kFlagsValue) != ERROR_SUCCESS) return false;
    if (RegKeyRef_QueryTypedDword(key, &storedNext, kNextTimerValue) != ERROR_SUCCESS) return false;
    flags = storedFlags;
    NextTimer = static_cast<ItemHash>(storedNext);

    DWORD type = 0, size = 0;
    bool olderLayout = RegKeyRef_QueryValue(key, kTimeValue, &type, nullptr, &size) == ERROR_SUCCESS && size == 4;
    if (olderLayout) {
        // Older versions kept whole seconds in 4 bytes.
        uint32_t seconds = 0;
        if (RegKeyRef_QueryBinary(key, &seconds, sizeof seconds, kTimeValue) == ERROR_SUCCESS)
            time = Ticks_FromSeconds(seconds);
        if (RegKeyRef_QueryBinary(key, &seconds, sizeof seconds, kOrigTimeValue) == ERROR_SUCCESS)
            origTime = Ticks_FromSeconds(seconds);
    } else {
        RegKeyRef_QueryBinary(key, &time, sizeof time, kTimeValue);
        RegKeyRef_QueryBinary(key, &origTime, sizeof origTime, kOrigTimeValue);
    }

    DWORD value = 0;
    if (RegKeyRef_QueryTypedDword(key, &value, kSelfCounterValue) == ERROR_SUCCESS)
        SelfCounter = static_cast<int32_t>(value);
    if (RegKeyRef_QueryTypedDword(key, &value, kParentHashValue) == ERROR_SUCCESS)
        ParentHash = static_cast<ItemHash>(value);
    RegKeyRef_QueryBoundedString(key, title, kTitleValue, -1);
    ringOnItsWay = RegKeyRef_QueryTypedDword(key, &value, kRingPendingValue) == ERROR_SUCCESS && value != 0;
    return true;
}

bool TimerItem::Load(const RegKeyRef& key, Ticks100ns away) {
    if (!LoadTimerValues(key)) return false;
    // An expired timer stays only while its ring waits for its answer.
    if (IsBit(kNotLoadable) || (time <= 0 && !ringOnItsWay)) return false;
    if (IsRunning() && !IsTemplate()) {
        time = Ticks_AddSaturated(time, -(away > 0 ? away : 0));
        if (time < 0) time = 0;
    }
    return true;
}

void TimerItem::FormatDuration(Ticks100ns duration, RcString& text) {
    DurationParts parts = Ticks_SplitDuration(duration);

    wchar_t formatted[kDurationTextMax + 1] = {};
    int length = 0;
    if (parts.hours < kHoursPerDay) {
        SYSTEMTIME st = {};
        st.wYear = 2000;
        st.wMonth = 1;
        st.wDay = 1;
        st.wHour = static_cast<WORD>(parts.hours);
        st.wMinute = static_cast<WORD>(parts.minutes);
        st.wSecond = static_cast<WORD>(parts.seconds);
        length = GetTimeFormatW(LOCALE_USER_DEFAULT, TIME_FORCE24HOURFORMAT, &st, kDurationPicture, formatted,
                                kDurationTextMax);
    }
    if (length > 0) {
        text.AppendCStr(formatted);
        return;
    }
    RcString direct;
    direct.Format(L"%u:%02u:%02u", parts.hours, parts.minutes, parts.seconds);
    text.AppendCStr(direct.CStr());
}
