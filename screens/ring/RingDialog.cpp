#include "RingDialog.h"

#include <aygshell.h>

#include "AlarmItem.h"
#include "App.h"
#include "DeviceClock.h"
#include "Dpi.h"
#include "EventItem.h"
#include "PlatformHelpers.h"
#include "Signaller.h"
#include "RingSignals.h"
#include "ItemStore.h"
#include "SnoozeChooserDlg.h"
#include "Translator.h"
#include "resource.h"

namespace {

constexpr WPARAM kWorkAreaBits = 0x3002;
constexpr DWORD kAboveStartup = 0x20000000;
constexpr int kMenuBarShellVersion = 5;
constexpr int kTimeTextLength = 100;
const wchar_t* const kLockerClasses[] = {L"S2U2", L"iLock2"};

}  // namespace

bool Ring_ForceSnoozePending(const EventItem& item) {
    const auto* alarm = dynamic_cast<const AlarmItem*>(&item);
    return alarm && (alarm->flags & AlarmItem::kForceSnooze) && !(alarm->flags & AlarmItem::kAutoSnoozed);
}

RingDialog::RingDialog(std::unique_ptr<RingController> controller, UINT templateId, UINT captionId, UINT menuBarId)
    : RingScreen(std::move(controller)), templateId_(templateId), captionId_(captionId), menuBarId_(menuBarId) {}

bool RingDialog::Open() {
    if (CreateModeless(templateId_, nullptr, nullptr)) return true;
    SetLastError(ERROR_OUTOFMEMORY);
    return false;
}

LRESULT RingDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (HandleRingMessage(message, wParam, lParam, result)) return result;
    switch (message) {
    case kMenuBarLabelsMessage:
        SetMenuBarLabels();
        return 0;
    case kSleepAgainMessage: {
        // The device goes back to sleep: a first ring that snoozes by itself snoozes now.
        EventItem& item = RingItem();
        if (item.GetSnoozeType() == EventItem::kSnoozeTypeAutoSnooze && item.SnoozeCount == 0) {
            Controller().Snooze(Ring_DefaultSnoozeSeconds(item), false);
            KillTimer(GetHwnd(), kCountdownBarTimer);
        }
        return 0;
    }
    }
    return DialogBase::WindowProc(message, wParam, lParam);
}

