#include "MainFrameWnd.h"

#include <aygshell.h>

#include "App.h"
#include "ButtonMap.h"
#include "ClockWnd.h"
#include "DeviceScreen.h"
#include "DialogFrame.h"
#include "EngineMessage.h"
#include "EngineWnd.h"
#include "ItemStore.h"
#include "MainTabView.h"
#include "MainWindow.h"
#include "MenuBarWnd.h"
#include "PageBase.h"
#include "PlatformHelpers.h"
#include "SystemSettings.h"
#include "TabPage.h"
#include "Translator.h"
#include "resource.h"

namespace {

constexpr int kFirstMenuBarsVersion = 5;
constexpr DWORD kHiddenShellState = SHFS_SHOWTASKBAR | SHFS_SHOWSIPBUTTON | SHFS_SHOWSTARTICON;

bool NewShell() { return Sys_GetOsMajorVersion() >= kFirstMenuBarsVersion; }

}  // namespace

MainFrameWnd::MainFrameWnd() = default;

MainFrameWnd::~MainFrameWnd() {
    // The bar first: its window belongs to the frame's.
    menuBar_.reset();
}

MainFrameWnd* MainFrameWnd::Create(const RECT& rect) {
    if (!Wnd_RegisterClass(kClassName, CS_HREDRAW | CS_VREDRAW, nullptr, nullptr)) return nullptr;
    auto frame = std::make_unique<MainFrameWnd>();
    const std::wstring title = Translator::Instance().GetString(IDS_PRODUCT_NAME);
    // A pop-up: the handheld's top-level windows have no caption, the desktop's
    // overlapped windows always do.
    if (!frame->WindowBase::Create(nullptr, kClassName, WS_POPUP | WS_VISIBLE, rect.left, rect.top, rect.right - rect.left,
                                   rect.bottom - rect.top, title.c_str(), 0, nullptr))
        return nullptr;
    return frame.release();
}

HWND MainFrameWnd::ViewWindow() const { return view_ ? view_->Frame().GetHwnd() : nullptr; }

HWND MainFrameWnd::CurrentPageWindow() const {
    PageBase* page = view_ ? view_->CurrentPage() : nullptr;
    return page ? page->GetHwnd() : nullptr;
}

bool MainFrameWnd::OnCreate(CREATESTRUCTW* create) {
    if (!ControlWndBase::OnCreate(create)) return false;
    view_ = std::make_unique<MainTabView>();
    if (!view_->ShowInside(GetHwnd())) return false;
    PostMessageW(GetHwnd(), kShowViewMessage, 0, 0);
    return true;
}

LRESULT MainFrameWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITMENUPOPUP:
        if (HWND page = CurrentPageWindow()) SendMessageW(page, message, wParam, lParam);
        return 0;
    case ButtonMap::kReleaseKeysMessage:
        // WM_ENTERMENULOOP: an open menu hears the keys itself.
        ButtonMap::Instance().UnregisterKeys();
        break;
    case ButtonMap::kRegisterKeysMessage:  // WM_EXITMENULOOP
        ButtonMap::Instance().RegisterKeys();
        break;
    case kEngineForwardMessage:
        if (EngineWnd* engine = App::GetEngine()) SendMessageW(engine->Hwnd(), message, wParam, lParam);
        break;
    case kShowViewMessage:
        ShowView();
        return 0;
    }
    return ControlWndBase::WindowProc(message, wParam, lParam);
}

void MainFrameWnd::ShowView() {
    if (HWND view = ViewWindow()) ShowWindow(view, SW_SHOW);
    if (NewShell()) CreateMenuBar();
    OnSettingChange(kWorkAreaChange, 0);
}

void MainFrameWnd::CreateMenuBar() {
    if (menuBar_) return;
    menuBar_.reset(MenuBarWnd::Create(GetHwnd(), GetModuleHandleW(nullptr), SHCMBF_HIDESIPBUTTON | SHCMBF_HMENU,
                                      IDM_MAIN_WINDOW_MENUBAR));
    if (!menuBar_) return;
    Translator::Instance().ApplyMenuBar(menuBar_->GetHwnd(), IDM_MAIN_WINDOW_MENUBAR);
    if (HWND page = CurrentPageWindow()) SendMessageW(page, TabPage::kFillMenuBarMessage, 0, 0);
}

