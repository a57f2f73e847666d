// A new alarm's defaults, its option bits, how it fires once or repeatedly, and
// its registry form: every field round-trips, damaged values never break a load.
#include "AlarmItem.h"
#include "EngineMessage.h"
#include "ItemTestHost.h"
#include "RegistryProbe.h"

#include <DeviceClock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <set>

namespace {

const wchar_t kItemKey[] = L"Software\\Ostrel\\Orvalen\\Alarms\\Items\\42";

void SetDeviceLocal(int hour, int minute, int second, int millisecond) {
    SYSTEMTIME st = {};
    st.wYear = 2026;
    st.wMonth = 12;
    st.wDay = 7;
    st.wHour = static_cast<WORD>(hour);
    st.wMinute = static_cast<WORD>(minute);
    st.wSecond = static_cast<WORD>(second);
    st.wMilliseconds = static_cast<WORD>(millisecond);
    ASSERT_TRUE(DeviceClock_SetLocalTime(&st));
}

RegKeyRef ItemKey() { return RegKeyRef::Open(kItemKey, HKEY_CURRENT_USER, false); }

// An alarm that waits for `time`, as a confirmed, rescheduled alarm does.
void MakeWaiting(AlarmItem& alarm, OleDate time) {
    alarm.flags &= ~(AlarmItem::kNew | AlarmItem::kFired | AlarmItem::kDismissed);
    alarm.time = time;
}

std::vector<UINT> Messages(ItemTestHost& host) {
    std::vector<UINT> numbers;
    for (const MSG& msg : host.TakeMessages()) numbers.push_back(msg.message);
    return numbers;
}

}  // namespace

TEST(AlarmItem, FreshAlarmWithoutAStore) {
    SetDeviceLocal(10, 15, 37, 250);
    AlarmItem alarm;
    EXPECT_EQ(0x0080EA7Fu, alarm.flags);
    EXPECT_NEAR(Time_DateFromParts(2026, 12, 7, 10, 17, 0, 600), alarm.time, 1e-8);
    EXPECT_NEAR(alarm.time + 5.0 / 1440, alarm.snooze, 1e-8);
    ASSERT_TRUE(alarm.action);
    EXPECT_EQ(Action::kNoneNameStringId, alarm.action->NameStringId());
    EXPECT_TRUE(alarm.soundSettings == ItemSoundSettings());
}

TEST(AlarmItem, FreshAlarmInAStoreTakesTheDefaultsAndAFreeHash) {
    SetDeviceLocal(10, 15, 37, 250);
    ItemTestHost host;
    host.settings.system->VibrationOn = 0;
    host.settings.defaultSoundSettings->volume = 33;
    host.settings.defaultSoundSettings->builtIn = 0;
    host.settings.defaultSoundSettings->custom.SetCStr(L"\\My Documents\\ring.ogg");
    host.settings.defaultVibrationSettings->CycleOnTime = 250;
    // The first three hashes drawn are taken.
    int refused = 0;
    host.hashTaken = [&](ItemHash) { return ++refused <= 3; };

    AlarmItem alarm;
    EXPECT_EQ(0x0082EA7Fu, alarm.flags);
    EXPECT_FALSE(alarm.IsOption5());
    EXPECT_TRUE(alarm.soundSettings == *host.settings.defaultSoundSettings);
    EXPECT_TRUE(alarm.vibrationSettings == *host.settings.defaultVibrationSettings);
    ASSERT_EQ(4u, host.hashesAsked.size());
    EXPECT_EQ(host.hashesAsked.back(), alarm.Hash);

    host.settings.system->VibrationOn = 1;
    AlarmItem vibrating;
    EXPECT_EQ(0x0080EA7Fu, vibrating.flags);
}

TEST(AlarmItem, NightColorsWhenCreatedBetween23And8) {
    struct Case {
        int hour, minute;
        bool night;
    } cases[] = {{23, 30, true}, {22, 59, false}, {8, 0, false}, {7, 59, true}, {0, 0, true}, {12, 0, false}};
    for (const Case& c : cases) {
        SetDeviceLocal(c.hour, c.minute, 0, 0);
        AlarmItem alarm;
        EXPECT_EQ(c.night, alarm.IsOption6()) << c.hour << ":" << c.minute;
    }
}

