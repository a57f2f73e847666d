#include "EngineScreens.h"

#include "AlarmItem.h"
#include "App.h"
#include "EngineMessage.h"
#include "RegKeyRef.h"
#include "TimerItem.h"

void EngineScreens::Record(const wchar_t* key, const wchar_t* valueName, DWORD value, UINT message) {
    RegKeyRef product = RegKeyRef::Open(App::kProductKey, HKEY_CURRENT_USER, false);
    RegKeyRef record = RegKeyRef::OpenSubKey(key, product, false);
    if (!record.IsOpen()) return;
    DWORD count = 0;
    RegKeyRef_QueryDword(record, &count, kRingCountValue, 0);
    RegKey_WriteDword(record, value, valueName);
    RegKey_WriteDword(record, message, kLastMessageValue);
    // Written last: a reader that sees the count sees the values with it.
    RegKey_WriteDword(record, count + 1, kRingCountValue);
}

void EngineScreens::ShowAlarmRing(EngineWnd&, AlarmItem& alarm, UINT message) {
    Record(kRingRecordKey, kLastHashValue, static_cast<DWORD>(alarm.Hash), message);
}

void EngineScreens::ShowTimerRing(EngineWnd&, TimerItem& timer) {
    Record(kRingRecordKey, kLastHashValue, static_cast<DWORD>(timer.Hash), EngineMessage::kTimerExpired);
}

bool EngineScreens::OpenMainWindow(EngineWnd&, int tab) {
    Record(kScreenRecordKey, kLastValueValue, static_cast<DWORD>(tab), EngineMessage::kOpenMainWindow);
    return false;
}

void EngineScreens::CloseMainWindow(EngineWnd&) {}

bool EngineScreens::EditTimer(EngineWnd&, TimerItem& timer) {
    Record(kScreenRecordKey, kLastValueValue, static_cast<DWORD>(timer.Hash), EngineMessage::kEditTimer);
    return false;
}

bool EngineScreens::EditAlarm(EngineWnd&, AlarmItem& alarm) {
    Record(kScreenRecordKey, kLastValueValue, static_cast<DWORD>(alarm.Hash), EngineMessage::kEditAlarm);
    return false;
}

void EngineScreens::RunMainMenu(EngineWnd&) {
    Record(kScreenRecordKey, kLastValueValue, 0, EngineMessage::kMainMenu);
}

bool EngineScreens::ConfirmDelete(EngineWnd&, UINT textId) {
    Record(kScreenRecordKey, kLastValueValue, textId, kDeleteQuestion);
    return true;
}