void MainFrameWnd::OnCommand(UINT id, HWND control, UINT code) {
    if (code != 0) {
        ControlWndBase::OnCommand(id, control, code);
        return;
    }
    switch (id) {
    case IDS_HELP:
        if (HWND view = ViewWindow()) SendMessageW(view, WM_HELP, 0, 0);
        return;
    case IDS_SETTINGS:
        // The options sheet belongs to the clock window.
        if (ClockWnd* clock = ClockWnd::Instance()) clock->OpenOptions();
        return;
    case IDS_EXIT:
        if (EngineWnd* engine = App::GetEngine()) engine->Quit(EngineWnd::kQuitKeepNotifications);
        else PostQuitMessage(0);
        return;
    default:
        if (HWND page = CurrentPageWindow()) SendMessageW(page, WM_COMMAND, MAKEWPARAM(id, code), 0);
        return;
    }
}

void MainFrameWnd::OnDestroy() {
    ControlWndBase::OnDestroy();
    // Closing the main window ends the program once nothing else needs it (a ring waiting
    // for its answer, an item about to fall due): the engine decides.
    EngineWnd* engine = App::GetEngine();
    if (engine && IsWindow(engine->Hwnd()))
        PostMessageW(engine->Hwnd(), EngineMessage::kCloseMainWindow, EngineMessage::kMainWindowGone, 0);
    else
        PostQuitMessage(0);
}

void MainFrameWnd::OnActivate(UINT state, HWND other, BOOL minimized) {
    if (state == WA_INACTIVE) {
        SHFullScreen(GetHwnd(), kHiddenShellState);
        ButtonMap::Instance().UnregisterKeys();
    } else if (ItemStore::Current()) {
        if (!NewShell()) {
            SHINITDLGINFO info = {SHIDIM_FLAGS, GetHwnd(), SHIDIF_FULLSCREENNOMENUBAR};
            SHInitDialog(&info);
            SHFullScreen(GetHwnd(), SHFS_HIDESIPBUTTON);
            SHFullScreen(GetHwnd(), SHFS_SHOWTASKBAR | SHFS_SHOWSTARTICON);
        }
        SHFullScreen(GetHwnd(), SHFS_HIDESIPBUTTON);
        ButtonMap::Instance().RegisterKeys();
    }
    // The clock page hears it too: it takes the clock back from whoever borrowed it.
    const WPARAM activation = MAKEWPARAM(state, minimized);
    if (HWND clock = App::GetClockWindow())
        SendMessageW(clock, kClockActivationMessage, activation, reinterpret_cast<LPARAM>(other));
    if (TabPage* clockPage = view_ ? view_->Page(MainWindow::kClockTab) : nullptr)
        SendMessageW(clockPage->GetHwnd(), kClockActivationMessage, activation, reinterpret_cast<LPARAM>(other));
    ControlWndBase::OnActivate(state, other, minimized);
}

void MainFrameWnd::OnWindowPosChanged(WINDOWPOS* position) {
    HWND above = GetWindow(GetHwnd(), GW_HWNDPREV);
    wchar_t text[16] = {};
    if (above) GetWindowTextW(above, text, 16);
    ItemStore* store = ItemStore::Current();
    // Minimized to the desktop: closed, as closing ends the program once nothing needs it.
    if (above && wcscmp(text, L"Desktop") == 0 && store && store->GetSettings().system->CloseOnMinimize)
        if (EngineWnd* engine = App::GetEngine()) PostMessageW(engine->Hwnd(), EngineMessage::kCloseMainWindow, 0, 0);
    ControlWndBase::OnWindowPosChanged(position);
}

void MainFrameWnd::OnSettingChange(UINT flag, LPARAM lParam) {
    if (flag == kWorkAreaChange) {
        if (ItemStore::Current()) {
            RECT area = {};
            DeviceScreen_GetWorkArea(&area);
            if (NewShell()) area.bottom -= Shell_GetMenuBarHeight();
            MoveWindow(GetHwnd(), area.left, area.top, area.right - area.left, area.bottom - area.top, TRUE);
        }
        if (HWND view = ViewWindow()) {
            RECT client = {};
            GetClientRect(GetHwnd(), &client);
            MoveWindow(view, 0, 0, client.right, client.bottom, TRUE);
        }
    }
    ControlWndBase::OnSettingChange(flag, lParam);
}

void MainFrameWnd::OnSize(UINT type, int width, int height) {
    if (HWND view = ViewWindow()) MoveWindow(view, 0, 0, width, height, TRUE);
    ControlWndBase::OnSize(type, width, height);
}

LRESULT MainFrameWnd::OnHelp(HELPINFO* info, WPARAM wParam) {
    if (HWND view = ViewWindow()) SendMessageW(view, WM_HELP, wParam, reinterpret_cast<LPARAM>(info));
    return 1;
}
