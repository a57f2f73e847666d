#include "EngineWnd.h"

#include "App.h"
#include "CommandHandler.h"
#include "DueMoments.h"
#include "EngineScreens.h"
#include "FullScreenClockControl.h"
#include "ItemStore.h"
#include "NotifyDatabase.h"
#include "PlatformHelpers.h"
#include "RegKeyRef.h"
#include "Signaller.h"
#include "SystemNotifications.h"
#include "UnattendedScope.h"
#include "pm.h"

#include <new>

EngineWnd::EngineWnd() = default;

EngineWnd::~EngineWnd() {
    if (Hwnd() && IsWindow(Hwnd())) DestroyWindow(Hwnd());
    SetUnattended(false);
}

EngineWnd* EngineWnd::Create() {
    Wnd_RegisterClass(kClassName, 0, nullptr, nullptr);
    EngineWnd* engine = new (std::nothrow) EngineWnd;
    if (!engine) return nullptr;
    if (!engine->WindowBase::Create(nullptr, kClassName, WS_POPUP, 0, 0, 0, 0, nullptr, 0, nullptr)) {
        delete engine;
        return nullptr;
    }
    return engine;
}

LRESULT EngineWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (OnPrivateMessage(message, wParam, lParam)) return 0;
    return WindowBase::WindowProc(message, wParam, lParam);
}

bool EngineWnd::OnCreate(CREATESTRUCTW* create) {
    SetTimer(Hwnd(), kTickTimer, kTickIntervalMs, nullptr);
    SetTimer(Hwnd(), kIdleTimer, kIdleIntervalMs, nullptr);
    RingUnansweredAgain();
    return WindowBase::OnCreate(create);
}

void EngineWnd::OnDestroy() {
    KillTimer(Hwnd(), kTickTimer);
    KillTimer(Hwnd(), kDueTimer);
    if (quitMode_ == kQuitRemoveNotifications) {
        const wchar_t* launcher = App::LauncherPath();
        SystemNotifications::ClearOwn(launcher);
        NotifyDatabase::DeleteRecordsOf(launcher);
        FlushRegistry();
    }
    if (EngineScreens* screens = EngineScreens::Current()) screens->CloseMainWindow(*this);
    WindowBase::OnDestroy();
    PostQuitMessage(0);
}

void EngineWnd::OnTimer(UINT_PTR id) {
    switch (id) {
    case kTickTimer:
        RunTick();
        break;
    case kDueTimer:
        KillTimer(Hwnd(), kDueTimer);
        RunTick();
        break;
    case kIdleTimer:
        IdleExit();
        break;
    case kLeaveUnattendedTimer:
        KillTimer(Hwnd(), kLeaveUnattendedTimer);
        SetUnattended(false);
        break;
    default:
        WindowBase::OnTimer(id);
    }
}

LRESULT EngineWnd::OnCopyData(HWND, COPYDATASTRUCT* record) {
    // Once the loop is to end, a command would be lost with it: refused, its sender hands
    // it to the instance that comes next.
    MSG quit;
    if (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE)) return FALSE;
    CommandHandler::Handle(*this, record);
    return TRUE;
}

void EngineWnd::Quit(int mode) {
    quitMode_ = mode;
    PostQuitMessage(0);
}

void EngineWnd::SetUnattended(bool on) {
    if (on == unattendedHeld_) return;
    PowerPolicyNotify(PPN_UNATTENDEDMODE, on ? TRUE : FALSE);
    unattendedHeld_ = on;
}

bool EngineWnd::DeviceNotOn() { return Device_IsNotOn(); }

bool EngineWnd::IdleExit() {
    FullScreenClockControl* clock = App::GetFullScreenClock();
    Signaller* signaller = App::GetSignaller();
    if (!clock || !signaller) return false;
    if (clock->IsShowing() || (clock->LockMark() && Sys_GetPhoneLockState() != 0)) return false;
    if (ringWindowCount_ != 0 || signaller->IsBusy()) return false;
    if (busyCount_ != 0 || App::HasMainWindow()) return false;
    // A silent ring is counted nowhere else; an item due within the wake-up's lead would
    // ring only when that wake-up comes.
    if (RingAwaitsAnswer() || DueBeforeWakeUp()) return false;
    Quit(kQuitKeepNotifications);
    return true;
}

bool EngineWnd::DueBeforeWakeUp() const {
    ItemStore* store = ItemStore::Current();
    if (!store) return false;
    const int64_t leadMs =
        static_cast<int64_t>((SystemNotifications::kMinLeadDays + SystemNotifications::kEarlyStartDays) * 86400000.0);
    const int64_t due = DueMoments::MsToNextFiring(*store, Time_LocalNowAsDate(true), tickClock_.LastDate(), MsSinceTick());
    return due > 0 && due <= leadMs;
}

void EngineWnd::FlushRegistry() {
    UnattendedScope unattended;
    RegKeyRef key = RegKeyRef::Open(App::kProductKey, HKEY_CURRENT_USER, false);
    if (key.IsOpen()) RegFlushKey(key.Key());
    NotifyDatabase::FlushVolume();
}
