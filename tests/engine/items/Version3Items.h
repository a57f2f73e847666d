#pragma once
// Items as version 3 of the program left them in the registry: the base values of the
// current layout without its sound, vibration, action and snooze values, and the old
// loose values beside them. Shared by the import's own tests and the program's.
#include "ExecuteAction.h"
#include "ItemStore.h"
#include "RegistryProbe.h"
#include "StoreTestHost.h"
#include "Version3Import.h"

#include <gtest/gtest.h>

#include <string>
#include <type_traits>

namespace version3items {

const std::wstring kProduct = L"Software\\Ostrel\\Orvalen";
const std::wstring kAlarmItems = kProduct + L"\\Alarms\\Items";
const std::wstring kTimerItems = kProduct + L"\\Timers\\Items";

inline void WriteText(const std::wstring& key, const wchar_t* name, const std::wstring& text) {
    ASSERT_TRUE(registryprobe::Write(key, name, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * 2)));
}

inline void WriteNumber(const std::wstring& key, const wchar_t* name, DWORD value) {
    ASSERT_TRUE(registryprobe::WriteDword(key, name, value));
}

// A REG_SZ value's text without its terminator.
inline std::wstring TextOf(const std::wstring& key, const wchar_t* name) {
    std::wstring text = registryprobe::Read(key, name).Text();
    while (!text.empty() && text.back() == L'\0') text.pop_back();
    return text;
}

// The item's key with its base values only; extraFlags join its flag word.
template <class Item>
std::wstring PlantBase(const std::wstring& list, ItemHash hash, DWORD extraFlags) {
    StoreTestHost host;
    Item item;
    item.Hash = hash;
    item.flags = (item.flags & ~Item::kNew) | extraFlags;
    // A timer without a duration is not loaded.
    if constexpr (std::is_same<Item, TimerItem>::value) item.time = item.origTime = Ticks_FromSeconds(300);
    const std::wstring key = list + L"\\" + std::to_wstring(hash);
    item.Save(RegKeyRef::Open(key.c_str(), HKEY_CURRENT_USER, false));
    for (const wchar_t* sub : {ItemSoundSettings::kSubKey, ItemVibrationSettings::kSubKey}) {
        RegDeleteTreeW(HKEY_CURRENT_USER, (key + L"\\" + sub).c_str());
        RegDeleteKeyW(HKEY_CURRENT_USER, (key + L"\\" + sub).c_str());
    }
    for (const wchar_t* value : {EventItem::kActionTypeValue, EventItem::kSnoozeTypeValue, EventItem::kInitSnoozeValue})
        RegDeleteKeyValueW(HKEY_CURRENT_USER, key.c_str(), value);
    return key;
}

inline const ExecuteAction* ProgramStart(const EventItem& item) {
    return dynamic_cast<const ExecuteAction*>(item.action.get());
}

// Alarm 11 with every option; timers 21 (built-in sound, program on), 22 (program kept
// but off, automatic close off) and 23 (no program).
inline void PlantTypicalItems() {
    using namespace Version3Import;
    const std::wstring alarm = PlantBase<AlarmItem>(
        kAlarmItems, 11, kAlarmBits.respectSystem | kAlarmBits.fixedVibrationTime | kAlarmBits.programStart);
    WriteNumber(alarm, kSoundRepeat, 5);
    WriteNumber(alarm, kSoundVolume, 0x00010050);  // the low 16 bits count
    WriteNumber(alarm, kSoundPause, 3);
    WriteNumber(alarm, kSoundRiseTime, 7);
    WriteText(alarm, kSoundFile, L"\\My Documents\\wake.mp3");
    WriteNumber(alarm, kSoundResource, 300);  // a file wins over a built-in sound
    WriteNumber(alarm, kAutoClose, 1);
    WriteNumber(alarm, kAutoCloseTime, 0x0000000A);
    WriteNumber(alarm, kVibrationFixedTime, 12);
    WriteNumber(alarm, kVibrationOnOff, 0x01F40320);
    WriteNumber(alarm, kVibrationLead, 3);
    WriteText(alarm, kProgram, L"\"\\Windows\\calc.exe\" -x");

    const std::wstring timer =
        PlantBase<TimerItem>(kTimerItems, 21, kTimerBits.programStart | kTimerBits.vibrateBeforeSound);
    WriteNumber(timer, kSoundRepeat, 2);
    WriteNumber(timer, kSoundResource, 205);
    WriteText(timer, kProgram, L"\\Windows\\x.exe");
    const std::wstring kept = PlantBase<TimerItem>(kTimerItems, 22, 0);
    WriteNumber(kept, kSoundRepeat, 4);
    WriteNumber(kept, kAutoClose, 0);
    WriteNumber(kept, kAutoCloseTime, 9);
    WriteText(kept, kProgram, L"y.exe");
    const std::wstring none = PlantBase<TimerItem>(kTimerItems, 23, kTimerBits.programStart);
    WriteNumber(none, kSoundRepeat, 1);
    WriteText(none, kProgram, L"");
}