LRESULT RingDialog::OnInitDialog(WPARAM wParam, LPARAM lParam) {
    DialogBase::OnInitDialog(wParam, lParam);
    header_.dialog = GetHwnd();
    SetWindowTextW(GetHwnd(), Translator::Instance().GetString(captionId_).c_str());
    for (const wchar_t* locker : kLockerClasses)
        if (FindWindowW(locker, nullptr)) {
            Sleep(kLockerWaitMs);
            break;
        }
    CreateButtons();
    if (ImageButton* focus = FocusButton()) SetFocus(focus->Hwnd());
    CreateFonts();
    SetDlgItemTextW(GetHwnd(), IDC_RING_TITLE, TitleText().c_str());
    UpdateClock();
    SetTimer(GetHwnd(), kClockTimer, kClockMs, nullptr);
    SetKindTexts();
    PostMessageW(GetHwnd(), kMenuBarLabelsMessage, 0, 0);
    ApplyColours();
    AttachAndStart();
    Dlg_InitFullScreen(header_);
    if (Sys_GetOsMajorVersion() >= kMenuBarShellVersion)
        MenuBar_CreateForWindow(header_.menuBar, GetHwnd(), menuBarId_, false, 0,
                                night_ ? kNightMenuBar : CLR_INVALID);
    Layout();
    SetButtonCaptions();
    SetWindowLongPtrW(GetHwnd(), GWL_EXSTYLE, GetWindowLongPtrW(GetHwnd(), GWL_EXSTYLE) | WS_EX_TOPMOST | kAboveStartup);
    SetForegroundWindow(GetHwnd());
    SetWindowPos(GetHwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    return 0;  // the focus is set
}

void RingDialog::ApplyColours() {
    night_ = RingItem().IsOption6();
    const COLORREF background = night_ ? kNightBackground : GetSysColor(COLOR_WINDOW);
    textColour_ = night_ ? kNightText : GetSysColor(COLOR_WINDOWTEXT);
    brush_.Reset(CreateSolidBrush(background));
    if (night_)
        for (ImageButton* button : {first_.get(), second_.get(), picture_.get()})
            if (button) button->SetOpacity(kNightOpacity);
}

void RingDialog::PaintBehind(HDC dc, HWND button, const RECT& client) const {
    FillRect(dc, &client, brush_.Get());
    RECT place = {};
    GetWindowRect(button, &place);
    MapWindowPoints(HWND_DESKTOP, GetHwnd(), reinterpret_cast<POINT*>(&place), 2);
    PaintTrack(dc, {place.left, place.top});
}

// A rounded groove a shade off the background, drawn with the DC's origin at origin.
void RingDialog::PaintTrack(HDC dc, POINT origin) const {
    if (IsRectEmpty(&track_)) return;
    const COLORREF background = night_ ? kNightBackground : GetSysColor(COLOR_WINDOW);
    const COLORREF shade = RGB((GetRValue(background) * 7 + GetRValue(textColour_)) / 8,
                               (GetGValue(background) * 7 + GetGValue(textColour_)) / 8,
                               (GetBValue(background) * 7 + GetBValue(textColour_)) / 8);
    BrushHandle fill(CreateSolidBrush(shade));
    SelectScope brush(dc, fill.Get());
    SelectScope pen(dc, GetStockObject(NULL_PEN));
    const int round = track_.bottom - track_.top;
    RoundRect(dc, track_.left - origin.x, track_.top - origin.y, track_.right - origin.x + 1,
              track_.bottom - origin.y + 1, round, round);
}

std::wstring RingDialog::TitleText() const { return RingItem().GetTitle().CStr(); }

void RingDialog::UpdateClock() {
    SYSTEMTIME now;
    DeviceClock_GetLocalTime(&now);
    wchar_t text[kTimeTextLength] = {};
    GetTimeFormatW(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &now, nullptr, text, kTimeTextLength);
    SetDlgItemTextW(GetHwnd(), IDC_RING_CLOCK, text);
}

void RingDialog::OnRingAgain() {
    UpdateClock();
    RingScreen::OnRingAgain();
}

void RingDialog::OnCommand(UINT id, HWND control, UINT code) {
    switch (id) {
    case IDOK:
    case IDCANCEL:
    case SHELL_IDOK:
    case SHELL_IDCANCEL:
        // Closed without a decision: the item stays as it is.
        CloseWithoutDecision();
        return;
    }
    if (!OnRingCommand(id, control, code)) DefProc(WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(control));
}

void RingDialog::DismissAlarm() {
    EventItem& item = RingItem();
    if (Ring_ForceSnoozePending(item))
        Controller().Snooze(0, true);
    else
        Controller().Dismiss(0);
    item.DetachRingUI(true, true);
    RingSignals::Stop(Controller());
}

void RingDialog::OnTimer(UINT_PTR id) {
    switch (id) {
    case kClockTimer:
        UpdateClock();
        return;
    case kCountdownTimer:
        if (++countdownTicks_ < kCountdownSeconds) return;
        KillTimer(GetHwnd(), kCountdownTimer);
        KillTimer(GetHwnd(), kCountdownBarTimer);
        countdownShown_ = false;
        InvalidateRect(GetHwnd(), nullptr, TRUE);
        AskSnooze();
        return;
    case kCountdownBarTimer:
        InvalidateRect(GetHwnd(), nullptr, FALSE);
        return;
    }
    DialogBase::OnTimer(id);
}

LRESULT RingDialog::OnEraseBkgnd(HDC dc) {
    RECT client;
    GetClientRect(GetHwnd(), &client);
    FillRect(dc, &client, brush_.Get());
    PaintTrack(dc, {0, 0});
    return 1;
}

LRESULT RingDialog::OnCtlColorStatic(HDC dc, HWND) {
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, textColour_);
    return reinterpret_cast<LRESULT>(brush_.Get());
}

