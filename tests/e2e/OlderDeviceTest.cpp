// The program's screens on a handheld that reports OS 4 (the suites' names make the
// screens' environment set the version first), whose shell has no soft-key menus: the
// main window's tab strip with its "Settings" link, the settings sheets' command bar,
// and the button map's arrow keys.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ButtonMap.h"
#include "DeviceScreen.h"
#include "DeviceSignals.h"
#include "DeviceVersion.h"
#include "HeapControl.h"
#include "Dpi.h"
#include "InProcessProgram.h"
#include "MainFrameWnd.h"
#include "MainTabStrip.h"
#include "MainTabView.h"
#include "MainWindow.h"
#include "ModalSteps.h"
#include "PlatformHelpers.h"
#include "SettingsCommandBar.h"
#include "SoundPage.h"
#include "SoundSettingsSheet.h"
#include "TabPage.h"
#include "TestSupport.h"
#include "aygshell_ui.h"
#include "nled.h"
#include "resource.h"

namespace {

class OlderDevice : public InProcessProgram {
protected:
    void SetUp() override {
        ASSERT_EQ(4, Sys_GetOsMajorVersion());
        // A vibrator, so the sheets have their Vibro tab.
        const LONG leds[] = {0, NLED_VIBRATOR_CYCLE_ADJUST};
        ASSERT_TRUE(DeviceControl_SetLeds(2, leds));
        InProcessProgram::SetUp();
    }
    void TearDown() override {
        MainWindow::Close();
        InProcessProgram::TearDown();
    }
};

void Pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

RECT ChildRect(HWND child, HWND parent) {
    RECT rect;
    GetWindowRect(child, &rect);
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

std::wstring ButtonText(HWND bar, int command) {
    wchar_t text[64] = {};
    TBBUTTONINFOW info = {};
    info.cbSize = sizeof info;
    info.dwMask = TBIF_TEXT;
    info.pszText = text;
    info.cchText = 64;
    SendMessageW(bar, TB_GETBUTTONINFOW, static_cast<WPARAM>(command), reinterpret_cast<LPARAM>(&info));
    return text;
}

// The text pointers the "Profiles" button was given, as the older shells' bars keep them.
std::vector<const wchar_t*> g_givenTexts;
WNDPROC g_barProcedure = nullptr;

LRESULT CALLBACK RecordingBarProcedure(HWND bar, UINT message, WPARAM wParam, LPARAM lParam) {
    const wchar_t* given = nullptr;
    if (message == TB_INSERTBUTTONW) {
        const auto* button = reinterpret_cast<const TBBUTTON*>(lParam);
        if ((button->fsStyle & BTNS_SHOWTEXT) && !IS_INTRESOURCE(button->iString))
            given = reinterpret_cast<const wchar_t*>(button->iString);
    } else if (message == TB_SETBUTTONINFOW) {
        const auto* info = reinterpret_cast<const TBBUTTONINFOW*>(lParam);
        if (info->dwMask & TBIF_TEXT) given = info->pszText;
    }
    if (given) {
        g_givenTexts.push_back(given);
        // Should the text's string go, its block reads as a reused one would.
        HeapControl_PoisonOnFree(given);
    }
    return CallWindowProcW(g_barProcedure, bar, message, wParam, lParam);
}

}  // namespace

TEST(OlderButtonMap, LeftAndRightCycleTheTabsInEveryScreen) {
    ASSERT_EQ(4, Sys_GetOsMajorVersion());
    ButtonMap map;
    for (int mode = 0; mode < ButtonMap::kModeCount; ++mode) {
        int previous = -1, next = -1;
        for (const ButtonBinding* binding = map.Bindings(mode); binding->commandId; ++binding) {
            if (binding->commandId == IDS_KEY_PREVIOUS_TAB && previous < 0) previous = binding->key;
            if (binding->commandId == IDS_KEY_NEXT_TAB && next < 0) next = binding->key;
        }
        EXPECT_EQ(VK_LEFT, previous) << mode;
        EXPECT_EQ(VK_RIGHT, next) << mode;
    }
}

// The strip stands along the bottom below the page, its tabs are the pages' icons, and a
// tap on the blue link asks the frame for the options sheet without switching tabs.
TEST_F(OlderDevice, MainWindowHasTheTabStripWithTheSettingsLink) {
    ASSERT_TRUE(MainWindow::Open(MainWindow::kAlarmsTab));
    HWND frame = MainWindow::Window();
    MainTabView* view = MainWindow::Frame()->View();
    ASSERT_TRUE(testsupport::PollUntil(5000, [&] {
        Pump();
        return view->CurrentIndex() == MainWindow::kAlarmsTab;
    }));
    EXPECT_EQ(static_cast<DWORD>(SHIDIF_FULLSCREENNOMENUBAR), Shell_GetDialogFlags(frame));
    EXPECT_EQ(nullptr, MainWindow::MenuBar());

    HWND viewWindow = view->GetHwnd();
    HWND strip = view->TabStrip();
    ASSERT_TRUE(IsWindowVisible(strip));
    EXPECT_TRUE(GetWindowLongPtrW(strip, GWL_STYLE) & TCS_OWNERDRAWFIXED);
    RECT client, stripRect = ChildRect(strip, viewWindow);
    GetClientRect(viewWindow, &client);
    EXPECT_EQ(client.bottom, stripRect.bottom);
    EXPECT_EQ(Dpi_ScaleY(MainTabStrip::kHeight), stripRect.bottom - stripRect.top);
    const RECT page = ChildRect(view->CurrentPage()->GetHwnd(), viewWindow);
    EXPECT_LE(page.bottom, stripRect.top);
    EXPECT_GT(page.bottom, stripRect.top - Dpi_ScaleY(4));
    RECT tab = {};
    ASSERT_TRUE(SendMessageW(strip, TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&tab)));
    EXPECT_EQ(Dpi_ScaleX(30), tab.right - tab.left);

