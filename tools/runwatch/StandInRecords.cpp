// The program records rings and screen requests under its key while the ring screens,
// the main window and the editors are not built; this file goes when they are.
#include "DeviceSnapshot.h"

#include "EngineMessage.h"
#include "ProductKey.h"
#include "ProgramScreens.h"
#include "RegKeyRef.h"

#include <string>

namespace {
std::wstring RecordPath(const wchar_t* key) { return std::wstring(L"HKCU\\") + ProductKey::kPath + L"\\" + key; }

void ReadRecord(const RegKeyRef& product, const wchar_t* key, const wchar_t* valueName, StandInRecord* record) {
    const RegKeyRef opened = RegKeyRef::OpenSubKey(key, product, true);
    RegKeyRef_QueryDword(opened, &record->count, ProgramScreens::kRingCountValue, 0);
    RegKeyRef_QueryDword(opened, &record->lastMessage, ProgramScreens::kLastMessageValue, 0);
    RegKeyRef_QueryDword(opened, &record->lastValue, valueName, 0);
}
}  // namespace

void StandInRecords_Read(StandInRecord* screens, StandInRecord* rings) {
    const RegKeyRef product = RegKeyRef::Open(ProductKey::kPath, HKEY_CURRENT_USER, true);
    ReadRecord(product, ProgramScreens::kScreenRecordKey, ProgramScreens::kLastValueValue, screens);
    ReadRecord(product, ProgramScreens::kRingRecordKey, ProgramScreens::kLastHashValue, rings);
}

std::wstring StandInRecords_ScreenPath() { return RecordPath(ProgramScreens::kScreenRecordKey); }

std::wstring StandInRecords_RingPath() { return RecordPath(ProgramScreens::kRingRecordKey); }

std::wstring StandInRecords_ScreenName(DWORD message) {
    switch (message) {
        case EngineMessage::kOpenMainWindow: return L"the main window";
        case EngineMessage::kEditAlarm: return L"the alarm editor";
        case EngineMessage::kEditTimer: return L"the timer editor";
        case EngineMessage::kMainMenu: return L"the main menu";
        case ProgramScreens::kDeleteQuestion: return L"a delete question";
        default: return std::wstring();
    }
}

std::wstring StandInRecords_RingName(DWORD message) {
    switch (message) {
        case EngineMessage::kAlarmDue: return L"an alarm's ring";
        case EngineMessage::kSnoozeOver: return L"an alarm's ring after its snooze";
        case EngineMessage::kTimerExpired: return L"a timer's ring";
        default: return std::wstring();
    }
}
