// The command words that work on the engine's own timers and state: the system's
// wake-ups and the clock and zone changes. CommandHandler runs every word.
#include "EngineWnd.h"

#include "pm.h"
#include "UnattendedScope.h"

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
    // How far the clock moved, as far as this process saw it move; one started by this
    // word saw nothing, and its snoozes keep their time of day.
    MarkAlarmsChanged(tickClock_.TakeChange());
    Reschedule();
    // Ends only when nothing needs the process: a ring without a dialog, an open
    // question or editor and the screen saver keep it as they keep the idle check.
    IdleExit();
}
