#include "ClockPage.h"

#include "App.h"
#include "ButtonMap.h"
#include "ClockWnd.h"
#include "ContextHelp.h"
#include "DeviceScreen.h"
#include "Dpi.h"
#include "EngineWnd.h"
#include "FullScreenClockControl.h"
#include "MainFrameWnd.h"
#include "PageServices.h"
#include "MainWindow.h"
#include "resource.h"

namespace {

constexpr int kClockMargin = 2;  // around the clock, at 96 DPI

}  // namespace

ClockPage::ClockPage()
    : TabPage(IDD_CLOCK_PAGE, IDS_CLOCK, IDI_CLOCK_PAGE, ContextHelp::kClock, ButtonMap::kClock) {}

bool ClockPage::HoldsClock(const ClockWnd* clock) const {
    return clock && GetHwnd() && GetParent(clock->GetHwnd()) == GetHwnd();
}

void ClockPage::AttachClock() {
    ClockWnd* clock = ClockWnd::Instance();
    if (!clock || !GetHwnd()) return;
    // The screen saver in front keeps it; it gives it back when it goes.
    FullScreenClockControl* fullScreen = App::GetFullScreenClock();
    if (fullScreen && fullScreen->IsShowing() && GetParent(clock->GetHwnd()) == fullScreen->Hwnd()) return;
    clock->LoadSkin();
    SetParent(clock->GetHwnd(), GetHwnd());
    RECT client = {};
    GetClientRect(GetHwnd(), &client);
    OnSize(SIZE_RESTORED, client.right, client.bottom);
}

LRESULT ClockPage::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kFillMenuBarMessage) {
        FillMenuBarFromClock();
        return 0;
    }
    // The main window became active: the clock comes back here, whoever borrowed it.
    if (message == MainFrameWnd::kClockActivationMessage && LOWORD(wParam) != WA_INACTIVE) {
        AttachClock();
        return 0;
    }
    return TabPage::WindowProc(message, wParam, lParam);
}

void ClockPage::OnPageShow() {
    shown_ = true;
    AttachClock();
    if (ClockWnd* clock = ClockWnd::Instance()) InvalidateRect(clock->GetHwnd(), nullptr, FALSE);
    TabPage::OnPageShow();
}

void ClockPage::OnPageHide() {
    shown_ = false;
    TabPage::OnPageHide();
}

void ClockPage::OnSize(UINT type, int width, int height) {
    TabPage::OnSize(type, width, height);
    ClockWnd* clock = ClockWnd::Instance();
    if (!HoldsClock(clock)) return;
    // Framed here, also when the screen saver gives it back.
    clock->SetBorder(true);
    const int marginX = Dpi_ScaleX(kClockMargin), marginY = Dpi_ScaleY(kClockMargin);
    MoveWindow(clock->GetHwnd(), marginX, marginY, width - 2 * marginX, height - 2 * marginY, TRUE);
}

void ClockPage::OnDestroy() {
    ClockWnd* clock = ClockWnd::Instance();
    EngineWnd* engine = App::GetEngine();
    // The clock outlives the main window: it goes home to the engine window.
    if (HoldsClock(clock) && engine) {
        clock->LoadSkin();
        clock->SetBorder(false);
        SetParent(clock->GetHwnd(), engine->GetHwnd());
    }
    TabPage::OnDestroy();
}

void ClockPage::FillMenuBarFromClock() {
    ClockWnd* clock = ClockWnd::Instance();
    if (!clock || !MainWindow::MenuBar()) return;
    HMENU menu = clock->BuildContextMenu();
    if (!menu) return;
    AppendMenuTail(menu);
    FillMenuBar(menu);
    DestroyMenu(menu);
}

void ClockPage::OnCommand(UINT id, HWND control, UINT code) {
    if (code != 0) {
        TabPage::OnCommand(id, control, code);
        return;
    }
    if (id == IDS_TIME)
        PageServices::RunMainMenu();
    else if (ClockWnd* clock = ClockWnd::Instance())
        clock->OnClockCommand(id);
    // A command may have changed what the menu checks (chime, screen saver, skin).
    FillMenuBarFromClock();
}

bool ClockPage::IsContextMenuOpen() const {
    const ClockWnd* clock = ClockWnd::Instance();
    return clock && clock->IsMenuOpen();
}

void ClockPage::OpenContextMenu() {
    if (ClockWnd* clock = ClockWnd::Instance())
        clock->TrackMenu(DeviceScreen_GetSystemMetrics(SM_CXSCREEN) / 4, DeviceScreen_GetSystemMetrics(SM_CYSCREEN) / 4);
}

void ClockPage::OnHotKey(int id, UINT, UINT key) {
    switch (id) {
    case IDS_KEY_PREVIOUS_TAB:
        MainWindow::SelectTab(MainWindow::kStopwatchTab);
        return;
    case IDS_KEY_NEXT_TAB:
        MainWindow::SelectTab(MainWindow::kAlarmsTab);
        return;
    case IDS_KEY_MAXIMIZE_CLOCK:
        if (FullScreenClockControl* fullScreen = App::GetFullScreenClock())
            fullScreen->Show(!fullScreen->IsShowing(), false, false, false);
        return;
    case IDS_KEY_CONTEXT_MENU:
        OnContextMenuKey(key);
        return;
    }
}
