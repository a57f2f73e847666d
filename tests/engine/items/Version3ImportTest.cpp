// Items saved by version 3 (loose values in each item's key, planted here as that
// version wrote them) come out of the store in the current layout, once; damaged values
// cost only themselves, and an item already in the current layout ends the import.
#include "FreshDeviceTest.h"
#include "Version3Items.h"

namespace {

using namespace version3items;
const RcString kSounds(L"\\Sounds");

bool HasSoundSettings(const std::wstring& item) {
    return registryprobe::Read(item + L"\\" + ItemSoundSettings::kSubKey, ItemSoundSettings::kVolumeValue).exists;
}

class Version3ImportTest : public testsupport::FreshDeviceTest {};

}  // namespace

TEST_F(Version3ImportTest, AlarmsAndTimersLoadWithTheirSoundVibrationAutoCloseAndProgram) {
    PlantTypicalItems();
    StoreTestHost host;
    ItemStore store(kSounds, false);
    const registryprobe::RawValue done = registryprobe::Read(kProduct, Version3Import::kDoneValue);
    EXPECT_EQ(DWORD(REG_DWORD), done.type);
    EXPECT_EQ(1u, done.Dword());
    ExpectTypicalItems(store);
    // What the store does not show: values written or not, and the old ones kept.
    const std::wstring kept = kTimerItems + L"\\22", none = kTimerItems + L"\\23";
    EXPECT_EQ(L"y.exe", TextOf(kept + L"\\" + ExecuteAction::kSubKey, ExecuteAction::kCommandLineValue));
    EXPECT_FALSE(registryprobe::Read(kept, EventItem::kSnoozeTypeValue).exists);
    EXPECT_FALSE(registryprobe::Read(none, EventItem::kActionTypeValue).exists);
    EXPECT_FALSE(registryprobe::Read(none + L"\\" + ExecuteAction::kSubKey, ExecuteAction::kCommandLineValue).exists);
    EXPECT_EQ(5u, registryprobe::Read(kAlarmItems + L"\\11", Version3Import::kSoundRepeat).Dword());
}

TEST_F(Version3ImportTest, DamagedValuesAreSkippedWithoutLosingTheRest) {
    using namespace Version3Import;
    const std::wstring damaged = PlantBase<AlarmItem>(kAlarmItems, 31, 0);
    const WORD two = 70;
    const ULONGLONG eight = 9;
    ASSERT_TRUE(registryprobe::Write(damaged, kSoundRepeat, REG_BINARY, &eight, sizeof eight));  // still marks the item
    ASSERT_TRUE(registryprobe::Write(damaged, kSoundVolume, REG_BINARY, &two, sizeof two));
    WriteNumber(damaged, kSoundPause, 4);
    WriteNumber(damaged, kSoundFile, 1);  // not a text: the built-in sound
    DWORD resource = 210;
    ASSERT_TRUE(registryprobe::Write(damaged, kSoundResource, REG_BINARY, &resource, sizeof resource));
    WriteText(damaged, kFlags, L"ab");
    WriteNumber(damaged, kAutoClose, 1);
    ASSERT_TRUE(registryprobe::Write(damaged, kAutoCloseTime, REG_BINARY, &two, sizeof two));
    WriteNumber(damaged, kVibrationFixedTime, 6);
    ASSERT_TRUE(registryprobe::Write(damaged, kVibrationOnOff, REG_BINARY, &eight, 3));
    ASSERT_TRUE(registryprobe::Write(damaged, kProgram, REG_BINARY, L"z.exe", 12));
    const std::wstring whole = PlantBase<AlarmItem>(kAlarmItems, 32, kAlarmBits.vibrateBeforeSound);
    WriteNumber(whole, kSoundRepeat, 6);
    WriteNumber(whole, kVibrationFixedTime, 2);

    ItemStore_ImportVersion3();
    const std::wstring sound = damaged + L"\\" + ItemSoundSettings::kSubKey;
    EXPECT_EQ(60u, registryprobe::Read(sound, ItemSoundSettings::kVolumeValue).Dword());
    EXPECT_EQ(20u, registryprobe::Read(sound, ItemSoundSettings::kRepeatValue).Dword());
    EXPECT_EQ(4u, registryprobe::Read(sound, ItemSoundSettings::kRepSplitValue).Dword());
    EXPECT_EQ(210u, registryprobe::Read(sound, ItemSoundSettings::kCustomResValue).Dword());
    EXPECT_EQ(L"", TextOf(sound, ItemSoundSettings::kCustomValue));
    EXPECT_TRUE(registryprobe::Read(sound, ItemSoundSettings::kCustomValue).exists);
    EXPECT_FALSE(registryprobe::Read(damaged, EventItem::kSnoozeTypeValue).exists);
    const std::wstring vibration = damaged + L"\\" + ItemVibrationSettings::kSubKey;
    EXPECT_EQ(6u, registryprobe::Read(vibration, ItemVibrationSettings::kFixedTimeValue).Word());
    EXPECT_EQ(0u, registryprobe::Read(vibration, ItemVibrationSettings::kCycleOnValue).Word());
    EXPECT_EQ(0u, registryprobe::Read(vibration, ItemVibrationSettings::kFixedTimeFlagValue).Dword());
    EXPECT_FALSE(registryprobe::Read(damaged, EventItem::kActionTypeValue).exists);

    const std::wstring wholeVibration = whole + L"\\" + ItemVibrationSettings::kSubKey;
    EXPECT_EQ(6u, registryprobe::Read(whole + L"\\" + ItemSoundSettings::kSubKey, ItemSoundSettings::kRepeatValue).Dword());
    EXPECT_EQ(1u, registryprobe::Read(wholeVibration, ItemVibrationSettings::kBeforeSoundFlagValue).Dword());
    EXPECT_EQ(2u, registryprobe::Read(wholeVibration, ItemVibrationSettings::kFixedTimeValue).Word());
}