    const RECT link = MainTabStrip::LinkRect(strip);
    ASSERT_LT(link.left, link.right);
    EXPECT_LE(link.right, stripRect.right - stripRect.left);
    const LPARAM inside = MAKELPARAM((link.left + link.right) / 2, (link.top + link.bottom) / 2);
    SendMessageW(strip, WM_LBUTTONDOWN, MK_LBUTTON, inside);
    SendMessageW(strip, WM_LBUTTONUP, 0, inside);
    MSG asked = {};
    ASSERT_TRUE(PeekMessageW(&asked, frame, WM_COMMAND, WM_COMMAND, PM_REMOVE));
    EXPECT_EQ(static_cast<WORD>(IDS_SETTINGS), LOWORD(asked.wParam));
    Pump();
    EXPECT_EQ(MainWindow::kAlarmsTab, view->CurrentIndex());

    // A tap on the first tab switches to the clock.
    const LPARAM clockTab = MAKELPARAM((tab.left + tab.right) / 2, (tab.top + tab.bottom) / 2);
    SendMessageW(strip, WM_LBUTTONDOWN, MK_LBUTTON, clockTab);
    SendMessageW(strip, WM_LBUTTONUP, 0, clockTab);
    Pump();
    EXPECT_EQ(MainWindow::kClockTab, view->CurrentIndex());
    EXPECT_FALSE(PeekMessageW(&asked, frame, WM_COMMAND, WM_COMMAND, PM_NOREMOVE));
}

// On both screens, a tap anywhere on a tab, its right edge included, switches to that
// tab, and only a tap beside the last tab opens the options sheet.
class OlderTabStrip : public OlderDevice, public testing::WithParamInterface<int> {
protected:
    void SetUp() override {
        const int scale = GetParam();
        ASSERT_TRUE(DeviceScreen_SetMode(240 * scale, 320 * scale, 96 * scale));
        Dpi_ResetCache();
        OlderDevice::SetUp();
    }
};

