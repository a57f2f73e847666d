// The Today item in the test's own process: the real library under the device's Today
// screen, and the item window itself for its popup, its command menu and its layout.
#include "DeviceScreen.h"
#include "Dpi.h"
#include "ItemStore.h"
#include "ProbeHelpers.h"
#include "TestSupport.h"
#include "TodayCommandMenu.h"
#include "TodayItemWnd.h"
#include "TodayMenuDrawing.h"
#include "TodayRowPainter.h"
#include "TodayScreen.h"
#include "TodayTestStore.h"

#include <gtest/gtest.h>

#include <functional>

using namespace todaytest;

namespace {

constexpr Ticks100ns kSecond = kTicksPerSecond;
const wchar_t kProbeDevicePath[] = L"\\Program Files\\Orvalen\\Orvalen.exe";

// Handles this thread's messages for ms.
void Pump(DWORD ms) {
    const ULONGLONG end = GetTickCount64() + ms;
    do {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        Sleep(10);
    } while (GetTickCount64() < end);
}

bool PumpUntil(DWORD ms, const std::function<bool()>& done) {
    const ULONGLONG end = GetTickCount64() + ms;
    while (!done()) {
        if (GetTickCount64() >= end) return false;
        Pump(20);
    }
    return true;
}

// What the host gets for the item's height.
DWORD QueryHeight(HWND item, LRESULT* changed = nullptr) {
    TODAYLISTITEM record = {};
    LRESULT result = SendMessageW(item, WM_TODAYCUSTOM_QUERYREFRESHCACHE, reinterpret_cast<WPARAM>(&record), 0);
    if (changed) *changed = result;
    return record.cyp;
}

// The item window of this test's own build, under a Today screen.
class TodayItemTest : public testsupport::FreshDeviceTest {
protected:
    void SetUp() override {
        FreshDeviceTest::SetUp();
        ASSERT_TRUE(screen_.Create());
    }
    void TearDown() override { TodayItemWnd::SetMenuTracker(nullptr); }
    bool MakeItem() {
        item_ = std::make_unique<TodayItemWnd>(GetModuleHandleW(nullptr));
        if (!item_->CreateItem(screen_.Window(), DeviceScreen_GetSystemMetrics(SM_CXSCREEN))) return false;
        SetWindowPos(item_->GetHwnd(), nullptr, 0, 40, DeviceScreen_GetSystemMetrics(SM_CXSCREEN),
                     static_cast<int>(QueryHeight(item_->GetHwnd())), SWP_NOZORDER);
        return true;
    }
    void Click(int x, int y) {
        SendMessageW(item_->GetHwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        SendMessageW(item_->GetHwnd(), WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    }
    void ClickButton() {
        const RECT button = item_->Resources().ButtonRect();
        Click((button.left + button.right) / 2, (button.top + button.bottom) / 2);
    }

    TodayScreen screen_{false};
    std::unique_ptr<TodayItemWnd> item_;
};

// The shown menu as the tracker saw it: its entries with their records, and their submenus.
struct ShownEntry {
    UINT id;
    UINT type;
    UINT state;
    std::wstring text;
    int icon;
    std::vector<ShownEntry> submenu;
};
std::vector<ShownEntry> g_shown;
UINT g_choice = 0;
std::function<void()> g_whileShown;

std::vector<ShownEntry> Entries(HMENU menu) {
    std::vector<ShownEntry> entries;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        MENUITEMINFOW info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STATE | MIIM_SUBMENU | MIIM_DATA;
        GetMenuItemInfoW(menu, i, TRUE, &info);
        const auto* record = reinterpret_cast<const TodayMenuRecord*>(info.dwItemData);
        entries.push_back({info.wID, info.fType, info.fState, record ? record->text : L"<no record>",
                           record ? record->icon : -2,
                           info.hSubMenu ? Entries(info.hSubMenu) : std::vector<ShownEntry>()});
    }
    return entries;
}

UINT RecordingTracker(HMENU menu, POINT, HWND) {
    g_shown = Entries(menu);
    if (g_whileShown) g_whileShown();
    return g_choice;
}

}  // namespace

// The library as the shell loads it: bound by ordinal, its window published and measured.
TEST(TodayItemLibrary, TheHostBindsItByOrdinalAndSizesItFromItsAnswer) {
    testsupport::TestDevice device;
    ASSERT_TRUE(device.Ready());
    SetPluginHeight(5);
    TodayScreen screen(false);
    ASSERT_TRUE(screen.Create());
    ASSERT_TRUE(screen.AddItem(testsupport::HostPath(QUINDLE_DLL)));
    HWND item = screen.ItemWindow(0);
    wchar_t name[64] = {};
    GetClassNameW(item, name, 64);
    EXPECT_STREQ(L"Quindle", name);
    GetWindowTextW(item, name, 64);
    EXPECT_STREQ(L"Orvalen today", name);
    EXPECT_EQ(screen.Window(), GetParent(item));

    const registryprobe::RawValue published = registryprobe::Read(kProduct, L"TodayPluginHWND");
    EXPECT_EQ(static_cast<DWORD>(REG_BINARY), published.type);
    EXPECT_EQ(static_cast<DWORD>(reinterpret_cast<UINT_PTR>(item)), published.Dword());

    // Nothing to show: the top margin and one icon (4 + 16 at 96 DPI), as the host laid it out.
    RECT client;
    GetClientRect(item, &client);
    EXPECT_EQ(20, client.bottom);
    LRESULT changed = TRUE;
    EXPECT_EQ(20u, QueryHeight(item, &changed));
    EXPECT_FALSE(changed);
    SendMessageW(item, WM_TODAYCUSTOM_CLEARCACHE, 0, 0);
    QueryHeight(item, &changed);
    EXPECT_TRUE(changed);
    EXPECT_TRUE(SendMessageW(item, WM_TODAYCUSTOM_RECEIVEDSELECTION, 0, 0));
    EXPECT_FALSE(SendMessageW(item, WM_TODAYCUSTOM_LOSTSELECTION, 0, 0));

    // The program saved three running timers and told the item: three rows.
    for (ItemHash hash : {1, 2, 3}) Save(StoredTimer{hash, 600 * kSecond, L"timer"});
    PostMessageW(item, ItemStore::kTodayReloadMessage, 0, 0);
    Pump(50);
    const DWORD threeRows = QueryHeight(item, &changed);
    EXPECT_TRUE(changed);
    EXPECT_GE(threeRows, 4u + 3 * 16);

    // The options entry answers that there are none; a second initialisation replaces the window.
    HMODULE module = GetModuleHandleW(L"Quindle.dll");
    ASSERT_NE(nullptr, module);
    auto options = reinterpret_cast<TODAY_OPTIONSDIALOGPROC>(
        reinterpret_cast<void*>(GetProcAddress(module, MAKEINTRESOURCEA(TODAY_ORDINAL_OPTIONS))));
    ASSERT_NE(nullptr, options);
    EXPECT_FALSE(options(nullptr, WM_INITDIALOG, 0, 0));
    auto initialize = reinterpret_cast<TODAY_INITIALIZEITEM>(
        reinterpret_cast<void*>(GetProcAddress(module, MAKEINTRESOURCEA(TODAY_ORDINAL_INITIALIZE))));
    TODAYLISTITEM record = {};
    HWND second = initialize(&record, screen.Window());
    EXPECT_TRUE(IsWindow(second));
    EXPECT_FALSE(IsWindow(item));
    EXPECT_EQ(static_cast<DWORD>(reinterpret_cast<UINT_PTR>(second)),
              registryprobe::Read(kProduct, L"TodayPluginHWND").Dword());
}

TEST(TodayItemLibrary, CrossingMidnightReloadsWithinTenSeconds) {
    testsupport::TestDevice device;
    ASSERT_TRUE(device.Ready());
    SetClock(2026, 3, 4, 12, 0);
    TodayScreen screen(false);
    ASSERT_TRUE(screen.Create());
    ASSERT_TRUE(screen.AddItem(testsupport::HostPath(QUINDLE_DLL)));
    HWND item = screen.ItemWindow(0);
    const DWORD empty = QueryHeight(item);
    // The store changes without the program telling the item: only a reload sees it.
    SetPluginHeight(5);
    for (ItemHash hash : {1, 2, 3}) Save(StoredTimer{hash, 7200 * kSecond, L"timer"});
    Pump(11000);
    EXPECT_EQ(empty, QueryHeight(item)) << "reloaded without a change of day";
    SetClock(2026, 3, 4, 23, 59, 59);
    EXPECT_TRUE(PumpUntil(12000, [&] { return QueryHeight(item) > empty; }));
}

TEST_F(TodayItemTest, TheExpandButtonOpensThePopupAndAnyReleaseClosesIt) {
    SetPluginHeight(2);
    Save(StoredAlarm{1, Time_LocalNowAsDate(true) + 0.25, AlarmItem::kDaysMask, L"alarm"});
    ASSERT_TRUE(MakeItem());
    ASSERT_TRUE(item_->Lists().ButtonShown());
    ClickButton();
    HWND popup = item_->PopupWindow();
    ASSERT_TRUE(IsWindow(popup));
    wchar_t name[64] = {};
    GetClassNameW(popup, name, 64);
    EXPECT_STREQ(L"QuindlePopup", name);
    EXPECT_EQ(0x90010000u, static_cast<DWORD>(GetWindowLongW(popup, GWL_STYLE)) & 0x90010000u);
    EXPECT_EQ(0x80u, static_cast<DWORD>(GetWindowLongW(popup, GWL_EXSTYLE)) & 0x80u);
    EXPECT_EQ(popup, GetCapture());
    RECT itemRect, popupRect;
    GetWindowRect(item_->GetHwnd(), &itemRect);
    GetWindowRect(popup, &popupRect);
    EXPECT_FALSE(item_->PopupUpward());
    EXPECT_EQ(itemRect.top, popupRect.top);
    UpdateWindow(popup);  // paints through the host's colours and background

    SendMessageW(popup, WM_LBUTTONUP, 0, 0);
    EXPECT_TRUE(PumpUntil(2000, [&] { return !IsWindow(popup); }));

    // Near the bottom of the screen it opens upward, its lower edge one below the item's.
    RECT work;
    DeviceScreen_GetWorkArea(&work);
    SetWindowPos(item_->GetHwnd(), nullptr, 0, work.bottom - work.top - 30, itemRect.right - itemRect.left,
                 itemRect.bottom - itemRect.top, SWP_NOZORDER);
    SendMessageW(item_->GetHwnd(), WM_TODAYCUSTOM_USERNAVIGATION, VK_RIGHT, 0);
    popup = item_->PopupWindow();
    ASSERT_TRUE(IsWindow(popup));
    EXPECT_TRUE(item_->PopupUpward());
    GetWindowRect(item_->GetHwnd(), &itemRect);
    GetWindowRect(popup, &popupRect);
    EXPECT_EQ(itemRect.bottom + 1, popupRect.bottom);
    SendMessageW(popup, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(PumpUntil(2000, [&] { return !IsWindow(popup); }));
}

TEST_F(TodayItemTest, LayoutScalesWithTheScreensDensity) {
    ASSERT_TRUE(MakeItem());
    TodayResources& small = item_->Resources();
    EXPECT_EQ(16, small.IconSize());
    EXPECT_EQ(28, small.ButtonRect().left);
    EXPECT_EQ(2, small.ButtonRect().top);
    const RECT client = {0, 0, 240, 40};
    EXPECT_EQ(28, small.RowArea(client, false, nullptr).left);
    EXPECT_EQ(48, small.RowArea(client, true, nullptr).left);

    ASSERT_TRUE(DeviceScreen_SetMode(480, 640, 192));
    Dpi_ResetCache();
    ASSERT_TRUE(MakeItem());
    TodayResources& large = item_->Resources();
    EXPECT_EQ(32, large.IconSize());
    EXPECT_EQ(56, large.ButtonRect().left);
    EXPECT_EQ(4, large.ButtonRect().top);
    EXPECT_EQ(8u + 32u, QueryHeight(item_->GetHwnd()));  // nothing to show: top margin and an icon
    Dpi_ResetCache();
}

// Menu rows hold their icon (drawn 4 pixels down) at either density; a "No pending
// notifications" wider than the row wraps, and the item grows to hold its lines.
TEST_F(TodayItemTest, MenuRowsAndTheEmptyTextHoldWhatTheyShow) {
    for (int dpi : {96, 192}) {
        ASSERT_TRUE(DeviceScreen_SetMode(dpi * 240 / 96, dpi * 320 / 96, dpi));
        Dpi_ResetCache();
        ASSERT_TRUE(MakeItem());
        TodayResources& resources = item_->Resources();
        TodayMenuRecord record;
        record.text = L"Timers";
        record.icon = TodayMenuCopy::kTimersImage;
        MEASUREITEMSTRUCT measure = {ODT_MENU, 0, 0, 0, 0, reinterpret_cast<ULONG_PTR>(&record)};
        TodayMenu_Measure(resources, &measure);
        EXPECT_GE(static_cast<int>(measure.itemHeight), 4 + resources.IconSize()) << dpi << " DPI";

        const TodayRowPainter painter(resources, item_->Lists(), item_->Texts());
        const int oneLine = painter.ItemHeight({0, 0, dpi * 240 / 96, 0}, nullptr);
        const int narrow = painter.ItemHeight({0, 0, dpi * 80 / 96, 0}, nullptr);
        EXPECT_EQ(resources.HeightTop() + resources.IconSize(), oneLine) << dpi << " DPI";
        EXPECT_GT(narrow, oneLine + resources.RowHeight() / 2) << dpi << " DPI";
    }
    Dpi_ResetCache();
}

TEST_F(TodayItemTest, TheCommandMenuListsEveryItemWithItsActions) {
    const OleDate now = SetClock(2026, 3, 4, 6, 0);
    Save(StoredAlarm{-1, now + 0.1, AlarmItem::kDaysMask, L"first"});
    Save(StoredAlarm{20, now + 0.2, AlarmItem::kDaysMask, L"hidden", AlarmItem::kHidden});
    Save(StoredAlarm{30, now + 0.3, 0, L"no day"});
    for (ItemHash hash : {41, 42, 43, 44}) Save(StoredTimer{hash, hash * 60 * kSecond, L"timer"});
    Save(StoredTimer{45, 30 * 60 * kSecond, L"template", false, true});
    ASSERT_TRUE(MakeItem());
    TodayItemWnd::SetMenuTracker(RecordingTracker);

    // The action key: "Cancel" on top; two shown alarms straight in the menu, five timers in a submenu.
    SendMessageW(item_->GetHwnd(), WM_TODAYCUSTOM_ACTION, 0, 0);
    ASSERT_GE(g_shown.size(), 10u);
    EXPECT_EQ(TodayCommandMenu::kCancelId, g_shown[0].id);
    EXPECT_EQ(TodayCommandMenu::kRunProgramId, g_shown[1].id);
    EXPECT_EQ(TodayCommandMenu::kCancelSnoozeId, g_shown[2].id);
    EXPECT_TRUE(g_shown[2].state & MFS_GRAYED) << "no alarm snoozes";
    for (const ShownEntry& entry : g_shown) EXPECT_TRUE(entry.type & MFT_OWNERDRAW);
    // The store's order: the alarm that never rings last; the hidden one keeps its place (1).
    EXPECT_EQ(0u, g_shown[7].text.find(L"first, ")) << g_shown[7].text;
    EXPECT_EQ(-1, g_shown[7].icon);
    EXPECT_EQ(TodayMenuCopy::kAlarmOffImage, g_shown[8].icon);
    EXPECT_EQ(L"Timers", g_shown[9].text);
    EXPECT_EQ(TodayMenuCopy::kTimersImage, g_shown[9].icon);
    const std::vector<ShownEntry>& second = g_shown[8].submenu;
    ASSERT_FALSE(second.empty());
    EXPECT_EQ(TodayCommandMenu::AlarmId(2, TodayCommandMenu::kAlarmActive), second[0].id);
    EXPECT_FALSE(second[0].state & MFS_CHECKED);

    const std::vector<ShownEntry>& timers = g_shown[9].submenu;
    ASSERT_EQ(5u, timers.size());
    EXPECT_EQ(TodayMenuCopy::kTemplateImage, timers[4].icon);
    const std::vector<ShownEntry>& fourth = timers[3].submenu;
    ASSERT_GE(fourth.size(), 2u);
    EXPECT_EQ(TodayCommandMenu::TimerId(3, TodayCommandMenu::kTimerStop), fourth[0].id);
    EXPECT_EQ(0x40000000u + 3 * 0x10000u + 5, fourth.back().id);
    EXPECT_TRUE(fourth.back().state & MFS_CHECKED);

    TodayCommandMenu menu(item_->Store(), item_->Texts());
    ASSERT_TRUE(menu.Build(false));
    EXPECT_EQ(L"timer_vibrate 44", menu.Choose(0x40000000u + 3 * 0x10000u + 5).text);
    EXPECT_EQ(L"alarm_skip 4294967295", menu.Choose(0x80000000u + 0 * 0x10000u + 5).text);
    EXPECT_EQ(TodayChoice::kNothing, menu.Choose(TodayCommandMenu::AlarmId(1, TodayCommandMenu::kAlarmSkip)).kind);
    EXPECT_EQ(TodayChoice::kNothing, menu.Choose(TodayCommandMenu::AlarmId(9, TodayCommandMenu::kAlarmSkip)).kind);
    EXPECT_EQ(TodayChoice::kNothing, menu.Choose(TodayCommandMenu::TimerId(0, TodayCommandMenu::TimerAction(9))).kind);
    EXPECT_EQ(TodayChoice::kStartProgram, menu.Choose(TodayCommandMenu::kRunProgramId).kind);
    EXPECT_EQ(L"new_alarm", menu.Choose(TodayCommandMenu::kNewAlarmId).text);

    // A tap: no "Cancel"; with a third shown alarm that snoozes, the alarms get their submenu.
    StoredAlarm snoozing{50, now + 0.4, AlarmItem::kDaysMask, L"snoozing"};
    snoozing.snoozing = true;
    snoozing.snooze = now + 0.01;
    Save(snoozing);
    SendMessageW(item_->GetHwnd(), ItemStore::kTodayReloadMessage, 0, 0);
    Click(150, 5);
    ASSERT_GE(g_shown.size(), 8u);
    EXPECT_EQ(TodayCommandMenu::kRunProgramId, g_shown[0].id);
    EXPECT_FALSE(g_shown[1].state & MFS_GRAYED);
    EXPECT_EQ(L"Alarms", g_shown[6].text);
    EXPECT_EQ(TodayMenuCopy::kAlarmsImage, g_shown[6].icon);
}

// A reload while the menu is open reorders the lists: the choice still names the item it showed.
TEST_F(TodayItemTest, AChoiceNamesTheItemItShowedAfterAReload) {
    ASSERT_TRUE(probe::Install(kProbeDevicePath));
    ASSERT_TRUE(testsupport::WriteRegistryString(HKEY_CURRENT_USER, kProduct, L"Location",
                                                 testsupport::DevicePath(kProbeDevicePath)));
    Save(StoredTimer{61, 60 * kSecond, L"sooner"});
    Save(StoredTimer{62, 120 * kSecond, L"later"});
    ASSERT_TRUE(MakeItem());
    ASSERT_EQ(61, item_->Store().Timers()[0]->Hash);
    TodayItemWnd::SetMenuTracker(RecordingTracker);
    g_whileShown = [this] {
        Save(StoredTimer{61, 600 * kSecond, L"now later"});
        SendMessageW(item_->GetHwnd(), ItemStore::kTodayReloadMessage, 0, 0);
    };
    g_choice = TodayCommandMenu::TimerId(0, TodayCommandMenu::kTimerDelete);
    SendMessageW(item_->GetHwnd(), WM_TODAYCUSTOM_ACTION, 0, 0);
    g_whileShown = nullptr;
    EXPECT_EQ(62, item_->Store().Timers()[0]->Hash);
    ASSERT_TRUE(probe::WaitDone());
    EXPECT_EQ(L"timer_delete 61", probe::Text(PROBE_COMMAND_TEXT_FILE));
}
