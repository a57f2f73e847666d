#include "TabDialogBase.h"

#include <aygshell.h>

#include "DialogFrame.h"
#include "PageBase.h"

TabDialogBase::TabDialogBase(UINT ownTemplateId, UINT captionStringId, UINT iconId, bool doneButton, int menuBarId,
                             bool largeFrame)
    : FramedDialog(ownTemplateId, captionStringId, iconId, doneButton, menuBarId, largeFrame) {}

TabDialogBase::~TabDialogBase() {
    for (int index = 0; index < pages_.GetCount(); ++index)
        delete static_cast<PageBase*>(pages_.GetAt(index));
    pages_.RemoveAll();
}

PageBase* TabDialogBase::PageAt(int index) const { return static_cast<PageBase*>(pages_.GetAt(index)); }

PageBase* TabDialogBase::CurrentPage() const { return current_ >= 0 ? PageAt(current_) : nullptr; }

int TabDialogBase::AppendPage(PageBase* page) { return pages_.Add(page); }

LRESULT TabDialogBase::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kOpenedMessage) {
        OnOpened(message, wParam);
        return 0;
    }
    if (message == WM_INITDIALOG)
        return OnInitDialog(wParam, lParam);
    return WindowBase::WindowProc(message, wParam, lParam);
}

void TabDialogBase::OnSize(UINT type, int width, int height) {
    FramedDialog::OnSize(type, width, height);
    SizePage();
}

LRESULT TabDialogBase::OnHelp(HELPINFO* info, WPARAM wParam) {
    PageBase* page = CurrentPage();
    return page ? page->OnHelp(info, wParam) : 0;
}

LRESULT TabDialogBase::OnInitDialog(WPARAM wParam, LPARAM lParam) {
    DialogBase::OnInitDialog(wParam, lParam);
    SHSipPreference(GetHwnd(), SIP_DOWN);
    OnInitPages();
    PostMessageW(GetHwnd(), kOpenedMessage, 0, 0);
    return 1;
}

bool TabDialogBase::OnCancel(UINT, HWND) { return CanCancel(); }

bool TabDialogBase::OnOK(UINT, HWND) { return CanOK(); }

void TabDialogBase::OnIconClicked(int, int) {}

bool TabDialogBase::IsScrollable() { return false; }

void TabDialogBase::OnInitPages() {}

void TabDialogBase::OnOpened(UINT, WPARAM) {}

void TabDialogBase::GetPageArea(RECT& area) { GetClientRect(GetHwnd(), &area); }

bool TabDialogBase::CanOK() { return true; }

bool TabDialogBase::CanCancel() { return true; }

void TabDialogBase::SelectPageObject(PageBase* page) {
    const int index = pages_.Find(page);
    SelectPage(index);
}

void TabDialogBase::SelectPage(int index) {
    if (current_ >= 0 && index == current_)
        return;
    if (PageBase* previous = CurrentPage())
        previous->OnPageHide();
    PageBase* page = PageAt(index);
    current_ = index;

    Frame().ShowIcon(page->ShowHeader(), Frame().Compact());
    HWND pageWindow = page->GetHwnd();
    ShowWindow(pageWindow, SW_SHOW);
    SizePage();
    for (int other = 0; other < pages_.GetCount(); ++other) {
        if (other != index)
            ShowWindow(PageAt(other)->GetHwnd(), SW_HIDE);
    }
    page->OnPageShow();
    BringWindowToTop(pageWindow);
    SetFocus(pageWindow);
}

void TabDialogBase::SizePage() {
    PageBase* page = CurrentPage();
    if (!page || !page->GetHwnd())
        return;
    RECT area, rect;
    GetPageArea(area);
    GetWindowRect(page->GetHwnd(), &rect);
    MapWindowPoints(HWND_DESKTOP, GetHwnd(), reinterpret_cast<POINT*>(&rect), 2);
    if (!EqualRect(&area, &rect))
        MoveWindow(page->GetHwnd(), area.left, area.top, area.right - area.left, area.bottom - area.top, TRUE);
}