TEST_F(Version3ImportTest, AnItemInTheCurrentLayoutEndsIt) {
    const std::wstring first = PlantBase<AlarmItem>(kAlarmItems, 1, 0);
    WriteNumber(first, Version3Import::kSoundRepeat, 3);
    StoreTestHost host;
    AlarmItem current;
    current.Hash = 2;
    current.Save(RegKeyRef::Open((kAlarmItems + L"\\2").c_str(), HKEY_CURRENT_USER, false));
    const std::wstring third = PlantBase<AlarmItem>(kAlarmItems, 3, 0);
    WriteNumber(third, Version3Import::kSoundRepeat, 3);
    const std::wstring timer = PlantBase<TimerItem>(kTimerItems, 4, 0);
    WriteNumber(timer, Version3Import::kSoundRepeat, 3);

    ItemStore_ImportVersion3();
    EXPECT_TRUE(HasSoundSettings(first));
    EXPECT_FALSE(HasSoundSettings(third));
    EXPECT_FALSE(HasSoundSettings(timer));
}

TEST_F(Version3ImportTest, RunsOnceAndWritesNothingWithoutTheProductKey) {
    ItemStore_ImportVersion3();
    HKEY vendor = nullptr;
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Ostrel", 0, KEY_READ, &vendor));

    const std::wstring alarm = PlantBase<AlarmItem>(kAlarmItems, 41, 0);
    WriteNumber(alarm, Version3Import::kSoundRepeat, 8);
    ItemStore_ImportVersion3();
    const auto once = registryprobe::Tree(kProduct);
    EXPECT_TRUE(HasSoundSettings(alarm));
    // Taken away again: a second run must not bring it back.
    RegDeleteTreeW(HKEY_CURRENT_USER, (alarm + L"\\" + ItemSoundSettings::kSubKey).c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, (alarm + L"\\" + ItemSoundSettings::kSubKey).c_str());
    const auto without = registryprobe::Tree(kProduct);
    ItemStore_ImportVersion3();
    EXPECT_TRUE(without == registryprobe::Tree(kProduct));
    EXPECT_FALSE(once == without);
}
