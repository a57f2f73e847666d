#include "SnoozeChooserDlg.h"

#include <aygshell.h>
#include <commctrl.h>

#include <cstdio>

#include "App.h"
#include "Dpi.h"
#include "EventItem.h"
#include "Fonts.h"
#include "ItemStore.h"
#include "PlatformHelpers.h"
#include "RingController.h"
#include "SystemSettings.h"
#include "TimerItem.h"
#include "Translator.h"
#include "resource.h"

namespace {

constexpr DWORD kAboveStartup = 0x20000000;
constexpr int kMenuBarShellVersion = 5;
constexpr int kLargeFontDpi = 192;
constexpr COLORREF kLineColour = RGB(153, 153, 153);

std::vector<int32_t> OfferedList() {
    ItemStore* store = App::GetItemStore();
    if (store && store->GetSettings().system) return store->GetSettings().system->SnoozeList;
    return {300, 600, 1200, 1800, 3600};
}

}  // namespace

SnoozeChooserDlg::SnoozeChooserDlg(const EventItem& item)
    : chosenSeconds_(Ring_DefaultSnoozeSeconds(item)),
      durationSeconds_(static_cast<int>(item.GetDurationSeconds())),
      timer_(dynamic_cast<const TimerItem*>(&item) != nullptr) {}

int SnoozeChooserDlg::Run() {
    HINSTANCE instance = App::Instance() ? App::Instance() : GetModuleHandleW(nullptr);
    const DLGTEMPLATE* dialogTemplate = Dialog_FindTemplate(instance, IDD_SNOOZE_CHOOSER);
    if (!dialogTemplate) {
        SetLastError(ERROR_OUTOFMEMORY);
        return -1;
    }
    PrepareTemplates(IDD_SNOOZE_CHOOSER, true);
    const INT_PTR result =
        DialogBoxIndirectParamW(instance, dialogTemplate, nullptr, StaticProc, reinterpret_cast<LPARAM>(this));
    return static_cast<int>(result);
}

LRESULT SnoozeChooserDlg::OnInitDialog(WPARAM wParam, LPARAM lParam) {
    DialogBase::OnInitDialog(wParam, lParam);
    HWND dialog = GetHwnd();
    header_.dialog = dialog;
    HWND list = GetDlgItem(dialog, IDC_SNOOZE_LIST);
    int selected = 0;
    const std::vector<int> lengths = SnoozeList_Prepare(OfferedList(), chosenSeconds_, durationSeconds_, selected);
    list_.Attach(list, lengths, selected);
    if (countdownDisplay_.Subclass(GetDlgItem(dialog, IDC_SNOOZE_COUNTDOWN))) {
        if (Dpi_GetX() < kLargeFontDpi)
            countdownDisplay_.LoadFont(IDR_FONT_SMALL_STRIP, IDR_FONT_SMALL);
        else
            countdownDisplay_.LoadFont(IDR_FONT_LARGE_STRIP, IDR_FONT_LARGE);
        countdownDisplay_.SetText(L"10");
    }
    // The tap that opened the chooser must not close it.
    SetTimer(dialog, kUnlockTimer, kUnlockMs, nullptr);
    tapsLocked_ = true;
    const bool oldShell = Sys_GetOsMajorVersion() < kMenuBarShellVersion;
    cancelFont_.Reset(oldShell ? Font_CreateScaled(110, L"Nina") : Font_CreateScaled(120, L"Segoe Condensed"));
    SendDlgItemMessageW(dialog, IDC_SNOOZE_CANCEL, WM_SETFONT, reinterpret_cast<WPARAM>(cancelFont_.Get()), FALSE);
    EnableWindow(list, FALSE);
    SetFocus(list);
    PostMessageW(dialog, kSnoozeChooserMessage, 0, 0);
    Dlg_InitFullScreen(header_);
    if (!oldShell) MenuBar_CreateForWindow(header_.menuBar, dialog, IDM_SNOOZE_MENUBAR, false, 0);
    return 0;  // the focus is set
}

LRESULT SnoozeChooserDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case kSnoozeChooserMessage: {
        HWND dialog = GetHwnd();
        Translator::Instance().ApplyCaption(dialog, IDD_SNOOZE_CHOOSER);
        if (timer_) SetWindowTextW(dialog, Translator::Instance().GetString(IDS_TODAY_RESTART_TIMER).c_str());
        if (header_.menuBar.bar) Translator::Instance().ApplyMenuBar(header_.menuBar.bar, IDM_SNOOZE_MENUBAR);
        SetWindowLongPtrW(dialog, GWL_EXSTYLE, GetWindowLongPtrW(dialog, GWL_EXSTYLE) | WS_EX_TOPMOST | kAboveStartup);
        SetForegroundWindow(dialog);
        SetWindowPos(dialog, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
        return 0;
    }
    case WM_MEASUREITEM: {
        auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (measure->CtlID != IDC_SNOOZE_LIST || !list_.GetHwnd()) break;
        list_.MeasureRow(*measure);
        return TRUE;
    }
    case WM_DRAWITEM: {
        auto* draw = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        if (draw->CtlID != IDC_SNOOZE_LIST) break;
        list_.DrawRow(*draw);
        return TRUE;
    }
    case WM_DELETEITEM:
        if (wParam == IDC_SNOOZE_LIST) return TRUE;
        break;
    case WM_COMPAREITEM:
        if (wParam == IDC_SNOOZE_LIST) return 0;
        break;
    }
    return DialogBase::WindowProc(message, wParam, lParam);
}