void RingDialog::OnPaint() {
    PaintScope paint(GetHwnd());
    if (paint.Dc() && countdownShown_) PaintCountdown(paint.Dc());
}

// A bar along the bottom that grows with the time passed since the chooser was cancelled.
void RingDialog::PaintCountdown(HDC dc) {
    RECT client;
    GetClientRect(GetHwnd(), &client);
    const double passed = static_cast<double>(GetTickCount() - countdownStart_) / (kCountdownSeconds * 1000.0);
    const double fraction = passed < 0 ? 0 : (passed > 1 ? 1 : passed);
    const int height = 2 * (Dpi_GetY() + 24) / 96;
    RECT bar = {0, client.bottom - height, static_cast<LONG>(fraction * client.right), client.bottom};
    BrushHandle brush(CreateSolidBrush(kCountdownColour));
    FillRect(dc, &bar, brush.Get());
}

// A turned screen lays the dialog out anew; the input panel shrinks it to the visible part.
void RingDialog::OnSettingChange(UINT flag, LPARAM) {
    Dlg_ResizeForSip(header_, flag);
    if (!(flag & kWorkAreaBits)) return;
    Layout();
    InvalidateRect(GetHwnd(), nullptr, TRUE);
}

// A tap on this dialog's tray bubble brings it back to the front.
LRESULT RingDialog::OnNotify(WPARAM wParam, NMHDR* header) {
    if (static_cast<int>(header->code) != SHNN_SHOW) return DialogBase::OnNotify(wParam, header);
    if (header->idFrom != bubble_.Id()) return 0;
    ShowWindow(GetHwnd(), SW_SHOW);
    SetForegroundWindow(GetHwnd());
    return -1;
}

void RingDialog::OnDestroy() {
    bubble_.Remove();
    KillTimer(GetHwnd(), kClockTimer);
    KillTimer(GetHwnd(), kCountdownBarTimer);
    KillTimer(GetHwnd(), kCountdownTimer);
    OnRingDestroy();
    DialogBase::OnDestroy();
}

void RingDialog::AskSnooze() {
    RingController& ring = Controller();
    if (ring.snoozeGuard) return;
    ring.snoozeGuard = true;
    if (ring.vibrate && RingSignals::IsVibrationNotifyWindow(ring)) {
        if (Signaller* signaller = App::GetSignaller()) signaller->StopVibration(true);
    }
    RingSignals::StopSound(ring);
    int seconds = Ring_DefaultSnoozeSeconds(RingItem());
    const int choice = ChooseSnoozeLength(seconds);
    // The chooser's own message loop may have closed this ring or deleted its item; the
    // guard kept this object alive meanwhile.
    ItemStore* store = App::GetItemStore();
    if (IsClosed() || !store || !store->ContainsItem(&RingItem())) {
        ring.snoozeGuard = false;
        return;
    }
    if (choice == SnoozeChooserDlg::kTaken) {
        RingItem().SnoozeCount = 0;
        ring.Snooze(seconds, false);
        RingItem().DetachRingUI(true, true);
        RingSignals::Stop(ring);
    } else {
        StartCountdown();
    }
    SetWindowPos(GetHwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ring.snoozeGuard = false;
}

int RingDialog::ChooseSnoozeLength(int& seconds) {
    SnoozeChooserDlg chooser(RingItem());
    const int result = chooser.Run();
    seconds = chooser.ChosenSeconds();
    return result;
}

void RingDialog::StartCountdown() {
    countdownTicks_ = 0;
    countdownStart_ = GetTickCount();
    countdownShown_ = true;
    SetTimer(GetHwnd(), kCountdownTimer, kCountdownTickMs, nullptr);
    SetTimer(GetHwnd(), kCountdownBarTimer, kCountdownTickMs, nullptr);
}
