#include "EngineScreens.h"

#include "AlarmItem.h"
#include "App.h"
#include "EngineMessage.h"
#include "RegKeyRef.h"
#include "TimerItem.h"

void EngineScreens::RecordRing(int hash, UINT message) {
    RegKeyRef product = RegKeyRef::Open(App::kProductKey, HKEY_CURRENT_USER, false);
    RegKeyRef record = RegKeyRef::OpenSubKey(kRingRecordKey, product, false);
    if (!record.IsOpen()) return;
    DWORD count = 0;
    RegKeyRef_QueryDword(record, &count, kRingCountValue, 0);
    RegKey_WriteDword(record, static_cast<DWORD>(hash), kLastHashValue);
    RegKey_WriteDword(record, message, kLastMessageValue);
    // Written last: a reader that sees the count sees the ring's values.
    RegKey_WriteDword(record, count + 1, kRingCountValue);
}

void EngineScreens::ShowAlarmRing(EngineWnd&, AlarmItem& alarm, UINT message) { RecordRing(alarm.Hash, message); }

void EngineScreens::ShowTimerRing(EngineWnd&, TimerItem& timer) { RecordRing(timer.Hash, EngineMessage::kTimerExpired); }

bool EngineScreens::OpenMainWindow(EngineWnd&, int) { return false; }

void EngineScreens::CloseMainWindow(EngineWnd&) {}

bool EngineScreens::EditTimer(EngineWnd&, TimerItem&) { return false; }

bool EngineScreens::EditAlarm(EngineWnd&, AlarmItem&) { return false; }

void EngineScreens::RunMainMenu(EngineWnd&) {}
