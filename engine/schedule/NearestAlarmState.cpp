#include "NearestAlarmState.h"

#include "AlarmItem.h"
#include "RegKeyRef.h"
#include "RegKeyRefTyped.h"
#include "Translator.h"

#include <string>

namespace {

std::wstring Translated(UINT id, const wchar_t* english) {
    std::wstring text = Translator::Instance().GetString(id);
    return text.empty() ? english : text;
}

}  // namespace

std::wstring NearestAlarmState::TimeText(OleDate when, OleDate now) {
    SYSTEMTIME at = {}, today = {};
    Time_DateToSystemTime(when, at);
    Time_DateToSystemTime(now, today);
    wchar_t clock[64] = {};
    GetTimeFormatW(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &at, nullptr, clock, 64);
    std::wstring day;
    if (at.wDay == today.wDay) {
        day = Translated(kTodayStringId, kTodayText);
    } else {
        // The locale's names start with Monday; the clock's week with Sunday.
        wchar_t name[64] = {};
        GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SABBREVDAYNAME1 + (at.wDayOfWeek + 6) % 7, name, 64);
        day = name;
    }
    return std::wstring(clock) + L", " + day;
}

void NearestAlarmState::Publish(const RegKeyRef& productKey, const DueMoments::Nearest& nearest, OleDate now) {
    RegKeyRef shell = RegKeyRef::Open(kShellAlarmsKey, HKEY_CURRENT_USER, false);
    if (!nearest.alarm) {
        std::wstring none = Translated(kNoneStringId, kNoneText);
        RegKeyRef_SetString(productKey, none.c_str(), kTimeTextValue);
        RegKeyRef_SetString(productKey, none.c_str(), kTitleValue);
        if (shell.IsOpen()) RegDeleteValueW(shell.Key(), kShellNextValue);
        return;
    }
    RegKeyRef_SetString(productKey, nearest.alarm->title.CStr(), kTitleValue);
    RegKeyRef_SetString(productKey, TimeText(nearest.when, now).c_str(), kTimeTextValue);
    if (!shell.IsOpen()) return;
    // Local time as it stands, no zone conversion: what the shell shows.
    SYSTEMTIME local = {};
    Time_DateToSystemTime(nearest.when, local);
    FILETIME moment = {};
    SystemTimeToFileTime(&local, &moment);
    RegKeyRef_SetBinary(shell, &moment, sizeof moment, kShellNextValue);
    RegKeyRef_SetBinary(productKey, &moment, sizeof moment, kTimeBinValue);
}
