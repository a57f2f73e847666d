#include "EngineWnd.h"

#include "App.h"
#include "CommandWord.h"
#include "CopyDataCommand.h"
#include "FullScreenClock.h"
#include "PlatformHelpers.h"
#include "RegKeyRef.h"
#include "Signaller.h"
#include "TodayTranslation.h"
#include "UnattendedScope.h"
#include "pm.h"

#include <new>

namespace {

// One lock around the whole command handler for the life of the process; it is
// re-entrant, so a command sent from inside a modal loop of the handler still runs.
class CommandLock {
public:
    CommandLock() { InitializeCriticalSection(&section_); }
    ~CommandLock() { DeleteCriticalSection(&section_); }
    CRITICAL_SECTION* Get() { return &section_; }

private:
    CRITICAL_SECTION section_;
};

class CommandLockHold {
public:
    CommandLockHold() {
        static CommandLock lock;
        section_ = lock.Get();
        EnterCriticalSection(section_);
    }
    ~CommandLockHold() { LeaveCriticalSection(section_); }

private:
    CRITICAL_SECTION* section_;
};

}  // namespace

EngineWnd::EngineWnd() {
    InitializeCriticalSection(&lock_);
}

EngineWnd::~EngineWnd() {
    if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
    SetUnattended(false);
    DeleteCriticalSection(&lock_);
}

EngineWnd* EngineWnd::Create() {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kClassName;
    RegisterClassW(&wc);  // fails harmlessly when already registered

    EngineWnd* engine = new (std::nothrow) EngineWnd;
    if (!engine) return nullptr;
    CreateWindowExW(0, kClassName, nullptr, WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, wc.hInstance, engine);
    if (!engine->hwnd_) {
        delete engine;
        return nullptr;
    }
    return engine;
}

LRESULT CALLBACK EngineWnd::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* engine = static_cast<EngineWnd*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        engine->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(engine));
    }
    auto* engine = reinterpret_cast<EngineWnd*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!engine) return DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        engine->hwnd_ = nullptr;
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    // No exception may leave a window procedure.
    try {
        return engine->HandleMessage(message, wParam, lParam);
    } catch (...) {
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

LRESULT EngineWnd::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        OnCreate();
        break;
    case WM_DESTROY:
        OnDestroy();
        return 0;
    case WM_TIMER:
        OnTimer(wParam);
        return 0;
    case WM_COPYDATA:
        return OnCopyData(reinterpret_cast<HWND>(wParam), reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

void EngineWnd::OnCreate() {
    SetTimer(hwnd_, kTickTimer, kTickIntervalMs, nullptr);
    SetTimer(hwnd_, kIdleTimer, kIdleIntervalMs, nullptr);
}

void EngineWnd::OnDestroy() {
    KillTimer(hwnd_, kTickTimer);
    if (quitMode_ == kQuitRemoveNotifications) FlushRegistry();
    DefWindowProcW(hwnd_, WM_DESTROY, 0, 0);
    PostQuitMessage(0);
}

void EngineWnd::OnTimer(UINT_PTR id) {
    switch (id) {
    case kIdleTimer:
        IdleExit();
        break;
    case kLeaveUnattendedTimer:
        KillTimer(hwnd_, kLeaveUnattendedTimer);
        SetUnattended(false);
        break;
    }
}

BOOL EngineWnd::OnCopyData(HWND, const COPYDATASTRUCT* record) {
    std::wstring text;
    if (CopyDataCommand::TextOf(record, text)) HandleCommand(text);
    return TRUE;
}

void EngineWnd::HandleCommand(const std::wstring& text) {
    CommandLockHold hold;
    if (text == CommandWord::kAppRunAfterTzChange || text == CommandWord::kAppRunAfterTimeChange) {
        SetTimer(hwnd_, kIdleTimer, kIdleIntervalMs, nullptr);
        UnattendedScope unattended;
        if (ringWindowCount_ == 0 && !App::HasMainWindow()) Quit(kQuitKeepNotifications);
    } else if (text == CommandWord::kUninstall) {
        DeleteFileW(TodayTranslation::Path().c_str());
        Quit(kQuitRemoveNotifications);
    }
}

void EngineWnd::Quit(int mode) {
    App::CloseInstanceMutex();
    quitMode_ = mode;
    PostQuitMessage(0);
}

void EngineWnd::SetUnattended(bool on) {
    if (on == unattendedHeld_) return;
    PowerPolicyNotify(PPN_UNATTENDEDMODE, on ? TRUE : FALSE);
    unattendedHeld_ = on;
}

bool EngineWnd::IdleExit() {
    FullScreenClock* clock = App::GetFullScreenClock();
    Signaller* signaller = App::GetSignaller();
    if (!clock || !signaller) return false;
    if (clock->IsShowing() || (clock->LockMark() && Sys_GetPhoneLockState() != 0)) return false;
    if (ringWindowCount_ != 0 || signaller->IsPlaying() || signaller->IsVibrating()) return false;
    if (busyCount_ != 0 || App::HasMainWindow()) return false;
    Quit(kQuitKeepNotifications);
    return true;
}

void EngineWnd::FlushRegistry() {
    UnattendedScope unattended;
    RegKeyRef key = RegKeyRef::Open(App::kProductKey, HKEY_CURRENT_USER, false);
    if (key.IsOpen()) RegFlushKey(key.Key());
}
