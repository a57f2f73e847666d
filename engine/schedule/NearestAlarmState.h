#pragma once
// Publishes the nearest alarm: its title and "time, day" text under the product key
// for the Today item, and its moment as a FILETIME for the shell's next-alarm state.
#include "DueMoments.h"

#include <windows.h>
#include <string>

class RegKeyRef;

class NearestAlarmState {
public:
    static constexpr wchar_t kShellAlarmsKey[] = L"System\\State\\Shell\\Alarms";
    static constexpr wchar_t kShellNextValue[] = L"Next";
    static constexpr wchar_t kTitleValue[] = L"NearestAlarm";
    static constexpr wchar_t kTimeTextValue[] = L"NearestAlarmTime";
    static constexpr wchar_t kTimeBinValue[] = L"NearestAlarmTimeBin";
    static constexpr UINT kNoneStringId = 30127;
    static constexpr wchar_t kNoneText[] = L"None";
    static constexpr UINT kTodayStringId = 408;
    static constexpr wchar_t kTodayText[] = L"Today";

    // Writes the values of nearest (or "None" and no shell value when it has no alarm),
    // with now deciding what counts as today.
    static void Publish(const RegKeyRef& productKey, const DueMoments::Nearest& nearest, OleDate now);
    // "12:30, Mon", or "12:30, Today" when the day of the month is today's.
    static std::wstring TimeText(OleDate when, OleDate now);
};