TEST(AlarmItem, OptionsMapToTheirBitsSomeInverted) {
    ItemTestHost host;
    AlarmItem alarm;
    struct Option {
        bool (AlarmItem::*is)() const;
        void (AlarmItem::*set)(bool);
        uint32_t bit;
        bool setMeansOn;
    } options[] = {
        {&AlarmItem::IsOption1, &AlarmItem::SetOption1, 0x200, true},
        {&AlarmItem::IsOption2, &AlarmItem::SetOption2, 0x400, true},
        {&AlarmItem::IsOption3, &AlarmItem::SetOption3, 0x10000, false},
        {&AlarmItem::IsOption4, &AlarmItem::SetOption4, 0x800000, false},
        {&AlarmItem::IsOption5, &AlarmItem::SetOption5, 0x20000, false},
        {&AlarmItem::IsOption6, &AlarmItem::SetOption6, 0x8000000, true},
        {&AlarmItem::IsOption7, &AlarmItem::SetOption7, 0x200000, false},
        {&AlarmItem::IsDismissed, &AlarmItem::SetDismissed, 0x4000, true},
    };
    for (const Option& o : options) {
        for (bool on : {true, false}) {
            uint32_t before = alarm.flags;
            (alarm.*o.set)(on);
            EXPECT_EQ(on, (alarm.*o.is)()) << std::hex << o.bit;
            EXPECT_EQ(on == o.setMeansOn, (alarm.flags & o.bit) != 0) << std::hex << o.bit;
            EXPECT_EQ(before & ~o.bit, alarm.flags & ~o.bit) << "other bits changed by " << std::hex << o.bit;
        }
    }
    // Without a vibrator the alarm never vibrates, whatever its bit says.
    alarm.SetOption5(true);
    host.hasVibrator = false;
    EXPECT_FALSE(alarm.IsOption5());
    EXPECT_EQ(0u, alarm.flags & AlarmItem::kVibrateOff);
}

TEST(AlarmItem, RepeatingAlarmFiresSnoozesAndIsDismissed) {
    ItemTestHost host;
    AlarmItem alarm;
    OleDate due = Time_DateFromParts(2026, 12, 7, 7, 0, 0, 0);
    MakeWaiting(alarm, due);

    alarm.CheckFire(due - 1.0 / 86400);
    EXPECT_TRUE(Messages(host).empty());
    alarm.CheckFire(due);
    std::vector<MSG> posted = host.TakeMessages();
    ASSERT_EQ(1u, posted.size());
    EXPECT_EQ(EngineMessage::kAlarmDue, posted[0].message);
    EXPECT_EQ(reinterpret_cast<WPARAM>(&alarm), posted[0].wParam);
    EXPECT_EQ(0, posted[0].lParam);
    EXPECT_TRUE(alarm.flags & AlarmItem::kFired);
    EXPECT_TRUE(alarm.flags & AlarmItem::kEnabled);
    // While it rings (fired, dismissed clear) and its snooze is ahead, nothing more is posted.
    alarm.CheckFire(due + 1.0 / 1440);
    EXPECT_TRUE(Messages(host).empty());

    // Snooze with remember, from a null base: counted from the alarm time, not from now.
    alarm.Snooze(nullptr, 10, 1, true);
    EXPECT_NEAR(due + (10 * 60 + 1) / 86400.0, alarm.snooze, 1e-8);
    EXPECT_EQ(10, alarm.initsnooze.minutes);
    EXPECT_EQ(1, alarm.initsnooze.seconds);
    alarm.SnoozeCount = 1;
    alarm.flags |= AlarmItem::kAutoSnoozed;
    alarm.CheckFire(alarm.snooze);
    EXPECT_EQ(std::vector<UINT>{EngineMessage::kSnoozeOver}, Messages(host));

    EXPECT_EQ(1, alarm.Dismiss(true));
    EXPECT_EQ(1, host.reschedules);
    EXPECT_TRUE(alarm.IsDismissed());
    EXPECT_EQ(0, alarm.SnoozeCount);
    EXPECT_FALSE(alarm.flags & AlarmItem::kAutoSnoozed);
    EXPECT_EQ(0, alarm.Dismiss(false));
    EXPECT_EQ(1, host.reschedules);
}

