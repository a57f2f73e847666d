#include "FullScreenClockWnd.h"

#include <cstdlib>
#include <new>

#include "App.h"
#include "ClockWnd.h"
#include "DeviceScreen.h"
#include "EngineMessage.h"
#include "EngineWnd.h"
#include "InputSenseClient.h"
#include "ItemStore.h"
#include "PictureLoader.h"
#include "PlatformHelpers.h"
#include "ScreenSaverStart.h"
#include "aygshell.h"

namespace {

// The status bits: an incoming call hides the screen saver; with neither it nor an
// outgoing call the call is over.
constexpr DWORD kIncomingCall = 0x00010000;
constexpr DWORD kOutgoingCall = 0x20000000;
// From this OS version on the shell publishes the phone's status.
constexpr int kPhoneStatusOsVersion = 5;
#ifndef KEYEVENTF_SILENT
constexpr DWORD KEYEVENTF_SILENT = 0x0004;
#endif

}  // namespace

FullScreenClockWnd* FullScreenClockWnd::instance_ = nullptr;

FullScreenClockWnd::FullScreenClockWnd() = default;

FullScreenClockWnd::~FullScreenClockWnd() {
    if (instance_ == this) instance_ = nullptr;
}

FullScreenClockWnd* FullScreenClockWnd::Create() {
    FullScreenClockWnd* clock = new (std::nothrow) FullScreenClockWnd;
    if (!clock) return nullptr;
    srand(GetTickCount());
    if (!Wnd_RegisterClass(kClassName, 0, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)), nullptr) ||
        !clock->WindowBase::Create(nullptr, kClassName, WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                   CW_USEDEFAULT, L"", 0, nullptr)) {
        delete clock;
        return nullptr;
    }
    instance_ = clock;
    return clock;
}

HWND FullScreenClockWnd::EngineWindow() const {
    EngineWnd* engine = App::GetEngine();
    return engine ? engine->GetHwnd() : nullptr;
}

bool FullScreenClockWnd::CallInProgress(bool unlockOnCall) {
    if (Sys_GetOsMajorVersion() >= kPhoneStatusOsVersion) {
        phoneStatus_.Watch(GetHwnd(), kPhoneStatusMessage);
        return Phone_IsCallActive();
    }
    if (!App::ActivityDriverUsable()) return false;
    return line_.IsBusy(GetHwnd(), kNewCallMessage, kCloseLineMessage, !unlockOnCall);
}

void FullScreenClockWnd::LockDevice() {
    rememberedForeground_ = GetForegroundWindow();
    if (Sys_GetPhoneLockState() != 0) return;
    keybd_event(kLockKey, 0, KEYEVENTF_SILENT, 0);
    Sleep(kLockKeyHoldMs);
    keybd_event(kLockKey, 0, KEYEVENTF_KEYUP | KEYEVENTF_SILENT, 0);
}

void FullScreenClockWnd::Show(bool show, bool slideShowAllowed, bool slideShowForced, bool explicitRequest) {
    ItemStore* store = ItemStore::Current();
    if (!GetHwnd() || !IsWindow(GetHwnd()) || !store) return;
    hiddenForCall_ = false;
    const ScreenSaverSettings& settings = *store->GetSettings().screenSaver;
    const int showType = ScreenSaverStart::ShowTypeInForce(settings);
    if (show) {
        if (showType == kShowNone && settings.LockType == 0 && !explicitRequest) return;
        if (CallInProgress(settings.UnlockOnCall != 0)) return;
        if (App::ActivityDriverUsable() && settings.LockType != 0 && !explicitRequest && !slideShowRunning_)
            LockDevice();
        // The device was only to be locked.
        if (showType == kShowNone && settings.LockType != 0 && !explicitRequest) return;
    }
    if (show == shown_) return;
    if (show)
        ShowNow(slideShowAllowed, slideShowForced, explicitRequest, showType);
    else
        HideNow();
}

void FullScreenClockWnd::ShowNow(bool slideShowAllowed, bool slideShowForced, bool explicitRequest, int showType) {
    if (explicitRequest) keepAwake_ = true;
    slideShowRunning_ = false;
    if (slideShowAllowed && (showType == kShowSlideShow || slideShowForced) && !StartSlideShow(slideShowForced))
        return;
    ClockWnd* clock = ClockWnd::Instance();
    if (!slideShowRunning_ && clock) {
        formerClockParent_ = GetParent(clock->GetHwnd());
        clock->LoadSkin();
        SetParent(clock->GetHwnd(), GetHwnd());
    }
    shown_ = true;
    fullScreenMode_ = showType != kShowNone || slideShowRunning_;
    if (fullScreenMode_) {
        SetWindowPos(GetHwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW);
        SHINITDLGINFO init = {SHIDIM_FLAGS, GetHwnd(), SHIDIF_FULLSCREENNOMENUBAR};
        SHInitDialog(&init);
        SHFullScreen(GetHwnd(), SHFS_HIDESIPBUTTON);
        SHFullScreen(GetHwnd(), SHFS_HIDETASKBAR | SHFS_HIDESTARTICON);
        MoveWindow(GetHwnd(), 0, 0, DeviceScreen_GetSystemMetrics(SM_CXSCREEN),
                   DeviceScreen_GetSystemMetrics(SM_CYSCREEN), TRUE);
        // The first key must reach it, whoever was in front.
        SetForegroundWindow(GetHwnd());
    }
    InputSense_WatchWindow(GetHwnd());
}

