#include "ChimeItem.h"

#include "EngineMessage.h"
#include "ItemHost.h"
#include "RegKeyRefTyped.h"

#include <DeviceClock.h>
#include <cmath>
#include <cstdlib>

namespace {

const Ticks100ns kQuarterHour = 15 * 60 * kTicksPerSecond;
const int kLastHour = 23;
const int kDialHours = 12;
const int kFullHourMinutes = 5;  // minutes 0 to 5 and 55 to 59 strike the hour
const int kNextHourMinute = 55;

ItemSoundSettings ChimeSound(const RcString& soundsFolder, uint16_t repeat) {
    ItemSoundSettings sound;
    sound.builtIn = 0;
    sound.custom = RcString::Concat(soundsFolder, RcString(ChimeItem::kSoundFileName));
    sound.repeat = repeat;
    sound.repsplit = 0;
    sound.asctime = 0;
    return sound;
}

bool IsHour(int32_t hour) { return hour >= 0 && hour <= kLastHour; }

Ticks100ns IntervalOf(int32_t chimeType) {
    switch (chimeType) {
    case ChimeItem::kEveryQuarter: return kQuarterHour;
    case ChimeItem::kEveryHalfHour: return 2 * kQuarterHour;
    case ChimeItem::kEveryHour: return 4 * kQuarterHour;
    }
    return 0;
}

int LocalMinute(SYSTEMTIME* local) {
    DeviceClock_GetLocalTime(local);
    return local->wMinute;
}

int32_t ReadInt(const RegKeyRef& key, const wchar_t* name, int32_t loadDefault) {
    DWORD value = 0;
    RegKeyRef_QueryDword(key, &value, name, static_cast<DWORD>(loadDefault));
    return static_cast<int32_t>(value);
}

}  // namespace

ChimeItem::ChimeItem(const RcString& soundsFolder)
    : quarterSound(ChimeSound(soundsFolder, 1)), halfSound(ChimeSound(soundsFolder, 2)), fixedTitle_(kTitle) {
    ItemSoundSettings fullHour = ChimeSound(soundsFolder, 3);
    fullHour.volume = soundSettings.volume;
    soundSettings = fullHour;
    SnoozeType = kSnoozeTypeKeepShowing;
}

ChimeItem::ChimeItem(const ChimeItem& other) : AlarmItem(), fixedTitle_(kTitle) {
    CopyActions(other);
    Hash = other.Hash;
    SnoozeCount = other.SnoozeCount;
    flags = other.flags;
    time = other.time;
    title = other.title;
    snooze = other.snooze;
    DoVibrate = other.DoVibrate;
    DoSound = other.DoSound;
    EventTime = other.EventTime;
    Active = other.Active;
    DisableFromTo = other.DisableFromTo;
    DisableFromHour = other.DisableFromHour;
    DisableToHour = other.DisableToHour;
    ChimeType = other.ChimeType;
    quarterSound = other.quarterSound;
    quarterVibration = other.quarterVibration;
    halfSound = other.halfSound;
    halfVibration = other.halfVibration;
    ChimeHours = other.ChimeHours;
}

ChimeItem::Stroke ChimeItem::StrokeOfMinute(int minute) {
    if (minute > 55 || minute < 5) return Stroke::FullHour;
    if (std::abs(minute - 30) < 5) return Stroke::HalfHour;
    if (std::abs(minute - 15) < 5 || std::abs(minute - 45) < 5) return Stroke::Quarter;
    return Stroke::None;
}

boost::shared_ptr<ItemSoundSettings> ChimeItem::GetSoundSettings() const {
    SYSTEMTIME local;
    int minute = LocalMinute(&local);
    ItemSoundSettings chosen;
    switch (StrokeOfMinute(minute)) {
    case Stroke::FullHour: chosen = soundSettings.ThreadCopy(); break;
    case Stroke::HalfHour: chosen = halfSound.ThreadCopy(); break;
    case Stroke::Quarter: chosen = quarterSound.ThreadCopy(); break;
    case Stroke::None: break;
    }
    if (ChimeHours && (minute <= kFullHourMinutes || minute >= kNextHourMinute)) {
        int hour = (local.wHour + (minute >= kNextHourMinute ? 1 : 0)) % kDialHours;
        chosen.repeat = static_cast<uint16_t>(hour == 0 ? kDialHours : hour);
    }
    return boost::shared_ptr<ItemSoundSettings>(new ItemSoundSettings(chosen));
}

boost::shared_ptr<ItemVibrationSettings> ChimeItem::GetVibrationSettings() const {
    SYSTEMTIME local;
    ItemVibrationSettings chosen;
    switch (StrokeOfMinute(LocalMinute(&local))) {
    case Stroke::FullHour: chosen = vibrationSettings; break;
    case Stroke::HalfHour: chosen = halfVibration; break;
    case Stroke::Quarter: chosen = quarterVibration; break;
    case Stroke::None: break;
    }
    return boost::shared_ptr<ItemVibrationSettings>(new ItemVibrationSettings(chosen));
}

