// A timer's defaults, copies of templates, the countdown with its chain, what
// its load accepts (old layout, time away, damaged values) and its duration text.
#include "EngineMessage.h"
#include "FreshDeviceTest.h"
#include "ItemTestHost.h"
#include "RegistryProbe.h"
#include "TimerItem.h"

#include <DeviceClock.h>
#include <gtest/gtest.h>

namespace {

const wchar_t kItemKey[] = L"Software\\Ostrel\\Orvalen\\Timers\\Items\\7";
const Ticks100ns kSecond = kTicksPerSecond;

void SetDeviceHour(int hour, int minute) {
    SYSTEMTIME st = {2026, 12, 1, 7, static_cast<WORD>(hour), static_cast<WORD>(minute), 0, 0};
    ASSERT_TRUE(DeviceClock_SetLocalTime(&st));
}

RegKeyRef ItemKey() { return RegKeyRef::Open(kItemKey, HKEY_CURRENT_USER, false); }

// A stored timer as the program writes it, with time and origTime of the given size.
void PlantTimer(uint32_t flags, const void* time, const void* origTime, DWORD size) {
    ASSERT_TRUE(registryprobe::WriteDword(kItemKey, L"flags", flags));
    ASSERT_TRUE(registryprobe::WriteDword(kItemKey, L"NextTimer", 0));
    ASSERT_TRUE(registryprobe::Write(kItemKey, L"time", REG_BINARY, time, size));
    ASSERT_TRUE(registryprobe::Write(kItemKey, L"origTime", REG_BINARY, origTime, size));
}

std::wstring Duration(Ticks100ns duration) {
    RcString text(L">");
    TimerItem::FormatDuration(duration, text);
    return text.CStr();
}

}  // namespace

// Each test starts from an empty registry and a device clock of its own, however it is run.
class TimerItemTest : public testsupport::FreshDeviceTest {};

TEST_F(TimerItemTest, NewTimerDefaultsByDayAndNight) {
    SetDeviceHour(10, 0);
    ItemTestHost host;
    host.settings.defaultSoundSettings->volume = 41;
    TimerItem day;
    EXPECT_EQ(0x00106022u, day.flags);
    EXPECT_EQ(300, day.GetDurationSeconds());
    EXPECT_EQ(EventItem::kSnoozeTypeKeepShowing, day.SnoozeType);
    EXPECT_EQ(41, day.soundSettings.volume);

    SetDeviceHour(23, 30);
    host.settings.system->VibrationOn = 0;
    EXPECT_EQ(0x00106022u | TimerItem::kNightColors | TimerItem::kVibrateOff, TimerItem().flags);
}

TEST_F(TimerItemTest, CopyOfATemplateNamesItsParentAndStaysSelfRepeating) {
    ItemTestHost host;
    TimerItem tmpl;
    tmpl.flags |= TimerItem::kTemplate;
    tmpl.time = 90 * kSecond;
    tmpl.title.SetCStr(L"Tea");
    tmpl.NextTimer = tmpl.Hash;
    TimerItem copy;
    copy.Assign(tmpl);
    EXPECT_NE(tmpl.Hash, copy.Hash);
    EXPECT_EQ(copy.Hash, copy.NextTimer);
    EXPECT_EQ(tmpl.Hash, copy.ParentHash);
    EXPECT_EQ(90 * kSecond, copy.time);
    EXPECT_STREQ(L"Tea", copy.title.CStr());

    // A copy of a copy keeps the template as its parent and the chain it names.
    copy.flags &= ~TimerItem::kTemplate;
    copy.NextTimer = 99;
    TimerItem second;
    second.Assign(copy);
    EXPECT_EQ(tmpl.Hash, second.ParentHash);
    EXPECT_EQ(99, second.NextTimer);
}

