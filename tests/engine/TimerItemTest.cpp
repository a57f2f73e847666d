// A timer's defaults, copies of templates, the countdown with its chains, its
// registry form (old and new layouts, time away, damaged values) and its
// duration text.
#include "EngineMessage.h"
#include "ItemTestHost.h"
#include "RegistryProbe.h"
#include "TimerItem.h"

#include <DeviceClock.h>
#include <gtest/gtest.h>

namespace {

const wchar_t kItemKey[] = L"Software\\Ostrel\\Orvalen\\Timers\\Items\\7";
const Ticks100ns kSecond = kTicksPerSecond;

void SetDeviceHour(int hour, int minute) {
    SYSTEMTIME st = {};
    st.wYear = 2026;
    st.wMonth = 12;
    st.wDay = 7;
    st.wHour = static_cast<WORD>(hour);
    st.wMinute = static_cast<WORD>(minute);
    ASSERT_TRUE(DeviceClock_SetLocalTime(&st));
}

RegKeyRef ItemKey() { return RegKeyRef::Open(kItemKey, HKEY_CURRENT_USER, false); }

// A stored timer as the program writes it, with time and origTime in the given layout.
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

TEST(TimerItem, NewTimerDefaultsByDayAndNight) {
    SetDeviceHour(10, 0);
    ItemTestHost host;
    host.settings.defaultSoundSettings->volume = 41;
    TimerItem day;
    EXPECT_EQ(0x00106022u, day.flags);
    EXPECT_EQ(0, day.time);
    EXPECT_EQ(3000000000, day.origTime);
    EXPECT_EQ(300, day.GetDurationSeconds());
    EXPECT_EQ(EventItem::kSnoozeTypeKeepShowing, day.SnoozeType);
    EXPECT_EQ(41, day.soundSettings.volume);
    EXPECT_TRUE(day.IsDismissed() && day.IsOption1() && day.IsOption7() && !day.IsOption4());

    SetDeviceHour(23, 30);
    host.settings.system->VibrationOn = 0;
    TimerItem night;
    EXPECT_EQ(0x00106022u | TimerItem::kNightColors | TimerItem::kVibrateOff, night.flags);
    SetDeviceHour(7, 59);
    EXPECT_TRUE(TimerItem().IsOption6());
}

TEST(TimerItem, CopyOfATemplateNamesItsParentAndStaysSelfRepeating) {
    ItemTestHost host;
    TimerItem tmpl;
    tmpl.flags |= TimerItem::kTemplate;
    tmpl.time = tmpl.origTime = 90 * kSecond;
    tmpl.title.SetCStr(L"Tea");
    tmpl.NextTimer = tmpl.Hash;
    tmpl.SnoozeType = EventItem::kSnoozeTypeAutoClose;
    TimerItem copy;
    copy.Assign(tmpl);
    EXPECT_TRUE(copy.IsTemplate());  // the store clears it on its copies
    copy.flags &= ~TimerItem::kTemplate;
    EXPECT_NE(tmpl.Hash, copy.Hash);
    EXPECT_EQ(copy.Hash, copy.NextTimer);
    EXPECT_EQ(tmpl.Hash, copy.ParentHash);
    EXPECT_EQ(90 * kSecond, copy.time);
    EXPECT_STREQ(L"Tea", copy.title.CStr());
    EXPECT_EQ(EventItem::kSnoozeTypeAutoClose, copy.SnoozeType);
    EXPECT_TRUE(tmpl.IsTemplate());

    // A copy of a copy keeps the template as its parent and the chain it names.
    TimerItem second;
    copy.NextTimer = 99;
    second.Assign(copy);
    EXPECT_EQ(tmpl.Hash, second.ParentHash);
    EXPECT_EQ(99, second.NextTimer);
}

TEST(TimerItem, CountdownExpiresOnceAndStartsItsChain) {
    ItemTestHost host;
    std::vector<std::pair<ItemHash, bool>> starts;
    TimerItem chained;
    host.startTimer = [&](ItemHash hash, bool stopwatch) {
        starts.emplace_back(hash, stopwatch);
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
    EXPECT_EQ(-1, timer.time);
    EXPECT_FALSE(timer.IsRunning());
    ASSERT_EQ(1u, starts.size());
    EXPECT_EQ(1234, starts[0].first);
    EXPECT_FALSE(starts[0].second);
    EXPECT_EQ(chained.Hash, timer.NextTimer);  // a template's copy carries the chain on
    EXPECT_EQ(0, timer.SelfCounter);
    std::vector<MSG> posted = host.TakeMessages();
    ASSERT_EQ(1u, posted.size());
    EXPECT_EQ(EngineMessage::kTimerExpired, posted[0].message);
    EXPECT_EQ(reinterpret_cast<WPARAM>(&timer), posted[0].wParam);

    // Expired and stopped: later ticks change nothing.
    timer.Tick(kSecond);
    EXPECT_EQ(-1, timer.time);
    EXPECT_EQ(1u, starts.size());
    EXPECT_TRUE(host.TakeMessages().empty());

    // The "no chain" bit keeps the chain from starting, a missing chained timer changes nothing.
    TimerItem unchained;
    unchained.flags |= TimerItem::kRunning | TimerItem::kNoChain;
    unchained.time = kSecond;
    unchained.NextTimer = 1234;
    unchained.Tick(kSecond);
    EXPECT_EQ(1u, starts.size());
    host.startTimer = nullptr;
    TimerItem orphan;
    orphan.flags |= TimerItem::kRunning;
    orphan.time = kSecond;
    orphan.NextTimer = 555;
    orphan.Tick(2 * kSecond);
    EXPECT_EQ(555, orphan.NextTimer);
    EXPECT_EQ(2u, host.TakeMessages().size());
}

TEST(TimerItem, EveryFieldRoundTripsThroughTheRegistry) {
    ItemTestHost host;
    TimerItem timer;
    timer.flags = 0x000D2E5A;
    timer.time = 0x123456789AB;
    timer.origTime = 0x7000000001;
    timer.title.SetCStr(L"Eggs");
    timer.NextTimer = -17;
    timer.SelfCounter = 3;
    timer.ParentHash = -99;
    timer.SnoozeCount = 2;
    timer.Save(ItemKey());
    EXPECT_EQ(REG_BINARY, registryprobe::Read(kItemKey, L"time").type);
    EXPECT_EQ(8u, registryprobe::Read(kItemKey, L"origTime").bytes.size());
    EXPECT_EQ(static_cast<DWORD>(-99), registryprobe::Read(kItemKey, L"ParentHash").Dword());

    TimerItem loaded;
    ASSERT_TRUE(loaded.Load(ItemKey(), 0));
    EXPECT_EQ(timer.flags, loaded.flags);
    EXPECT_EQ(timer.time, loaded.time);
    EXPECT_EQ(timer.origTime, loaded.origTime);
    EXPECT_STREQ(L"Eggs", loaded.title.CStr());
    EXPECT_EQ(-17, loaded.NextTimer);
    EXPECT_EQ(3, loaded.SelfCounter);
    EXPECT_EQ(-99, loaded.ParentHash);
    EXPECT_EQ(timer.Hash, loaded.Hash);
    EXPECT_EQ(2, loaded.SnoozeCount);
}

TEST(TimerItem, OlderLayoutKeepsWholeSecondsInFourBytes) {
    ItemTestHost host;
    uint32_t time = 300, origTime = 600;
    PlantTimer(0, &time, &origTime, 4);
    TimerItem timer;
    ASSERT_TRUE(timer.Load(ItemKey(), 0));
    EXPECT_EQ(3000000000, timer.time);
    EXPECT_EQ(6000000000, timer.origTime);  // more than 32 bits hold
}

TEST(TimerItem, RunningCountdownLosesTheTimeAwayOthersKeepTheirs) {
    ItemTestHost host;
    Ticks100ns left = 90 * kSecond;
    PlantTimer(TimerItem::kRunning, &left, &left, 8);
    TimerItem running;
    ASSERT_TRUE(running.Load(ItemKey(), 120 * kSecond));
    EXPECT_EQ(0, running.time);
    EXPECT_TRUE(running.IsExpired());
    running.Tick(kSecond);
    EXPECT_EQ(1u, host.TakeMessages().size());

    PlantTimer(0, &left, &left, 8);
    TimerItem stopped;
    ASSERT_TRUE(stopped.Load(ItemKey(), 120 * kSecond));
    EXPECT_EQ(left, stopped.time);

    PlantTimer(TimerItem::kRunning | TimerItem::kTemplate, &left, &left, 8);
    TimerItem tmpl;
    ASSERT_TRUE(tmpl.Load(ItemKey(), 120 * kSecond));
    EXPECT_EQ(left, tmpl.time);
}

TEST(TimerItem, LoadFailsForWhatCannotRunOrIsDamaged) {
    ItemTestHost host;
    Ticks100ns left = 90 * kSecond, none = 0;
    PlantTimer(TimerItem::kNotLoadable, &left, &left, 8);
    EXPECT_FALSE(TimerItem().Load(ItemKey(), 0));
    PlantTimer(0, &none, &left, 8);
    EXPECT_FALSE(TimerItem().Load(ItemKey(), 0));

    PlantTimer(0, &left, &left, 8);
    ASSERT_TRUE(registryprobe::WriteText(kItemKey, L"NextTimer", L"3"));
    EXPECT_FALSE(TimerItem().Load(ItemKey(), 0));
    PlantTimer(0, &left, &left, 8);
    ASSERT_TRUE(registryprobe::Delete(kItemKey, L"flags"));
    EXPECT_FALSE(TimerItem().Load(ItemKey(), 0));

    // Damaged optional values keep what the timer had.
    PlantTimer(0, &left, &left, 8);
    ASSERT_TRUE(registryprobe::Write(kItemKey, L"origTime", REG_DWORD, &left, 4));
    ASSERT_TRUE(registryprobe::WriteText(kItemKey, L"SelfCounter", L"9"));
    ASSERT_TRUE(registryprobe::WriteDword(kItemKey, L"title", 5));
    TimerItem damaged;
    damaged.title.SetCStr(L"kept");
    ASSERT_TRUE(damaged.Load(ItemKey(), 0));
    EXPECT_EQ(TimerItem::kDefaultDuration, damaged.origTime);
    EXPECT_EQ(0, damaged.SelfCounter);
    EXPECT_STREQ(L"kept", damaged.title.CStr());
}

TEST(TimerItem, DurationTextCountsDaysIntoTheHours) {
    EXPECT_EQ(L">0:00:00", Duration(0));
    EXPECT_EQ(L">0:00:00", Duration(-5 * kSecond));
    EXPECT_EQ(L">13:05:09", Duration((13 * 3600 + 5 * 60 + 9) * kSecond + 9999999));
    EXPECT_EQ(L">23:59:59", Duration((24 * 3600 - 1) * kSecond));
    EXPECT_EQ(L">24:00:00", Duration(24 * 3600 * kSecond));
    EXPECT_EQ(L">2401:02:03", Duration((100 * 86400 + 3600 + 123) * kSecond));
}