void SnoozeChooserDlg::OnTimer(UINT_PTR id) {
    HWND dialog = GetHwnd();
    switch (id) {
    case kUnlockTimer:
        KillTimer(dialog, kUnlockTimer);
        SetTimer(dialog, kCountdownTimer, kCountdownMs, nullptr);
        EnableWindow(list_.GetHwnd(), TRUE);
        InvalidateRect(list_.GetHwnd(), nullptr, FALSE);
        tapsLocked_ = false;
        return;
    case kCountdownTimer: {
        --countdown_;
        wchar_t text[8];
        swprintf(text, 8, L"%2d", countdown_);
        countdownDisplay_.SetText(text);
        if (countdown_ >= 1) return;
        // No choice: the item's own length.
        KillTimer(dialog, kCountdownTimer);
        EndDialog(dialog, kTaken);
        return;
    }
    }
    DialogBase::OnTimer(id);
}

LRESULT SnoozeChooserDlg::OnNotify(WPARAM wParam, NMHDR* header) {
    if (header->idFrom == IDC_SNOOZE_LIST && header->code == LVN_ITEMACTIVATE) {
        const int row = reinterpret_cast<NMITEMACTIVATE*>(header)->iItem;
        const int seconds = list_.SecondsAt(row);
        if (row < 0 || seconds < 0) return 0;
        chosenSeconds_ = seconds;
        KillTimer(GetHwnd(), kCountdownTimer);
        EndDialog(GetHwnd(), kTaken);
        return 0;
    }
    return DialogBase::OnNotify(wParam, header);
}

void SnoozeChooserDlg::OnCommand(UINT id, HWND control, UINT code) {
    switch (id) {
    case IDOK:
    case SHELL_IDOK:
        KillTimer(GetHwnd(), kCountdownTimer);
        EndDialog(GetHwnd(), kTaken);
        return;
    case IDCANCEL:
    case SHELL_IDCANCEL:
        KillTimer(GetHwnd(), kCountdownTimer);
        EndDialog(GetHwnd(), kCancelled);
        return;
    case IDC_SNOOZE_CANCEL:
    case IDC_SNOOZE_COUNTDOWN:
        TapToCancel();
        return;
    }
    DialogBase::OnCommand(id, control, code);
}

void SnoozeChooserDlg::OnLButtonDown(int, int, UINT) { TapToCancel(); }

void SnoozeChooserDlg::TapToCancel() {
    if (tapsLocked_) return;
    KillTimer(GetHwnd(), kCountdownTimer);
    EndDialog(GetHwnd(), kCancelled);
}

int SnoozeChooserDlg::ListTop() const {
    RECT rect;
    GetWindowRect(list_.GetHwnd(), &rect);
    MapWindowPoints(HWND_DESKTOP, GetHwnd(), reinterpret_cast<POINT*>(&rect), 2);
    return rect.top;
}

// The list reaches from its top to the bottom, across the whole width. The template's
// widths are dialog units, which the device's font may make wider than the screen: the
// countdown and "Tap here to cancel" are centred on the client width instead.
void SnoozeChooserDlg::OnSize(UINT type, int width, int height) {
    DialogBase::OnSize(type, width, height);
    if (!list_.GetHwnd()) return;
    HWND dialog = GetHwnd();
    for (UINT id : {IDC_SNOOZE_COUNTDOWN, IDC_SNOOZE_CANCEL}) {
        HWND control = GetDlgItem(dialog, id);
        RECT rect;
        GetWindowRect(control, &rect);
        MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&rect), 2);
        int controlWidth = width;
        if (id == IDC_SNOOZE_COUNTDOWN)
            controlWidth = countdownDisplay_.Font().TextWidth(L"10");
        if (controlWidth <= 0 || controlWidth > width) controlWidth = width;
        MoveWindow(control, (width - controlWidth) / 2, rect.top, controlWidth, rect.bottom - rect.top, TRUE);
    }
    const RECT area = {0, ListTop(), width, height};
    list_.Stretch(area);
}

void SnoozeChooserDlg::OnPaint() {
    PaintScope paint(GetHwnd());
    if (!paint.Dc() || !list_.GetHwnd()) return;
    RECT client;
    GetClientRect(GetHwnd(), &client);
    const int width = (Dpi_GetY() + 48) / 96;
    const int top = ListTop();
    BrushHandle ink(CreateSolidBrush(kLineColour));
    RECT line = {0, top - width, client.right, top};
    FillRect(paint.Dc(), &line, ink.Get());
}

LRESULT SnoozeChooserDlg::OnEraseBkgnd(HDC dc) {
    RECT client;
    GetClientRect(GetHwnd(), &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));
    return 1;
}

LRESULT SnoozeChooserDlg::OnCtlColorStatic(HDC dc, HWND) {
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
}

void SnoozeChooserDlg::OnDestroy() {
    KillTimer(GetHwnd(), kUnlockTimer);
    KillTimer(GetHwnd(), kCountdownTimer);
    DialogBase::OnDestroy();
}
