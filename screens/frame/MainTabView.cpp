#include "MainTabView.h"

#include <commctrl.h>

#include <memory>

#include "AboutPage.h"
#include "AlarmListPage.h"
#include "ButtonMap.h"
#include "ClockPage.h"
#include "ContextHelp.h"
#include "DialogFrame.h"
#include "MainTabStrip.h"
#include "MainWindow.h"
#include "PlainPage.h"
#include "StopwatchPage.h"
#include "TimerListPage.h"
#include "PlatformHelpers.h"
#include "ProductKey.h"
#include "resource.h"
#include "sipapi.h"

namespace {

constexpr int kFirstVersionWithoutTabStrip = 5;

std::unique_ptr<TabPage> MakePage(int tab) {
    using namespace MainWindow;
    switch (tab) {
    case kClockTab:
        return std::make_unique<ClockPage>();
    case kAlarmsTab:
        return std::make_unique<AlarmListPage>();
    case kTimersTab:
        return std::make_unique<TimerListPage>();
    case kStopwatchTab:
        return std::make_unique<StopwatchPage>();
    default:
        return std::make_unique<AboutPage>();
    }
}

}  // namespace

MainTabView::MainTabView() : TabDialog(0, 0, false, FramedDialog::kNoMenuBar, false) {}

MainTabView::~MainTabView() {
    // The header shows a copy of the page's icon, which the frame would otherwise keep.
    if (HICON shown = Frame().Icon()) {
        Frame().SetImage(nullptr);
        DestroyIcon(shown);
    }
}

TabPage* MainTabView::Page(int index) const {
    return index >= 0 && index < PageCount() ? static_cast<TabPage*>(PageAt(index)) : nullptr;
}

LRESULT MainTabView::OnInitDialog(WPARAM wParam, LPARAM lParam) {
    TabDialog::OnInitDialog(wParam, lParam);
    // The newer shells switch pages by the main menu, hot keys and soft keys.
    if (!OlderShell()) {
        ShowWindow(TabStrip(), SW_HIDE);
        return 1;
    }
    RECT client;
    GetClientRect(GetHwnd(), &client);
    MainTabStrip::Attach(TabStrip(), client.bottom);
    return 1;
}

void MainTabView::GetPageArea(RECT& area) {
    if (!OlderShell()) GetClientRect(GetHwnd(), &area);
    else TabDialog::GetPageArea(area);
}

void MainTabView::OnSize(UINT type, int width, int height) {
    // The older shells' input panel covers the strip while it is up: the layout waits for it.
    if (OlderShell()) {
        SIPINFO sip = {};
        sip.cbSize = sizeof sip;
        if (SipGetInfo(&sip) && (sip.fdwFlags & SIPF_ON)) return;
    }
    TabDialog::OnSize(type, width, height);
}

bool MainTabView::OlderShell() { return Sys_GetOsMajorVersion() < kFirstVersionWithoutTabStrip; }

LRESULT MainTabView::OnDrawItem(UINT controlId, DRAWITEMSTRUCT* item) {
    if (!item || item->hwndItem != TabStrip() || !OlderShell()) return TabDialog::OnDrawItem(controlId, item);
    TabPage* page = Page(static_cast<int>(item->itemID));
    MainTabStrip::DrawTab(*item, page ? page->Icon() : nullptr);
    return TRUE;
}

void MainTabView::OnInitPages() {
    for (int tab = 0; tab < MainWindow::kPageCount; ++tab) {
        std::unique_ptr<TabPage> page = MakePage(tab);
        if (!page->Create(GetHwnd())) return;
        TabPage* created = page.release();
        InsertTab(created, created->Caption().c_str());
    }
    for (int tab = 0; tab < PageCount(); ++tab) Page(tab)->SetTitled(tab != MainWindow::kClockTab);
}

void MainTabView::OnOpened(UINT, WPARAM) { RestoreState(); }

int MainTabView::StoredTab(const RegKeyRef& productKey, int pageCount) {
    DWORD value = 0, type = 0, size = sizeof value;
    if (RegKeyRef_QueryValue(productKey, kCurTabValue, &type, &value, &size) != ERROR_SUCCESS || type != REG_DWORD ||
        size != sizeof value)
        return 0;
    // Unsigned: a stored 0xFFFFFFFF is no tab before the first.
    return value < static_cast<DWORD>(pageCount) ? static_cast<int>(value) : 0;
}

void MainTabView::RestoreState() {
    restored_ = true;
    int tab = 0;
    RegKeyRef product = RegKeyRef::Open(ProductKey::kPath, HKEY_CURRENT_USER, true);
    if (product.IsOpen()) {
        for (int index = 0; index < PageCount(); ++index) Page(index)->LoadViewState(product);
        tab = StoredTab(product, PageCount());
    }
    if (pendingTab_ >= 0 && pendingTab_ < PageCount()) tab = pendingTab_;
    pendingTab_ = -1;
    if (tab < PageCount()) SelectPage(tab);
}

void MainTabView::SaveState() {
    RegKeyRef product = RegKeyRef::Open(ProductKey::kPath, HKEY_CURRENT_USER, false);
    if (!product.IsOpen()) return;
    for (int index = 0; index < PageCount(); ++index) Page(index)->SaveViewState(product);
    RegKey_WriteDword(product, static_cast<DWORD>(CurrentIndex()), kCurTabValue);
}

void MainTabView::SelectTab(int tab) {
    if (tab < 0 || tab >= PageCount()) return;
    if (!restored_) {
        pendingTab_ = tab;
        return;
    }
    SelectPage(tab);
}

void MainTabView::SelectPage(int index) {
    TabDialog::SelectPage(index);
    TabPage* page = Page(index);
    if (!page) return;
    Frame().SetTitle(page->Caption().c_str());
    HICON previous = Frame().Icon();
    Frame().SetImage(page->Icon() ? CopyIcon(page->Icon()) : nullptr);
    if (previous) DestroyIcon(previous);
    SaveState();
}

void MainTabView::OnDestroy() {
    if (CurrentIndex() >= 0) SaveState();
    TabDialog::OnDestroy();
}