TEST(AlarmItem, NotifyOnceSwitchesItselfOffUnlessForcedToSnooze) {
    ItemTestHost host;
    OleDate due = Time_DateFromParts(2026, 12, 7, 7, 0, 0, 0);

    AlarmItem once;
    MakeWaiting(once, due);
    once.flags |= AlarmItem::kNotifyOnce;
    once.CheckFire(due);
    EXPECT_EQ(std::vector<UINT>{EngineMessage::kAlarmDue}, Messages(host));
    EXPECT_FALSE(once.flags & AlarmItem::kEnabled);
    EXPECT_TRUE(once.IsDismissed());
    EXPECT_TRUE(once.flags & AlarmItem::kFired);
    EXPECT_EQ(kOleDateNever, once.NextFireTime(due));
    once.CheckFire(due + 1);
    EXPECT_TRUE(Messages(host).empty());

    AlarmItem forced;
    MakeWaiting(forced, due);
    forced.flags |= AlarmItem::kNotifyOnce | AlarmItem::kForceSnooze;
    forced.CheckFire(due);
    EXPECT_EQ(std::vector<UINT>{EngineMessage::kAlarmDue}, Messages(host));
    EXPECT_TRUE(forced.flags & AlarmItem::kEnabled);
    EXPECT_FALSE(forced.IsDismissed());
    // Its snooze rings once more, and then it is off.
    OleDate pressed = due + 1.0 / 1440;
    forced.Snooze(&pressed, 5, 0, false);
    forced.CheckFire(pressed + 5.0 / 1440);
    EXPECT_EQ(std::vector<UINT>{EngineMessage::kSnoozeOver}, Messages(host));
    EXPECT_FALSE(forced.flags & AlarmItem::kEnabled);
    EXPECT_TRUE(forced.IsDismissed());
}

TEST(AlarmItem, CheckFireWithoutAnEngineWindowPostsNothingAnywhere) {
    ItemTestHost host;
    host.engineGone = true;
    AlarmItem alarm;
    OleDate due = Time_DateFromParts(2026, 12, 7, 7, 0, 0, 0);
    MakeWaiting(alarm, due);
    alarm.CheckFire(due);
    EXPECT_TRUE(alarm.flags & AlarmItem::kFired);
    host.engineGone = false;
    EXPECT_TRUE(host.TakeMessages().empty());
}