OleDate ChimeItem::NextTime(OleDate now) {
    if (IsOff()) return kOleDateNever;
    Ticks100ns moment;
    if (!Time_DateToTicks(now, moment)) return kOleDateNever;
    // FILETIME counts from a midnight, so its multiples fall on the clock's quarters.
    Ticks100ns interval = IntervalOf(ChimeType);
    if (interval) moment = (moment + interval - 1) / interval * interval;

    if (DisableFromTo && DisableFromHour != DisableToHour && IsHour(DisableFromHour) && IsHour(DisableToHour)) {
        SYSTEMTIME st;
        FILETIME ft = Time_TicksToFileTime(moment);
        if (FileTimeToSystemTime(&ft, &st)) {
            int hour = st.wHour;
            bool quiet = DisableFromHour < DisableToHour ? hour >= DisableFromHour && hour < DisableToHour
                                                          : hour >= DisableFromHour || hour < DisableToHour;
            if (quiet) {
                st.wHour = static_cast<WORD>(DisableToHour);
                if (SystemTimeToFileTime(&st, &ft)) moment = Time_FileTimeToTicks(ft);
                // Across midnight the quiet period ends on the next day.
                if (DisableFromHour > DisableToHour && hour >= DisableFromHour) moment += kTicksPerDay;
            }
        }
    }
    OleDate next;
    if (!Time_FileTimeToDate(Time_TicksToFileTime(moment), next)) return kOleDateNever;
    EventTime = next;
    return next;
}

OleDate ChimeItem::NextDue(OleDate now) {
    if (!IsOff() && now > EventTime && now - EventTime <= kLateLimitDays) return EventTime;
    return NextTime(now);
}

void ChimeItem::Tick(OleDate now) {
    if (IsOff()) return;
    ItemHost* host = ItemHost::Current();
    if (host && host->SignallerBusy()) return;
    if (!(now > EventTime)) return;
    if (now - EventTime > kLateLimitDays) {
        NextTime(Time_NowAsDate(false));
        if (host) host->Reschedule();
        return;
    }
    HWND engine = host ? host->EngineWindow() : nullptr;
    // It rings as an alarm does: wParam is the alarm.
    if (engine) PostMessageW(engine, EngineMessage::kAlarmDue, reinterpret_cast<WPARAM>(static_cast<AlarmItem*>(this)), 0);
    // Moving on at once keeps a second tick before the reschedule from striking again.
    NextTime(now);
}

void ChimeItem::Save(const RegKeyRef& productKey) const {
    RegKeyRef key = RegKeyRef::OpenSubKey(kSubKey, productKey, false);
    if (!key.IsOpen()) return;
    RegKey_WriteDword(key, static_cast<DWORD>(DoVibrate), kDoVibrateValue);
    RegKey_WriteDword(key, static_cast<DWORD>(DoSound), kDoSoundValue);
    RegKeyRef_SetDate(key, EventTime, kEventTimeValue);
    RegKey_WriteDword(key, static_cast<DWORD>(Active), kActiveValue);
    RegKey_WriteDword(key, static_cast<DWORD>(DisableFromTo), kDisableFromToValue);
    RegKeyRef_SetBinary4(key, static_cast<DWORD>(DisableFromHour), kDisableFromHourValue);
    RegKeyRef_SetBinary4(key, static_cast<DWORD>(DisableToHour), kDisableToHourValue);
    RegKeyRef_SetBinary4(key, static_cast<DWORD>(ChimeType), kChimeTypeValue);
    RegKey_WriteDword(key, static_cast<DWORD>(ChimeHours), kChimeHoursValue);
    RegKeyRef quarter = RegKeyRef::OpenSubKey(kQuarterSubKey, key, false);
    quarterSound.Save(quarter);
    quarterVibration.Save(quarter);
    RegKeyRef half = RegKeyRef::OpenSubKey(kHalfSubKey, key, false);
    halfSound.Save(half);
    halfVibration.Save(half);
    SaveBase(key);
}

void ChimeItem::Load(const RegKeyRef& productKey) {
    RegKeyRef key = RegKeyRef::OpenSubKey(kSubKey, productKey, false);
    if (!key.IsOpen()) return;
    DoVibrate = ReadInt(key, kDoVibrateValue, 0);
    DoSound = ReadInt(key, kDoSoundValue, 1);
    EventTime = 0.0;
    RegKeyRef_QueryBinary(key, &EventTime, sizeof EventTime, kEventTimeValue, true);
    Active = ReadInt(key, kActiveValue, 0);
    DisableFromTo = ReadInt(key, kDisableFromToValue, 1);
    DisableFromHour = ReadInt(key, kDisableFromHourValue, kDefaultFromHour);
    DisableToHour = ReadInt(key, kDisableToHourValue, kDefaultToHour);
    ChimeType = ReadInt(key, kChimeTypeValue, kEveryHour);
    ChimeHours = ReadInt(key, kChimeHoursValue, 0);
    // Damaged numbers would strike every second or never: they take their defaults.
    if (!std::isfinite(EventTime)) EventTime = 0.0;
    if (!IntervalOf(ChimeType)) ChimeType = kEveryHour;
    if (!IsHour(DisableFromHour) || !IsHour(DisableToHour)) {
        DisableFromHour = kDefaultFromHour;
        DisableToHour = kDefaultToHour;
    }
    RegKeyRef quarter = RegKeyRef::OpenSubKey(kQuarterSubKey, key, true);
    if (quarter.IsOpen()) {
        quarterSound.Load(quarter);
        quarterVibration.Load(quarter);
    }
    RegKeyRef half = RegKeyRef::OpenSubKey(kHalfSubKey, key, true);
    if (half.IsOpen()) {
        halfSound.Load(half);
        halfVibration.Load(half);
    }
    LoadBase(key);
}