TEST_P(OlderTabStrip, EveryTabTakesItsTapsAndTheLinkStandsBesideThem) {
    ASSERT_TRUE(MainWindow::Open(MainWindow::kClockTab));
    HWND frame = MainWindow::Window();
    MainTabView* view = MainWindow::Frame()->View();
    // The view restores its tab once it is up.
    testsupport::PollUntil(1000, [&] {
        Pump();
        return false;
    });
    HWND strip = view->TabStrip();
    ASSERT_TRUE(strip);
    const int tabs = static_cast<int>(SendMessageW(strip, TCM_GETITEMCOUNT, 0, 0));
    ASSERT_EQ(5, tabs);
    auto tap = [&](int x, int y) {
        SendMessageW(strip, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        SendMessageW(strip, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    };
    MSG asked = {};
    for (int index = tabs - 1; index >= 0; --index) {
        RECT tab = {};
        ASSERT_TRUE(SendMessageW(strip, TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&tab)));
        const int y = (tab.top + tab.bottom) / 2;
        for (int x : {tab.left + 2, (tab.left + tab.right) / 2, tab.right - 2}) {
            SCOPED_TRACE(testing::Message() << "tab " << index << " at x " << x);
            view->SelectPage(index == 0 ? 1 : 0);
            tap(x, y);
            EXPECT_FALSE(PeekMessageW(&asked, frame, WM_COMMAND, WM_COMMAND, PM_REMOVE));
            Pump();
            EXPECT_EQ(index, view->CurrentIndex());
        }
    }
    RECT last = {};
    SendMessageW(strip, TCM_GETITEMRECT, static_cast<WPARAM>(tabs - 1), reinterpret_cast<LPARAM>(&last));
    const RECT link = MainTabStrip::LinkRect(strip);
    SCOPED_TRACE(testing::Message() << "link " << link.left << ".." << link.right << ", last tab " << last.left << ".."
                                    << last.right);
    EXPECT_GE(link.left, last.right);
    RECT client;
    GetClientRect(strip, &client);
    EXPECT_LE(link.right, client.right);
    tap(link.left + 2, (link.top + link.bottom) / 2);
    ASSERT_TRUE(PeekMessageW(&asked, frame, WM_COMMAND, WM_COMMAND, PM_REMOVE));
    EXPECT_EQ(static_cast<WORD>(IDS_SETTINGS), LOWORD(asked.wParam));
    Pump();
    EXPECT_EQ(0, view->CurrentIndex());
}

INSTANTIATE_TEST_SUITE_P(OlderScreens, OlderTabStrip, testing::Values(1, 2),
                         [](const testing::TestParamInfo<int>& info) { return info.param == 1 ? "At96Dpi" : "At192Dpi"; });

// The sheet's command bar: "Profiles" at its start with the page's popup text and the
// record button at position 3 while the Sound page shows; the Vibro page keeps the
// popup under its own text and has no record button.
TEST_F(OlderDevice, SettingsSheetCarriesProfilesAndRecordOnItsCommandBar) {
    DefaultSoundDialog sheet;
    ModalSteps steps;
    HWND bar = nullptr;
    steps.Then([&] { return sheet.GetSoundPage() && sheet.GetSoundPage()->GetHwnd() && sheet.MenuShown(); })
        .Do([&] {
            ASSERT_NE(nullptr, sheet.CommandBar());
            bar = sheet.Frame().MenuBar();
            ASSERT_NE(nullptr, bar);
            EXPECT_EQ(L"Record a sound", sheet.CommandBar()->Texts().at(2));
            EXPECT_EQ(8u, sheet.CommandBar()->Texts().size());
            TBBUTTON first = {}, record = {};
            ASSERT_TRUE(SendMessageW(bar, TB_GETBUTTON, 0, reinterpret_cast<LPARAM>(&first)));
            EXPECT_EQ(reinterpret_cast<DWORD_PTR>(sheet.CommandBar()->Popup()), first.dwData);
            EXPECT_FALSE(first.fsState & TBSTATE_HIDDEN);
            EXPECT_EQ(L"Sound profiles", ButtonText(bar, first.idCommand));
            ASSERT_TRUE(SendMessageW(bar, TB_GETBUTTON, SettingsCommandBar::kRecordPosition,
                                     reinterpret_cast<LPARAM>(&record)));
            EXPECT_EQ(IDM_PROFILES_RECORD, record.idCommand);
            EXPECT_GE(record.iBitmap, 0);
            HMENU popup = sheet.CommandBar()->Popup();
            EXPECT_EQ(static_cast<UINT>(IDM_PROFILES_RESET), GetMenuItemID(popup, 0));
            EXPECT_EQ(static_cast<UINT>(IDM_PROFILES_SET_DEFAULT), GetMenuItemID(popup, 1));
            EXPECT_EQ(static_cast<UINT>(MF_ENABLED), GetMenuState(popup, IDM_PROFILES_RESET, MF_BYCOMMAND) & MF_GRAYED);
            sheet.SelectPage(1);
        })
        .Do([&] {
            EXPECT_EQ(-1, static_cast<int>(SendMessageW(bar, TB_COMMANDTOINDEX, IDM_PROFILES_RECORD, 0)));
            TBBUTTON first = {};
            ASSERT_TRUE(SendMessageW(bar, TB_GETBUTTON, 0, reinterpret_cast<LPARAM>(&first)));
            EXPECT_EQ(L"Vibro profiles", ButtonText(bar, first.idCommand));
            EXPECT_FALSE(first.fsState & TBSTATE_HIDDEN);
            sheet.SelectPage(0);
        })
        .Do([&] {
            EXPECT_EQ(SettingsCommandBar::kRecordPosition,
                      static_cast<int>(SendMessageW(bar, TB_COMMANDTOINDEX, IDM_PROFILES_RECORD, 0)));
            ModalSteps::Press(sheet, IDCANCEL);
        });
    steps.Run(sheet);
    EXPECT_TRUE(steps.Finished());
}

// The "Profiles" button's text outlives the call that gives it to the bar, which may
// keep the pointer: what it points at still reads the page's popup text after the call.
TEST_F(OlderDevice, TheProfilesButtonTextOutlivesTheCallThatGivesIt) {
    DefaultSoundDialog sheet;
    ModalSteps steps;
    steps.Then([&] { return sheet.GetSoundPage() && sheet.GetSoundPage()->GetHwnd() && sheet.MenuShown(); })
        .Do([&] {
            HWND bar = sheet.Frame().MenuBar();
            ASSERT_NE(nullptr, bar);
            g_barProcedure = reinterpret_cast<WNDPROC>(
                SetWindowLongPtrW(bar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordingBarProcedure)));
            for (int page : {1, 0}) {
                g_givenTexts.clear();
                sheet.SelectPage(page);
                const std::wstring expected = page == 1 ? L"Vibro profiles" : L"Sound profiles";
                ASSERT_FALSE(g_givenTexts.empty());
                EXPECT_EQ(expected, std::wstring(g_givenTexts.back()));
                HeapControl_Disarm();
            }
            SetWindowLongPtrW(bar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_barProcedure));
            ModalSteps::Press(sheet, IDCANCEL);
        });
    steps.Run(sheet);
    EXPECT_TRUE(steps.Finished());
}