void FullScreenClockWnd::ReturnClock(HWND hostWindow) {
    ClockWnd* clock = ClockWnd::Instance();
    if (!clock || GetParent(clock->GetHwnd()) != GetHwnd()) return;
    clock->LoadSkin();
    // The former parent may have gone meanwhile (the main window closed).
    if (!hostWindow || !IsWindow(hostWindow)) hostWindow = EngineWindow();
    SetParent(clock->GetHwnd(), hostWindow);
}

void FullScreenClockWnd::HideNow() {
    keepAwake_ = false;
    shown_ = false;
    if (Sys_GetOsMajorVersion() < kPhoneStatusOsVersion) line_.IsBusy(GetHwnd(), kNewCallMessage, kCloseLineMessage, true);
    InputSense_UnwatchWindow(GetHwnd());
    const bool borrowedFullScreen = fullScreenMode_ && !slideShowRunning_;
    if (fullScreenMode_) SHFullScreen(GetHwnd(), SHFS_SHOWTASKBAR | SHFS_HIDESIPBUTTON | SHFS_SHOWSTARTICON);
    if (slideShowRunning_)
        StopSlideShow();
    else
        ReturnClock(formerClockParent_);
    ShowWindow(GetHwnd(), SW_HIDE);
    // The former parent lays the clock out again at its own size.
    if (borrowedFullScreen && formerClockParent_ && IsWindow(formerClockParent_)) {
        RECT area;
        GetClientRect(formerClockParent_, &area);
        MapWindowPoints(formerClockParent_, GetParent(formerClockParent_), reinterpret_cast<POINT*>(&area), 2);
        MoveWindow(formerClockParent_, area.left, area.top, area.right - area.left, area.bottom - area.top, TRUE);
    }
    fullScreenMode_ = false;
}

LRESULT FullScreenClockWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case kNewCallMessage:
        Show(false, false, false, false);
        return 0;
    case kCloseLineMessage:
        line_.Close();
        return 0;
    case kPhoneStatusMessage:
        if (wParam & kIncomingCall) {
            Show(false, false, false, false);
            hiddenForCall_ = true;
        } else if (!(wParam & (kIncomingCall | kOutgoingCall)) && hiddenForCall_) {
            Show(true, false, false, false);
        }
        return 0;
    case kForgetForegroundMessage:
        rememberedForeground_ = nullptr;
        return 0;
    case EngineMessage::kUserActivity:
        // The activity driver tells this window of the first input while it shows.
        if (lParam != 1) break;
        Show(false, false, false, false);
        return 0;
    }
    return ControlWndBase::WindowProc(message, wParam, lParam);
}

void FullScreenClockWnd::OnDestroy() {
    Show(false, false, false, false);
    line_.Close();
    phoneStatus_.Close();
    ReturnClock(EngineWindow());
    ControlWndBase::OnDestroy();
}

void FullScreenClockWnd::OnActivate(UINT state, HWND other, BOOL minimized) {
    if (state == WA_INACTIVE && Sys_GetPhoneLockState() == 0) Show(false, false, false, false);
    ControlWndBase::OnActivate(state, other, minimized);
}

void FullScreenClockWnd::OnSize(UINT type, int width, int height) {
    ControlWndBase::OnSize(type, width, height);
    ClockWnd* clock = ClockWnd::Instance();
    if (clock && GetParent(clock->GetHwnd()) == GetHwnd()) MoveWindow(clock->GetHwnd(), 0, 0, width, height, TRUE);
}

void FullScreenClockWnd::OnPaint() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(GetHwnd(), &paint);
    if (picture_ && !picture_->IsEmpty()) DrawCentred(*picture_, dc);
    EndPaint(GetHwnd(), &paint);
}

LRESULT FullScreenClockWnd::OnEraseBkgnd(HDC) { return 1; }

void FullScreenClockWnd::OnKeyDown(UINT key, UINT repeat, UINT flags) {
    Show(false, false, false, false);
    ControlWndBase::OnKeyDown(key, repeat, flags);
}

void FullScreenClockWnd::OnLButtonDown(int x, int y, UINT keys) {
    Show(false, false, false, false);
    ControlWndBase::OnLButtonDown(x, y, keys);
}

void FullScreenClockWnd::OnTimer(UINT_PTR id) {
    try {
        if (id == kPictureTimer)
            OnPictureChange();
        else if (id == kPanTimer)
            OnPan();
    } catch (...) {
        // A picture that cannot be made is skipped; the show goes on.
    }
}
