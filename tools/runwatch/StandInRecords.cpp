// The program records screen requests under its key while the main menu and the
// options sheet are not built; this file goes when they are.
#include "DeviceSnapshot.h"

#include "ClockWnd.h"
#include "EngineMessage.h"
#include "ProductKey.h"
#include "ProgramScreens.h"
#include "RegKeyRef.h"

#include <string>

namespace {
std::wstring RecordPath(const wchar_t* key) { return std::wstring(L"HKCU\\") + ProductKey::kPath + L"\\" + key; }

void ReadRecord(const RegKeyRef& product, const wchar_t* key, const wchar_t* valueName, StandInRecord* record) {
    const RegKeyRef opened = RegKeyRef::OpenSubKey(key, product, true);
    RegKeyRef_QueryDword(opened, &record->count, ProgramScreens::kCountValue, 0);
    RegKeyRef_QueryDword(opened, &record->lastMessage, ProgramScreens::kLastMessageValue, 0);
    RegKeyRef_QueryDword(opened, &record->lastValue, valueName, 0);
}
}  // namespace

void StandInRecords_Read(StandInRecord* screens) {
    const RegKeyRef product = RegKeyRef::Open(ProductKey::kPath, HKEY_CURRENT_USER, true);
    ReadRecord(product, ProgramScreens::kScreenRecordKey, ProgramScreens::kLastValueValue, screens);
}

std::wstring StandInRecords_ScreenPath() { return RecordPath(ProgramScreens::kScreenRecordKey); }

std::wstring StandInRecords_ScreenName(DWORD message, DWORD value) {
    switch (message) {
        case EngineMessage::kMainMenu: return L"the main menu";
        case ClockWnd::kSettingsCommand: return L"the options (the clock's \"Settings...\")";
        default: return L"message " + std::to_wstring(message) + L" (value " + std::to_wstring(value) + L")";
    }
}
