// The main window's parts in this process: the button map's defaults, names and
// registry layout, the alarms and timers lists' order and column widths, the stored tab
// and the help topics.
#include <gtest/gtest.h>

#include "AlarmItem.h"
#include "AlarmListPage.h"
#include "ButtonMap.h"
#include "ColumnFit.h"
#include "ContextHelp.h"
#include "MainTabView.h"
#include "RegKeyRef.h"
#include "TimerItem.h"
#include "TimerListPage.h"
#include "TestSupport.h"
#include "hotkeys.h"

namespace {

const wchar_t kClockKey[] = L"Software\\Ostrel\\Orvalen\\Clock";

int KeyOf(const ButtonMap& map, int mode, int commandId) {
    for (const ButtonBinding* binding = map.Bindings(mode); binding->commandId; ++binding)
        if (binding->commandId == commandId) return binding->key;
    return -1;
}

void Make(AlarmItem& alarm, const wchar_t* title, double hours, bool active, bool sound) {
    alarm.title.SetCStr(title);
    alarm.time = 45000.0 + hours / 24.0;
    alarm.flags = (alarm.flags & ~(AlarmItem::kEnabled | AlarmItem::kDaysMask)) |
                  (active ? AlarmItem::kEnabled | 0x7F : AlarmItem::kEnabled);
    alarm.SetOption1(sound);
}

}  // namespace

TEST(ButtonMap, DefaultsNamesAndRegistryLayout) {
    ButtonMap map;
    // The simulated handheld reports a newer shell: only the recorder key starts the stopwatch.
    EXPECT_EQ(0xC5, KeyOf(map, ButtonMap::kStopwatch, 30028));
    for (int mode = 0; mode < ButtonMap::kModeCount; ++mode)
        for (const ButtonBinding* binding = map.Bindings(mode); binding->commandId; ++binding)
            if (!(mode == ButtonMap::kStopwatch && binding->commandId == 30028)) {
                EXPECT_EQ(0, binding->key);
            }
    EXPECT_EQ(L"Sound recorder", Key_GetName(0xC9));
    EXPECT_EQ(L"Sound recorder", Key_GetName(0xCF));
    EXPECT_EQ(L"Left", Key_GetName(0x25));
    EXPECT_EQ(L"0x84", Key_GetName(0x84));

    RegKeyRef clock = RegKeyRef::Open(kClockKey, HKEY_CURRENT_USER, false);
    map.Save(clock);
    DWORD data = 0;
    ASSERT_TRUE(testsupport::ReadRegistryDword(HKEY_CURRENT_USER, std::wstring(kClockKey) + L"\\Buttons\\Stopwatch",
                                               L"0", &data));
    EXPECT_EQ(0x800000C5u, data);
    ASSERT_TRUE(testsupport::ReadRegistryDword(HKEY_CURRENT_USER, std::wstring(kClockKey) + L"\\Buttons\\Timers",
                                               L"9", &data));
    EXPECT_EQ(0x80000000u, data);  // unbound ones are written too
    EXPECT_FALSE(testsupport::ReadRegistryDword(HKEY_CURRENT_USER, std::wstring(kClockKey) + L"\\Buttons\\Timers",
                                                L"10", &data));

    // Bit 31 clear: registered with the Win key. A missing value unbinds.
    const std::wstring alarms = std::wstring(kClockKey) + L"\\Buttons\\Alarms";
    ASSERT_TRUE(testsupport::WriteRegistryDword(HKEY_CURRENT_USER, alarms, L"0", 0x000000C5));
    ASSERT_TRUE(testsupport::WriteRegistryDword(HKEY_CURRENT_USER, alarms, L"1", 0x800000C5));
    RegDeleteKeyValueW(HKEY_CURRENT_USER, (std::wstring(kClockKey) + L"\\Buttons\\Stopwatch").c_str(), L"0");
    map.Load(clock);
    const ButtonBinding* loaded = map.Bindings(ButtonMap::kAlarms);
    EXPECT_EQ(0xC5, loaded[0].key);
    EXPECT_EQ(1, loaded[0].win);
    EXPECT_EQ(0xC5, loaded[1].key);
    EXPECT_EQ(0, loaded[1].win);
    EXPECT_EQ(0, KeyOf(map, ButtonMap::kStopwatch, 30028));
}

