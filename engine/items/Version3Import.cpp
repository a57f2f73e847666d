#include "Version3Import.h"

#include "EventItem.h"
#include "ExecuteAction.h"
#include "ItemSoundSettings.h"
#include "ItemStore.h"
#include "ItemVibrationSettings.h"
#include "ProductKey.h"
#include "RegKeyTree.h"

namespace {

using namespace Version3Import;

constexpr int32_t kProgramStartActionType = 1;

// A legacy number: exactly 4 bytes of any type.
bool ReadNumber(const RegKeyRef& item, const wchar_t* name, DWORD* value) {
    return RegKeyRef_QueryDword(item, value, name, 0) == ERROR_SUCCESS;
}

bool HasValue(const RegKeyRef& item, const wchar_t* name) {
    DWORD type = 0, size = 0;
    return RegKeyRef_QueryValue(item, name, &type, nullptr, &size) == ERROR_SUCCESS;
}

bool HasSubKey(const RegKeyRef& item, const wchar_t* name) {
    return RegKeyRef::OpenSubKey(name, item, true).IsOpen();
}

void ConvertSound(const RegKeyRef& item, bool haveFlags, DWORD flags, const FlagBits& bits) {
    ItemSoundSettings sound;  // the built-in defaults
    DWORD value = 0;
    if (ReadNumber(item, kSoundRepeat, &value)) sound.repeat = LOWORD(value);
    if (ReadNumber(item, kSoundVolume, &value)) sound.volume = LOWORD(value);
    if (ReadNumber(item, kSoundPause, &value)) sound.repsplit = LOWORD(value);
    if (ReadNumber(item, kSoundRiseTime, &value)) sound.asctime = LOWORD(value);
    if (haveFlags) sound.respectsys = (flags & bits.respectSystem) ? 1 : 0;
    RcString file;
    RegKeyRef_QueryString(item, file, kSoundFile);
    if (file.Length() > 0) {
        sound.builtIn = 0;
        sound.custom = file;
    } else if (ReadNumber(item, kSoundResource, &value)) {
        sound.customres = static_cast<int32_t>(value);
    }
    sound.Save(item);
}

void ConvertAutoClose(const RegKeyRef& item) {
    DWORD on = 0, time = 0;
    if (!ReadNumber(item, kAutoClose, &on) || on == 0 || !ReadNumber(item, kAutoCloseTime, &time)) return;
    RegKey_WriteDword(item, EventItem::kSnoozeTypeAutoClose, EventItem::kSnoozeTypeValue);
    RegKey_WriteDword(item, time, EventItem::kInitSnoozeValue);
}

void ConvertVibration(const RegKeyRef& item, bool haveFlags, DWORD flags, const FlagBits& bits) {
    DWORD fixedTime = 0;
    if (!ReadNumber(item, kVibrationFixedTime, &fixedTime)) return;
    DWORD onOff = 0, lead = 0;
    ReadNumber(item, kVibrationOnOff, &onOff);
    ReadNumber(item, kVibrationLead, &lead);
    ItemVibrationSettings vibration;
    vibration.FixedVibrationTime = LOWORD(fixedTime);
    vibration.CycleOnTime = LOWORD(onOff);
    vibration.CycleOffTime = HIWORD(onOff);
    vibration.VibrateBeforeSoundTime = LOWORD(lead);
    vibration.bFixedVibrationTime = haveFlags && (flags & bits.fixedVibrationTime) ? 1 : 0;
    vibration.bStartVibrateBeforeSound = haveFlags && (flags & bits.vibrateBeforeSound) ? 1 : 0;
    vibration.Save(item);
}

void ConvertProgramStart(const RegKeyRef& item, DWORD flags, const FlagBits& bits) {
    ExecuteAction start;
    RegKeyRef_QueryString(item, start.CommandLine, kProgram);
    if (start.CommandLine.Length() == 0) return;
    start.RunOnDismiss = 0;
    start.Save(item);
    RegKey_WriteDword(item, (flags & bits.programStart) ? kProgramStartActionType : 0, EventItem::kActionTypeValue);
}

void ConvertItem(const RegKeyRef& item, const FlagBits& bits) {
    DWORD flags = 0;
    const bool haveFlags = ReadNumber(item, kFlags, &flags);
    ConvertSound(item, haveFlags, flags, bits);
    ConvertAutoClose(item);
    ConvertVibration(item, haveFlags, flags, bits);
    ConvertProgramStart(item, flags, bits);
}

// Converts every version-3 item of one list; false when an item in the current
// layout ends the import.
bool ConvertList(const RegKeyRef& productKey, const wchar_t* listName, const FlagBits& bits) {
    RegKeyRef list = RegKeyRef::OpenSubKey(listName, productKey, false);
    RegKeyRef items = RegKeyRef::OpenSubKey(ItemStore::kItemsSubKey, list, false);
    if (!items.IsOpen()) return true;
    for (const std::wstring& name : RegKeyTree_SubKeyNames(items)) {
        RegKeyRef item = RegKeyRef::OpenSubKey(name.c_str(), items, true);
        if (!item.IsOpen()) continue;
        if (HasSubKey(item, ItemSoundSettings::kSubKey)) return false;
        if (HasValue(item, kSoundRepeat)) ConvertItem(item, bits);
    }
    return true;
}

}  // namespace

void ItemStore_ImportVersion3() {
    RegKeyRef productKey = RegKeyRef::Open(ProductKey::kPath, HKEY_CURRENT_USER, true);
    if (!productKey.IsOpen()) return;
    DWORD done = 0;
    if (ReadNumber(productKey, kDoneValue, &done)) return;
    RegKey_WriteDword(productKey, 1, kDoneValue);
    if (ConvertList(productKey, ItemStore::kAlarmsSubKey, kAlarmBits))
        ConvertList(productKey, ItemStore::kTimersSubKey, kTimerBits);
}
