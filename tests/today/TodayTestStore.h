#pragma once
// Items as the program keeps them, written for the Today item to read, on a device whose
// clock the test has set.
#include "AlarmItem.h"
#include "DateFunctions.h"
#include "DeviceClock.h"
#include "RegKeyRef.h"
#include "RegistryProbe.h"
#include "TimerItem.h"

#include <string>

namespace todaytest {

const std::wstring kProduct = L"Software\\Ostrel\\Orvalen";
constexpr OleDate kMinute = 1.0 / 1440.0;

// The device's local time set to that moment; the OleDate of it.
inline OleDate SetClock(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second = 0) {
    SYSTEMTIME at = {};
    at.wYear = year;
    at.wMonth = month;
    at.wDay = day;
    at.wHour = hour;
    at.wMinute = minute;
    at.wSecond = second;
    DeviceClock_SetLocalTime(&at);
    return Time_DateFromParts(year, month, day, hour, minute, second, 0);
}

inline std::wstring ItemKey(const wchar_t* list, ItemHash hash) {
    return kProduct + L"\\" + list + L"\\Items\\" + std::to_wstring(hash);
}

// An alarm at a clock time on days (bit 0 Sunday), confirmed, enabled, not rung.
struct StoredAlarm {
    ItemHash hash;
    OleDate time;
    uint32_t days = AlarmItem::kDaysMask;
    const wchar_t* title = L"";
    uint32_t setFlags = 0;
    uint32_t clearFlags = 0;
    bool snoozing = false;
    OleDate snooze = 0;
};

inline void Save(const StoredAlarm& spec) {
    AlarmItem alarm;
    alarm.Hash = spec.hash;
    alarm.time = spec.time;
    alarm.title.SetCStr(spec.title);
    alarm.flags = ((alarm.flags & ~(AlarmItem::kNew | AlarmItem::kDaysMask)) | spec.days | spec.setFlags) &
                  ~spec.clearFlags;
    if (spec.snoozing) {
        alarm.flags |= AlarmItem::kFired;
        alarm.SetDismissed(false);
        alarm.snooze = spec.snooze;
    }
    alarm.Save(RegKeyRef::Open(ItemKey(L"Alarms", spec.hash).c_str(), HKEY_CURRENT_USER, false));
}

// A confirmed timer with time left of a set duration; running unless told otherwise.
struct StoredTimer {
    ItemHash hash;
    Ticks100ns left;
    const wchar_t* title = L"";
    bool running = true;
    bool isTemplate = false;
    Ticks100ns set = 0;  // 0: as left
    uint32_t setFlags = 0;
};

inline void Save(const StoredTimer& spec) {
    TimerItem timer;
    timer.Hash = spec.hash;
    timer.title.SetCStr(spec.title);
    timer.flags &= ~(TimerItem::kNew | TimerItem::kRunning | TimerItem::kTemplate);
    if (spec.running) timer.flags |= TimerItem::kRunning;
    if (spec.isTemplate) timer.flags |= TimerItem::kTemplate;
    timer.flags |= spec.setFlags;
    timer.time = spec.left;
    timer.origTime = spec.set ? spec.set : spec.left;
    timer.Save(RegKeyRef::Open(ItemKey(L"Timers", spec.hash).c_str(), HKEY_CURRENT_USER, false));
}

inline void SetPluginHeight(DWORD lines) {
    registryprobe::WriteDword(kProduct + L"\\Clock\\System", L"PluginHeight", lines);
}

}  // namespace todaytest
