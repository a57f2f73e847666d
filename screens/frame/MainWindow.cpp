#include "MainWindow.h"

#include <aygshell.h>

#include "AlarmListPage.h"
#include "DeviceScreen.h"
#include "MainFrameWnd.h"
#include "MainTabView.h"
#include "PlatformHelpers.h"
#include "Taskbar.h"

namespace MainWindow {

namespace {

constexpr int kFirstMenuBarsVersion = 5;
MainFrameWnd* gFrame = nullptr;

// Destroys the window (the frame's OnDestroy posts the quit message) and the object.
void DestroyFrame() {
    MainFrameWnd* frame = gFrame;
    gFrame = nullptr;
    if (!frame) return;
    if (frame->GetHwnd() && IsWindow(frame->GetHwnd())) DestroyWindow(frame->GetHwnd());
    delete frame;
}

}  // namespace

MainFrameWnd* Frame() { return gFrame; }

HWND Window() {
    HWND window = gFrame ? gFrame->GetHwnd() : nullptr;
    return window && IsWindow(window) ? window : nullptr;
}

MenuBarWnd* MenuBar() { return Window() ? gFrame->MenuBar() : nullptr; }

AlarmListPage* AlarmPage() {
    MainTabView* view = Window() ? gFrame->View() : nullptr;
    return view ? dynamic_cast<AlarmListPage*>(view->Page(kAlarmsTab)) : nullptr;
}

void SelectTab(int tab) {
    if (MainTabView* view = Window() ? gFrame->View() : nullptr) view->SelectTab(tab);
}

bool Open(int tab) {
    RECT area = {};
    DeviceScreen_GetWorkArea(&area);
    area.bottom -= Taskbar_Show();
    if (gFrame && !Window()) Close();
    if (HWND window = Window()) {
        // The low bit asks to bring the window's last active popup along.
        SetForegroundWindow(reinterpret_cast<HWND>(reinterpret_cast<ULONG_PTR>(window) | 1));
        if (PageBase* page = gFrame->View() ? gFrame->View()->CurrentPage() : nullptr) page->OnPageShow();
        SelectTab(tab);
        return true;
    }
    SHSipPreference(GetForegroundWindow(), SIP_DOWN);
    gFrame = MainFrameWnd::Create(area);
    if (!gFrame) return false;
    HWND window = gFrame->GetHwnd();
    ShowWindow(window, SW_SHOW);
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(window);
    if (Sys_GetOsMajorVersion() < kFirstMenuBarsVersion) {
        SHINITDLGINFO info = {SHIDIM_FLAGS, window, SHIDIF_FULLSCREENNOMENUBAR};
        SHInitDialog(&info);
        SHFullScreen(window, SHFS_HIDESIPBUTTON | SHFS_SHOWTASKBAR | SHFS_SHOWSTARTICON);
    }
    SelectTab(tab);
    return true;
}

void Close() {
    if (Window()) {
        if (MainTabView* view = gFrame->View())
            if (view->CurrentIndex() >= 0) view->SaveState();
    }
    DestroyFrame();
}

}  // namespace MainWindow
