#include "TabDialog.h"

#include <commctrl.h>

#include "DeviceScreen.h"
#include "Dpi.h"
#include "PageBase.h"
#include "Translator.h"
#include "resource.h"

namespace {

constexpr int kStripHeight = 22;   // at 96 DPI, as every length below
constexpr int kStripOverhang = 2;
constexpr int kTabItemInset = 2;
constexpr WPARAM kCommonControlsVersion = 0x020C;
constexpr int kTabTextLength = 255;

}  // namespace

TabDialog::TabDialog(UINT captionStringId, UINT iconId, bool doneButton, int menuBarId, bool largeFrame)
    : TabDialogBase(IDD_TAB_DIALOG, captionStringId, iconId, doneButton, menuBarId, largeFrame) {}

TabDialog::~TabDialog() {
    if (tabListMenu_)
        DestroyMenu(tabListMenu_);
}

LRESULT TabDialog::OnInitDialog(WPARAM wParam, LPARAM lParam) {
    tabStrip_ = GetDlgItem(GetHwnd(), IDC_TAB_STRIP);
    SendMessageW(tabStrip_, CCM_SETVERSION, kCommonControlsVersion, 0);
    SendMessageW(tabStrip_, TCM_SETITEMSIZE, 0, MAKELPARAM(1, Dpi_ScaleY(kStripHeight - kTabItemInset)));
    RECT client;
    GetClientRect(GetHwnd(), &client);
    MoveWindow(tabStrip_, Dpi_ScaleX(-kStripOverhang), client.bottom - Dpi_ScaleY(kStripHeight),
               DeviceScreen_GetSystemMetrics(SM_CXSCREEN) + Dpi_ScaleX(kStripOverhang), Dpi_ScaleY(kStripHeight),
               FALSE);
    TabDialogBase::OnInitDialog(wParam, lParam);
    return 1;
}

void TabDialog::OnSize(UINT type, int width, int height) {
    TabDialogBase::OnSize(type, width, height);
    if (tabStrip_)
        MoveWindow(tabStrip_, Dpi_ScaleX(-kStripOverhang), height - Dpi_ScaleY(kStripHeight),
                   width + Dpi_ScaleX(kStripOverhang), Dpi_ScaleY(kStripHeight), FALSE);
}

void TabDialog::GetPageArea(RECT& area) {
    GetClientRect(GetHwnd(), &area);
    area.bottom -= Dpi_ScaleY(kStripHeight);
}

void TabDialog::OnCommand(UINT id, HWND control, UINT code) {
    const UINT count = static_cast<UINT>(SendMessageW(tabStrip_, TCM_GETITEMCOUNT, 0, 0));
    if (tabListMenu_ && code == 0 && id >= kTabMenuFirstId && id < kTabMenuFirstId + count) {
        SelectPage(static_cast<int>(id - kTabMenuFirstId));
        DestroyMenu(tabListMenu_);
        tabListMenu_ = nullptr;
        return;
    }
    TabDialogBase::OnCommand(id, control, code);
}

LRESULT TabDialog::OnNotify(WPARAM wParam, NMHDR* header) {
    if (header && header->hwndFrom == tabStrip_ && header->code == static_cast<UINT>(TCN_SELCHANGE)) {
        SelectPage(static_cast<int>(SendMessageW(tabStrip_, TCM_GETCURSEL, 0, 0)));
        return 0;
    }
    return DefProc(WM_NOTIFY, wParam, reinterpret_cast<LPARAM>(header));
}

void TabDialog::OnIconClicked(int x, int y) {
    if (tabListMenu_)
        DestroyMenu(tabListMenu_);
    tabListMenu_ = CreatePopupMenu();
    if (!tabListMenu_)
        return;
    const int count = static_cast<int>(SendMessageW(tabStrip_, TCM_GETITEMCOUNT, 0, 0));
    for (int index = 0; index < count; ++index) {
        wchar_t text[kTabTextLength + 1] = {};
        TCITEMW item = {};
        item.mask = TCIF_TEXT;
        item.pszText = text;
        item.cchTextMax = kTabTextLength;
        SendMessageW(tabStrip_, TCM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
        const UINT flags = MF_STRING | (index == CurrentIndex() ? MF_CHECKED : MF_UNCHECKED);
        AppendMenuW(tabListMenu_, flags, kTabMenuFirstId + static_cast<UINT>(index), text);
    }
    TrackPopupMenuEx(tabListMenu_, TPM_RIGHTALIGN, x, y, GetHwnd(), nullptr);
}

void TabDialog::SyncStrip() {
    SendMessageW(tabStrip_, TCM_SETCURSEL, static_cast<WPARAM>(CurrentIndex()), 0);
    BringWindowToTop(tabStrip_);
}

void TabDialog::SelectPageObject(PageBase* page) {
    if (page && page == CurrentPage())
        return;
    TabDialogBase::SelectPageObject(page);
    SyncStrip();
}

void TabDialog::SelectPage(int index) {
    TabDialogBase::SelectPage(index);
    SyncStrip();
}

int TabDialog::AddPage(PageBase* page, UINT captionStringId) {
    const std::wstring caption = Translator::Instance().GetString(captionStringId);
    return InsertTab(page, caption.c_str());
}

int TabDialog::InsertTab(PageBase* page, const wchar_t* text) {
    TCITEMW item = {};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(text);
    const LRESULT count = SendMessageW(tabStrip_, TCM_GETITEMCOUNT, 0, 0);
    SendMessageW(tabStrip_, TCM_INSERTITEMW, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(&item));
    return AppendPage(page);
}