TEST(AlarmItem, EveryFieldRoundTripsThroughTheRegistry) {
    ItemTestHost host;
    AlarmItem saved;
    saved.flags = 0x6C9A1D55u;
    saved.time = Time_DateFromParts(2027, 3, 4, 5, 6, 7, 100);
    saved.snooze = saved.time + 0.25;
    saved.SetTitle(RcString(L"Wake up \u00e9\u4e2d"));
    saved.Hash = -123456789;
    saved.SnoozeCount = 3;
    saved.initsnooze.minutes = 10;
    saved.initsnooze.seconds = 1;
    saved.SnoozeType = 2;
    saved.soundSettings.builtIn = 0;
    saved.soundSettings.custom.SetCStr(L"\\Storage Card\\wake.mp3");
    saved.soundSettings.volume = 77;
    saved.soundSettings.repeat = 3;
    saved.soundSettings.repsplit = 9;
    saved.soundSettings.asctime = 0;
    saved.soundSettings.respectsys = 1;
    saved.vibrationSettings.bFixedVibrationTime = 1;
    saved.vibrationSettings.bStartVibrateBeforeSound = 1;
    saved.vibrationSettings.VibrateBeforeSoundTime = 11;
    saved.vibrationSettings.FixedVibrationTime = 12;
    saved.vibrationSettings.CycleOnTime = 1300;
    saved.vibrationSettings.CycleOffTime = 1400;
    saved.Save(ItemKey());

    // Every value the load takes is written back unchanged by the next save.
    AlarmItem loaded;
    ASSERT_TRUE(loaded.Load(ItemKey()));
    const std::wstring copy = std::wstring(kItemKey) + L"0";
    loaded.Save(RegKeyRef::Open(copy.c_str(), HKEY_CURRENT_USER, false));
    EXPECT_TRUE(registryprobe::Tree(kItemKey) == registryprobe::Tree(copy));
    EXPECT_STREQ(saved.GetTitle().CStr(), loaded.GetTitle().CStr());
    EXPECT_EQ(saved.time, loaded.time);

    // The stored form, byte for byte.
    using namespace registryprobe;
    RawValue v = Read(kItemKey, L"flags");
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), v.type);
    EXPECT_EQ(0x6C9A1D55u, v.Dword());
    v = Read(kItemKey, L"time");
    EXPECT_EQ(static_cast<DWORD>(REG_BINARY), v.type);
    ASSERT_EQ(8u, v.bytes.size());
    EXPECT_EQ(saved.time, v.Double());
    v = Read(kItemKey, L"snooze");
    EXPECT_EQ(static_cast<DWORD>(REG_BINARY), v.type);
    EXPECT_EQ(8u, v.bytes.size());
    v = Read(kItemKey, L"title");
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), v.type);
    EXPECT_EQ((wcslen(saved.GetTitle().CStr()) + 1) * 2, v.bytes.size());
    v = Read(kItemKey, L"initsnooze");
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), v.type);
    EXPECT_EQ(0x0001000Au, v.Dword());
    v = Read(kItemKey, L"Hash");
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), v.type);
    EXPECT_EQ(static_cast<DWORD>(-123456789), v.Dword());
    for (const wchar_t* name : {L"actionType", L"SnoozeCount", L"SnoozeType"})
        EXPECT_EQ(static_cast<DWORD>(REG_DWORD), Read(kItemKey, name).type) << name;
    std::set<std::wstring> names;
    for (const std::wstring& n : ValueNames(kItemKey)) names.insert(n);
    EXPECT_EQ((std::set<std::wstring>{L"actionType", L"Hash", L"SnoozeCount", L"initsnooze", L"SnoozeType", L"flags",
                                      L"time", L"title", L"snooze"}),
              names);
    EXPECT_TRUE(KeyExists(std::wstring(kItemKey) + L"\\SoundSettings"));
    EXPECT_TRUE(KeyExists(std::wstring(kItemKey) + L"\\VibrationSettings"));
}

