// The clock page in this process: it borrows the program's clock while the main window
// lives, lends it to the screen saver and takes it back, takes it back on activation
// from whoever holds it, keeps the clock's menu on the soft key, and gives the clock
// back to the engine window when the main window closes.
#include "App.h"
#include "ButtonMap.h"
#include "ClockPage.h"
#include "ClockTestSupport.h"
#include "ClockWnd.h"
#include "EngineWnd.h"
#include "FullScreenClockWnd.h"
#include "ItemStore.h"
#include "MainFrameWnd.h"
#include "MainTabView.h"
#include "MainWindow.h"
#include "MenuBarWnd.h"
#include "TestSupport.h"
#include "hotkeys.h"
#include "resource.h"

#include <gtest/gtest.h>

namespace {

using clocktest::Pump;
using clocktest::PumpUntil;

constexpr int kMaximizeKey = 0xC1;

UINT MenuState(HMENU menu, UINT id) { return GetMenuState(menu, id, MF_BYCOMMAND); }

class ClockPageInProcess : public testing::Test {
protected:
    void SetUp() override {
        // "Maximize clock", the first of the clock's list, on a plain key.
        ASSERT_TRUE(testsupport::WriteRegistryDword(HKEY_CURRENT_USER, L"Software\\Ostrel\\Orvalen\\Clock\\Buttons\\Clock",
                                                    L"0", kMaximizeKey | 0x80000000));
        ASSERT_TRUE(App::InitInstance(GetModuleHandleW(nullptr), L"-startfull"));
        clock_ = ClockWnd::Instance();
        ASSERT_NE(nullptr, clock_);
        ASSERT_TRUE(PumpUntil([&] { return Page() && Page()->IsShown(); }));
    }
    void TearDown() override {
        App::Shutdown();
        Pump();
    }
    ClockPage* Page() const {
        MainFrameWnd* frame = MainWindow::Window() ? MainWindow::Frame() : nullptr;
        return frame && frame->View() ? dynamic_cast<ClockPage*>(frame->View()->Page(MainWindow::kClockTab)) : nullptr;
    }
    HWND ClockParent() const { return GetParent(clock_->GetHwnd()); }
    HWND Engine() const { return App::GetEngine()->GetHwnd(); }
    HWND HotKeyWindow(int* id) const {
        HWND window = nullptr;
        return Device_FindHotKey(0, kMaximizeKey, &window, id) ? window : nullptr;
    }

    ClockWnd* clock_ = nullptr;
};

}  // namespace

TEST_F(ClockPageInProcess, BorrowsTheClockAndGivesItBackWhenTheMainWindowCloses) {
    HWND page = Page()->GetHwnd();
    EXPECT_EQ(page, ClockParent());
    EXPECT_TRUE(clock_->IsSkinLoaded());
    EXPECT_TRUE(IsWindowVisible(clock_->GetHwnd()));
    EXPECT_TRUE(GetWindowLongW(clock_->GetHwnd(), GWL_STYLE) & WS_BORDER);
    RECT inPage = {}, client = {};
    GetClientRect(page, &client);
    GetWindowRect(clock_->GetHwnd(), &inPage);
    MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&inPage), 2);
    EXPECT_EQ(2, inPage.left);
    EXPECT_EQ(2, inPage.top);
    EXPECT_EQ(client.right - 2, inPage.right);
    EXPECT_EQ(client.bottom - 2, inPage.bottom);

    // Another tab hides the clock with the page, which keeps it.
    MainWindow::SelectTab(MainWindow::kAlarmsTab);
    Pump();
    EXPECT_FALSE(Page()->IsShown());
    EXPECT_EQ(page, ClockParent());
    EXPECT_FALSE(IsWindowVisible(clock_->GetHwnd()));
    MainWindow::SelectTab(MainWindow::kClockTab);
    Pump();

    // Activation takes the clock back from whoever holds it.
    SetParent(clock_->GetHwnd(), Engine());
    SendMessageW(MainWindow::Window(), WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_EQ(page, ClockParent());

    // Closing the main window: the clock goes home to the engine window, skin and all.
    MainWindow::Close();
    Pump();
    ASSERT_TRUE(IsWindow(clock_->GetHwnd()));
    EXPECT_EQ(Engine(), ClockParent());
    EXPECT_TRUE(clock_->IsSkinLoaded());
    // The screen saver still borrows it and gives it back there.
    FullScreenClockWnd* screen = FullScreenClockWnd::Instance();
    screen->Show(true, true, false, false);
    ASSERT_TRUE(screen->IsShowing());
    EXPECT_EQ(screen->GetHwnd(), ClockParent());
    screen->Show(false, false, false, false);
    EXPECT_EQ(Engine(), ClockParent());
}

TEST_F(ClockPageInProcess, TheScreenSaverHoldsTheKeysWhileItShowsAndTheMenuBarIsTheClocksMenu) {
    HWND page = Page()->GetHwnd();
    int id = 0;
    ASSERT_TRUE(PumpUntil([&] { return HotKeyWindow(&id) == page; }));
    EXPECT_EQ(IDS_KEY_MAXIMIZE_CLOCK, id);

    // The page's "Maximize clock" key: the screen saver borrows the clock and the keys go.
    SendMessageW(page, WM_HOTKEY, IDS_KEY_MAXIMIZE_CLOCK, MAKELPARAM(0, kMaximizeKey));
    FullScreenClockWnd* screen = FullScreenClockWnd::Instance();
    ASSERT_TRUE(screen->IsShowing());
    EXPECT_EQ(screen->GetHwnd(), ClockParent());
    EXPECT_EQ(nullptr, HotKeyWindow(&id));
    // Hidden, it gives the clock back to the page, laid out again, and the page its keys,
    // itself: the main window, disabled here, is not activated again (which would also
    // take the keys).
    EnableWindow(MainWindow::Window(), FALSE);
    screen->Show(false, false, false, false);
    EXPECT_EQ(page, HotKeyWindow(&id));
    EnableWindow(MainWindow::Window(), TRUE);
    EXPECT_EQ(page, ClockParent());
    RECT inPage = {};
    GetWindowRect(clock_->GetHwnd(), &inPage);
    MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&inPage), 2);
    EXPECT_EQ(2, inPage.left);
    ASSERT_TRUE(PumpUntil([&] { return HotKeyWindow(&id) == page; }));

    // The soft-key menu is the clock's menu and the tail, rebuilt after each command.
    HMENU menu = MainWindow::MenuBar() ? MainWindow::MenuBar()->GetMenu() : nullptr;
    ASSERT_NE(nullptr, menu);
    for (UINT item : {ClockWnd::kChimeCommand, ClockWnd::kSettingsCommand, ClockWnd::kStartScreenSaverCommand,
                      ClockWnd::kStartSlideShowCommand, static_cast<UINT>(IDS_HELP), static_cast<UINT>(IDS_EXIT)})
        EXPECT_NE(static_cast<UINT>(-1), MenuState(menu, item)) << item;
    const bool chime = App::GetItemStore()->Chime().Active;
    EXPECT_EQ(chime, (MenuState(menu, ClockWnd::kChimeCommand) & MF_CHECKED) != 0);
    SendMessageW(MainWindow::Window(), WM_COMMAND, MAKEWPARAM(ClockWnd::kChimeCommand, 0), 0);
    EXPECT_NE(chime, App::GetItemStore()->Chime().Active);
    EXPECT_EQ(!chime, (MenuState(menu, ClockWnd::kChimeCommand) & MF_CHECKED) != 0);
}