TEST(ButtonMap, KeysFollowTheScreen) {
    ButtonMap map;
    HWND window = CreateWindowW(L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    map.Bind(window, ButtonMap::kAlarms);  // nothing bound there
    EXPECT_FALSE(Device_FindHotKey(0, 0xC5, nullptr, nullptr));
    map.Bind(window, ButtonMap::kStopwatch);
    HWND owner = nullptr;
    int id = 0;
    EXPECT_TRUE(Device_FindHotKey(0, 0xC5, &owner, &id));
    EXPECT_EQ(window, owner);
    EXPECT_EQ(30028, id);
    EXPECT_GE(Device_GetShellKeyReleases(), 1u);  // the shell let go of the key first
    map.Bind(window, ButtonMap::kTimers);
    EXPECT_FALSE(Device_FindHotKey(0, 0xC5, nullptr, nullptr));
    DestroyWindow(window);
}

TEST(AlarmListOrder, ActiveFirstThenByColumn) {
    AlarmItem a, b, early, off;
    Make(a, L"A", 7, true, true);
    Make(b, L"B", 7, true, false);
    Make(early, L"Z", 6, true, false);
    Make(off, L"0", 5, false, true);
    auto compare = [](const AlarmItem& x, const AlarmItem& y, int column, bool ascending) {
        return AlarmListPage::CompareAlarms(&x, &y, column, ascending);
    };
    // Equal times: by title the other way round, so B before A.
    EXPECT_GT(compare(a, b, 1, true), 0);
    EXPECT_LT(compare(early, a, 1, true), 0);
    EXPECT_GT(compare(early, a, 1, false), 0);
    for (int column : {0, 1, 2, 5}) {
        EXPECT_LT(compare(a, off, column, true), 0) << column;
        EXPECT_GT(compare(a, off, column, false), 0) << column;
    }
    EXPECT_LT(compare(a, b, 0, true), 0);
    EXPECT_LT(compare(a, b, 2, true), 0);  // sound on first
    EXPECT_GT(compare(a, b, 2, false), 0);
    EXPECT_EQ(0, compare(a, b, 5, true));  // an unknown column keeps only the grouping
    EXPECT_EQ(1, AlarmListPage::CompareAlarms(nullptr, &a, 0, true));
    // Enabled without a weekday counts as inactive.
    EXPECT_FALSE(AlarmListPage::IsActive(off));
}

TEST(TimerListOrder, TemplatesFirstThenByColumnAndTimesAsHours) {
    TimerItem tea, eggs, preset;
    tea.title.SetCStr(L"Tea");
    eggs.title.SetCStr(L"Eggs");
    preset.title.SetCStr(L"Z");
    tea.time = eggs.time = Ticks_FromSeconds(60);
    preset.flags |= TimerItem::kTemplate;
    eggs.flags &= ~TimerItem::kRunning;
    tea.flags |= TimerItem::kRunning;
    auto compare = [](const TimerItem& x, const TimerItem& y, int column, bool ascending) {
        return TimerListPage::CompareTimers(&x, &y, column, ascending);
    };
    // Equal times: by name Z-A when ascending.
    EXPECT_LT(compare(tea, eggs, 1, true), 0);
    EXPECT_LT(compare(tea, eggs, 2, true), 0);  // running first
    EXPECT_GT(compare(tea, eggs, 2, false), 0);
    for (int column : {0, 1, 2, 3}) {
        EXPECT_LT(compare(preset, tea, column, true), 0) << column;
        EXPECT_GT(compare(preset, tea, column, false), 0) << column;
    }
    EXPECT_EQ(-1, TimerListPage::CompareTimers(nullptr, &tea, 0, false));
    EXPECT_EQ(L"100:00:00", TimerListPage::FormatHMS(Ticks_FromSeconds(100 * 3600)));
    EXPECT_EQ(L"00:00:00", TimerListPage::FormatHMS(-Ticks_FromSeconds(5)));
    EXPECT_EQ(L"01:02:03", TimerListPage::FormatHMS(Ticks_FromSeconds(3723)));
}

TEST(MainTabViewState, StoredTabFallsBackToTheFirst) {
    const std::wstring product = L"Software\\Ostrel\\Orvalen";
    RegKeyRef key = RegKeyRef::Open(product.c_str(), HKEY_CURRENT_USER, false);
    EXPECT_EQ(0, MainTabView::StoredTab(key, 5));  // missing
    const struct {
        DWORD value;
        int tab;
    } cases[] = {{3, 3}, {4, 4}, {5, 0}, {7, 0}, {0xFFFFFFFF, 0}, {0x80000000, 0}};
    for (const auto& c : cases) {
        ASSERT_TRUE(testsupport::WriteRegistryDword(HKEY_CURRENT_USER, product, L"CurTabSel", c.value));
        EXPECT_EQ(c.tab, MainTabView::StoredTab(key, 5)) << c.value;
    }
    ASSERT_TRUE(testsupport::WriteRegistryString(HKEY_CURRENT_USER, product, L"CurTabSel", L"2"));
    EXPECT_EQ(0, MainTabView::StoredTab(key, 5));
}

TEST(ContextHelp, TopicsOfTheContexts) {
    EXPECT_STREQ(L"alarms", ContextHelp::TopicOf(11));
    EXPECT_STREQ(L"vibro_settings", ContextHelp::TopicOf(23));
    EXPECT_STREQ(L"Main_Contents", ContextHelp::TopicOf(99));
}

TEST(ColumnFit, ColumnsFillTheListAndTheFirstGivesWay) {
    // Room enough: every other column as its design or its need says, the first the rest.
    EXPECT_EQ((std::vector<int>{100, 71, 40, 45}), ColumnFit_Widths({74, 70, 40, 43}, {50, 71, 38, 45}, 256));
    // Too narrow for the design: the last columns give back down to their needs first.
    EXPECT_EQ((std::vector<int>{60, 70, 30, 40}), ColumnFit_Widths({74, 70, 40, 43}, {60, 60, 30, 40}, 200));
    // Too narrow even for the needs: the first keeps its need, the list must scroll.
    EXPECT_EQ((std::vector<int>{80, 60, 30, 40}), ColumnFit_Widths({74, 70, 40, 43}, {80, 60, 30, 40}, 200));
    EXPECT_TRUE(ColumnFit_Widths({}, {}, 100).empty());
}