TEST(AlarmItem, LoadFailsWithoutValidFlagsOrTime) {
    using namespace registryprobe;
    AlarmItem saved;
    saved.Save(ItemKey());
    const double time = 46000.5;
    struct Case {
        const char* name;
        const wchar_t* value;
        DWORD type;
        std::vector<BYTE> bytes;
    } cases[] = {
        {"flags missing", L"flags", REG_NONE, {}},
        {"flags as binary", L"flags", REG_BINARY, {1, 2, 3, 4}},
        {"time missing", L"time", REG_NONE, {}},
        {"time of 4 bytes", L"time", REG_BINARY, {0, 0, 0, 0}},
        {"time of 9 bytes", L"time", REG_BINARY, std::vector<BYTE>(9, 0x40)},
        {"time as dword", L"time", REG_DWORD, {1, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        saved.time = time;
        saved.Save(ItemKey());
        if (c.type == REG_NONE)
            Delete(kItemKey, c.value);
        else
            Write(kItemKey, c.value, c.type, c.bytes.data(), static_cast<DWORD>(c.bytes.size()));
        AlarmItem loaded;
        uint32_t flags = loaded.flags;
        OleDate before = loaded.time;
        EXPECT_FALSE(loaded.Load(ItemKey())) << c.name;
        EXPECT_EQ(flags, loaded.flags) << c.name;
        EXPECT_EQ(before, loaded.time) << c.name;
    }
}

TEST(AlarmItem, DamagedOptionalValuesKeepTheirDefaults) {
    using namespace registryprobe;
    AlarmItem saved;
    saved.SetTitle(RcString(L"kept"));
    saved.SnoozeCount = 4;
    saved.Save(ItemKey());
    // A title without its terminator, a short snooze, numbers of the wrong type or size.
    const wchar_t unterminated[] = {L'N', L'o', L'o', L'n'};
    Write(kItemKey, L"title", REG_SZ, unterminated, sizeof unterminated);
    const BYTE shortDate[4] = {1, 2, 3, 4};
    Write(kItemKey, L"snooze", REG_BINARY, shortDate, sizeof shortDate);
    const BYTE binaryHash[4] = {9, 9, 9, 9};
    Write(kItemKey, L"Hash", REG_BINARY, binaryHash, sizeof binaryHash);
    const BYTE shortDword[2] = {7, 0};
    Write(kItemKey, L"SnoozeType", REG_DWORD, shortDword, sizeof shortDword);
    Write(kItemKey, L"initsnooze", REG_SZ, L"x", 4);
    Delete(kItemKey, L"SnoozeCount");

    AlarmItem loaded;
    loaded.SnoozeCount = 9;
    ItemHash hash = loaded.Hash;
    OleDate snooze = loaded.snooze;
    ASSERT_TRUE(loaded.Load(ItemKey()));
    EXPECT_STREQ(L"Noon", loaded.GetTitle().CStr());
    EXPECT_EQ(snooze, loaded.snooze);
    EXPECT_EQ(hash, loaded.Hash);
    EXPECT_EQ(1, loaded.SnoozeType);
    EXPECT_EQ(5, loaded.initsnooze.minutes);
    EXPECT_EQ(0, loaded.initsnooze.seconds);
    EXPECT_EQ(0, loaded.SnoozeCount);

    // A title of another type leaves the title as it was.
    Write(kItemKey, L"title", REG_BINARY, unterminated, sizeof unterminated);
    ASSERT_TRUE(loaded.Load(ItemKey()));
    EXPECT_STREQ(L"Noon", loaded.GetTitle().CStr());
}

TEST(AlarmItem, GarbageInEveryValueNeverBreaksTheLoad) {
    using namespace registryprobe;
    const wchar_t* names[] = {L"actionType", L"Hash", L"SnoozeCount", L"initsnooze", L"SnoozeType",
                              L"flags",      L"time", L"title",       L"snooze"};
    const DWORD types[] = {REG_NONE, REG_SZ, REG_EXPAND_SZ, REG_BINARY, REG_DWORD, REG_MULTI_SZ, REG_QWORD};
    uint32_t seed = 12345;
    auto next = [&seed] { return seed = seed * 1103515245u + 12345u; };
    int loadedCount = 0;
    const size_t sizes[] = {0, 1, 2, 3, 4, 6, 8, 9, 16, 23};
    for (int round = 0; round < 200; ++round) {
        for (const wchar_t* name : names) {
            std::vector<BYTE> bytes(sizes[next() % 10]);
            for (BYTE& b : bytes) b = static_cast<BYTE>(next() >> 16);
            Write(kItemKey, name, types[next() % 7], bytes.data(), static_cast<DWORD>(bytes.size()));
        }
        // Every other round has loadable flags and time, so the rest of the load runs on garbage too.
        if (round % 2) {
            WriteDword(kItemKey, L"flags", next());
            double time = 46000.25;
            Write(kItemKey, L"time", REG_BINARY, &time, sizeof time);
        }
        AlarmItem alarm;
        if (alarm.Load(ItemKey())) ++loadedCount;
        EXPECT_GE(alarm.GetTitle().Length(), 0);
        EXPECT_TRUE(alarm.action);
    }
    // Both outcomes occur, so the garbage reached past the first checks.
    EXPECT_GT(loadedCount, 0);
    EXPECT_LT(loadedCount, 200);
}
