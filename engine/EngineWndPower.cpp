// Power around a ring: the device is switched fully on when the ring must be seen
// (or its action needs the device up), and suspended again once a ring that woke it
// is over, unless the device runs on external power, a dialog is busy or the user
// has taken it up meanwhile.
#include "EngineWnd.h"

#include "App.h"
#include "InputSenseClient.h"
#include "ItemStore.h"
#include "RingLink.h"
#include "Signaller.h"
#include "UnattendedScope.h"
#include "pm.h"

namespace {

constexpr UINT kSleepAgainMessage = 1401;

bool SignallerBusy() {
    Signaller* signaller = App::GetSignaller();
    return signaller && signaller->IsBusy();
}

// Sends 1401 to the ring window of every alarm, then every timer, that has one.
void TellRingWindowsToSleep(const ItemStore& store) {
    auto tell = [](const EventItem* item) {
        HWND ring = item->ringUI ? item->ringUI->RingWindow() : nullptr;
        if (ring && IsWindow(ring)) SendMessageW(ring, kSleepAgainMessage, 0, 0);
    };
    for (const AlarmItem* alarm : store.Alarms()) tell(alarm);
    for (const TimerItem* timer : store.Timers()) tell(timer);
}

}  // namespace

bool EngineWnd::RingNeedsScreen(const EventItem& item) {
    int action = item.actionType;
    if (action == Action::kTypeExecute || action == Action::kTypeReset || action == Action::kTypeFlightModeOn)
        return true;
    return item.IsOption7() || item.IsOption4();
}

void EngineWnd::DecidePower(const EventItem& item) {
    if (RingNeedsScreen(item)) {
        ForceDeviceOn();
        return;
    }
    deviceWasAsleep_ = rangScreenOff_ = DeviceNotOn();
    KillTimer(Hwnd(), kLeaveUnattendedTimer);
}

void EngineWnd::ForceDeviceOn() {
    deviceWasAsleep_ = false;
    passwordState_ = false;
    DWORD flags = 0;
    if (GetSystemPowerState(nullptr, 0, &flags) == ERROR_SUCCESS) {
        passwordState_ = (flags & POWER_STATE_PASSWORD) != 0;
        deviceWasAsleep_ = (flags & (POWER_STATE_ON | POWER_STATE_IDLE)) == 0;
    }
    SetSystemPowerState(nullptr, POWER_STATE_ON, POWER_FORCE);
    KillTimer(Hwnd(), kLeaveUnattendedTimer);
    SetUnattended(false);
    rangScreenOff_ = false;
    InputSense_UnwatchWindow(Hwnd());
    if (ItemStore* store = ItemStore::Current())
        if (store->GetSettings().system->ObeyPowerSettings) deviceWasAsleep_ = false;
    if (deviceWasAsleep_) InputSense_WatchWindow(Hwnd());
    RunTick();
}

void EngineWnd::SleepAgain() {
    SYSTEM_POWER_STATUS_EX power = {};
    bool onMains = GetSystemPowerStatusEx(&power, TRUE) && power.ACLineStatus == AC_LINE_ONLINE;
    // The user took the device up after the ring began: leave it to them.
    if (busyCount_ != 0 || onMains || userActivitySeen_) {
        deviceWasAsleep_ = rangScreenOff_ = false;
        SetUnattended(false);
        return;
    }
    UnattendedScope unattended;
    if (!deviceWasAsleep_) return;
    if (!rangScreenOff_ || DeviceNotOn()) {
        if (SignallerBusy()) return;  // the sound's or vibration's end comes back here
        // Asleep, the item would wait for its late wake-up: its ring's end comes back here.
        if (DueBeforeWakeUp()) return;
        deviceWasAsleep_ = false;
        InputSense_UnwatchWindow(Hwnd());
        if (ItemStore* store = ItemStore::Current()) TellRingWindowsToSleep(*store);
        Reschedule();
        FlushRegistry();
        App::ClearRegistryDirty();
        RestartTimers();
        PostMessageW(Hwnd(), kSleepAgainMessage, 0, 0);
        return;
    }
    // It rang with the screen off and the user has switched the device on since.
    deviceWasAsleep_ = rangScreenOff_ = false;
    SetUnattended(false);
}

void EngineWnd::RestartTimers() {
    SetTimer(Hwnd(), kIdleTimer, kIdleIntervalMs, nullptr);
    KillTimer(Hwnd(), kTickTimer);
    KillTimer(Hwnd(), kLeaveUnattendedTimer);
    SetTimer(Hwnd(), kTickTimer, kTickIntervalMs, nullptr);
}

void EngineWnd::ForgetDeviceWake() {
    deviceWasAsleep_ = rangScreenOff_ = false;
    SetUnattended(false);
}

void EngineWnd::OnSleepAgain() {
    if (unattendedHeld_) {
        SetUnattended(false);  // the device then falls asleep by its own policy
    } else {
        SetSystemPowerState(nullptr, POWER_STATE_SUSPEND, 0);
    }
    userActivitySeen_ = true;
}

void EngineWnd::OnUserActivity(LPARAM activity) {
    if (activity != 1) return;
    InputSense_UnwatchWindow(Hwnd());
    userActivitySeen_ = true;
}