TEST_F(TimerItemTest, CountdownExpiresOnceAndStartsItsChain) {
    ItemTestHost host;
    std::vector<ItemHash> starts;
    TimerItem chained;
    host.startTimer = [&](ItemHash hash, bool) {
        starts.push_back(hash);
        return &chained;
    };
    TimerItem timer;
    timer.flags |= TimerItem::kRunning;
    timer.time = 10 * 60 * kSecond;  // beyond 32 bits of 100-ns units
    timer.NextTimer = 1234;
    timer.Tick(500 * kSecond);
    EXPECT_EQ(100 * kSecond, timer.time);
    EXPECT_TRUE(host.TakeMessages().empty());

    timer.Tick(100 * kSecond);
    timer.Tick(kSecond);
    EXPECT_EQ(-1, timer.time);
    EXPECT_FALSE(timer.IsRunning());
    EXPECT_EQ(std::vector<ItemHash>{1234}, starts);
    EXPECT_EQ(chained.Hash, timer.NextTimer);  // a template's copy carries the chain on
    std::vector<MSG> posted = host.TakeMessages();
    ASSERT_EQ(1u, posted.size());
    EXPECT_EQ(EngineMessage::kTimerExpired, posted[0].message);
    EXPECT_EQ(reinterpret_cast<WPARAM>(&timer), posted[0].wParam);

    // "No chain" keeps the chain from starting.
    TimerItem unchained;
    unchained.flags |= TimerItem::kRunning | TimerItem::kNoChain;
    unchained.time = kSecond;
    unchained.NextTimer = 1234;
    unchained.Tick(kSecond);
    EXPECT_EQ(1u, starts.size());
}

TEST_F(TimerItemTest, LoadTakesOldLayoutsAndTimeAwayAndRefusesWhatCannotRun) {
    ItemTestHost host;
    uint32_t seconds = 600;
    PlantTimer(0, &seconds, &seconds, 4);
    TimerItem old;
    ASSERT_TRUE(old.Load(ItemKey(), 0));
    EXPECT_EQ(6000000000, old.time);  // more than 32 bits hold
    EXPECT_EQ(6000000000, old.origTime);

    // Only a running countdown that is no template loses the time away.
    Ticks100ns left = 90 * kSecond, none = 0;
    const struct {
        uint32_t flags;
        Ticks100ns expected;
    } away[] = {{TimerItem::kRunning, 0}, {0, left}, {TimerItem::kRunning | TimerItem::kTemplate, left}};
    for (const auto& c : away) {
        PlantTimer(c.flags, &left, &left, 8);
        TimerItem timer;
        ASSERT_TRUE(timer.Load(ItemKey(), 120 * kSecond));
        EXPECT_EQ(c.expected, timer.time) << c.flags;
    }

    PlantTimer(TimerItem::kNotLoadable, &left, &left, 8);
    EXPECT_FALSE(TimerItem().Load(ItemKey(), 0));
    PlantTimer(0, &none, &left, 8);
    EXPECT_FALSE(TimerItem().Load(ItemKey(), 0));
    PlantTimer(0, &left, &left, 8);
    ASSERT_TRUE(registryprobe::WriteText(kItemKey, L"NextTimer", L"3"));
    EXPECT_FALSE(TimerItem().Load(ItemKey(), 0));

    // Damaged optional values keep what the timer had.
    PlantTimer(0, &left, &left, 8);
    ASSERT_TRUE(registryprobe::Write(kItemKey, L"origTime", REG_DWORD, &left, 4));
    ASSERT_TRUE(registryprobe::WriteDword(kItemKey, L"title", 5));
    TimerItem damaged;
    damaged.title.SetCStr(L"kept");
    ASSERT_TRUE(damaged.Load(ItemKey(), 0));
    EXPECT_EQ(TimerItem::kDefaultDuration, damaged.origTime);
    EXPECT_STREQ(L"kept", damaged.title.CStr());
}

TEST_F(TimerItemTest, DurationTextCountsDaysIntoTheHours) {
    EXPECT_EQ(L">0:00:00", Duration(-5 * kSecond));
    EXPECT_EQ(L">13:05:09", Duration((13 * 3600 + 5 * 60 + 9) * kSecond + 9999999));
    EXPECT_EQ(L">23:59:59", Duration((24 * 3600 - 1) * kSecond));
    EXPECT_EQ(L">24:00:00", Duration(24 * 3600 * kSecond));
    EXPECT_EQ(L">2401:02:03", Duration((100 * 86400 + 3600 + 123) * kSecond));
}