// The planted items as a store loaded them once imported.
inline void ExpectTypicalItems(const ItemStore& store) {
    AlarmItem* a = store.FindAlarmByHash(11);
    ASSERT_NE(nullptr, a);
    EXPECT_EQ(0, a->soundSettings.builtIn);
    EXPECT_STREQ(L"\\My Documents\\wake.mp3", a->soundSettings.custom.CStr());
    EXPECT_EQ(80, a->soundSettings.volume);
    EXPECT_EQ(5, a->soundSettings.repeat);
    EXPECT_EQ(3, a->soundSettings.repsplit);
    EXPECT_EQ(7, a->soundSettings.asctime);
    EXPECT_EQ(1, a->soundSettings.respectsys);
    EXPECT_EQ(EventItem::kSnoozeTypeAutoClose, a->SnoozeType);
    EXPECT_EQ(10, a->initsnooze.minutes);
    EXPECT_EQ(0, a->initsnooze.seconds);
    ItemVibrationSettings vibration;
    vibration.bFixedVibrationTime = 1;
    vibration.FixedVibrationTime = 12;
    vibration.CycleOnTime = 800;
    vibration.CycleOffTime = 500;
    vibration.VibrateBeforeSoundTime = 3;
    EXPECT_TRUE(vibration == a->vibrationSettings);
    EXPECT_EQ(1, a->actionType);
    ASSERT_NE(nullptr, ProgramStart(*a));
    EXPECT_STREQ(L"\"\\Windows\\calc.exe\" -x", ProgramStart(*a)->CommandLine.CStr());
    EXPECT_EQ(0, ProgramStart(*a)->RunOnDismiss);

    TimerItem* t = store.FindTimerByHash(21);
    ASSERT_NE(nullptr, t);
    ItemSoundSettings sound;  // the built-in defaults but for the repeat and the sound
    sound.repeat = 2;
    sound.customres = 205;
    EXPECT_TRUE(sound == t->soundSettings);
    EXPECT_TRUE(ItemVibrationSettings() == t->vibrationSettings) << "no fixed time: no vibration record";
    EXPECT_EQ(EventItem::kSnoozeTypeKeepShowing, t->SnoozeType) << "a timer keeps its own snooze type";
    EXPECT_EQ(1, t->actionType);
    ASSERT_NE(nullptr, ProgramStart(*t));
    EXPECT_STREQ(L"\\Windows\\x.exe", ProgramStart(*t)->CommandLine.CStr());

    TimerItem* kept = store.FindTimerByHash(22);
    ASSERT_NE(nullptr, kept);
    EXPECT_EQ(0, kept->actionType);
    EXPECT_EQ(nullptr, ProgramStart(*kept));
    EXPECT_EQ(EventItem::kSnoozeTypeKeepShowing, kept->SnoozeType) << "automatic close was off";
    TimerItem* none = store.FindTimerByHash(23);
    ASSERT_NE(nullptr, none);
    EXPECT_EQ(0, none->actionType);
}

}  // namespace version3items
