// The command words that reach the engine so far: the system's wake-ups and the
// clock and zone changes, "-install" and "-uninstall". The other words come with
// the command handler.
#include "EngineWnd.h"

#include "App.h"
#include "CommandWord.h"
#include "TodayTranslation.h"
#include "UnattendedScope.h"
#include "pm.h"

namespace {

// One lock around the whole command handler for the life of the process; it is
// re-entrant, so a command sent from inside a modal loop of the handler still runs.
CriticalSection& CommandLock() {
    static CriticalSection lock;
    return lock;
}

}  // namespace

void EngineWnd::HandleCommand(const std::wstring& text) {
    CriticalSectionScope hold(CommandLock());
    if (text == CommandWord::kAppRunAtTime) {
        OnRunAtTime();
    } else if (text == CommandWord::kAppRunAfterTzChange || text == CommandWord::kAppRunAfterTimeChange) {
        OnClockOrZoneChanged();
    } else if (text == CommandWord::kInstall) {
        RebuildNotifications();
    } else if (text == CommandWord::kUninstall) {
        DeleteFileW(TodayTranslation::Path().c_str());
        Quit(kQuitRemoveNotifications);
    }
}

void EngineWnd::OnRunAtTime() {
    KillTimer(Hwnd(), kLeaveUnattendedTimer);
    if (DeviceNotOn()) SetUnattended(true);
    SystemIdleTimerReset();
    SetTimer(Hwnd(), kIdleTimer, kIdleIntervalMs, nullptr);
    // The tick runs at once and finds what fell due.
    PostMessageW(Hwnd(), WM_TIMER, kTickTimer, 0);
}

void EngineWnd::OnClockOrZoneChanged() {
    SetTimer(Hwnd(), kIdleTimer, kIdleIntervalMs, nullptr);
    UnattendedScope unattended;
    MarkAlarmsChanged();
    Reschedule();
    if (ringWindowCount_ == 0 && !App::HasMainWindow()) Quit(kQuitKeepNotifications);
}
