// Vibration in timed on/off cycles, the notification LED and the vibrator among the
// device's LEDs, and the backlight blink thread.
#include "BoundFunctions.h"
#include "DeviceClock.h"
#include "DeviceModelQuirks.h"
#include "Signaller.h"
#include "SignallerParts.h"
#include "nled.h"
#include "pm.h"
#include "vibrate.h"

namespace {
const wchar_t kBacklightDevice[] = L"BKL1:";
// Forced device power of the blinking backlight: named device, forced.
constexpr DWORD kForcedByName = POWER_NAME | 0x1000;
constexpr DWORD kBlinkPeriodMs = 1000;
constexpr DWORD kProbeTimeoutMs = 1;

// Waits for `stop` until the device tick count reaches `moment`; true when stopped.
bool WaitUntil(HANDLE stop, DWORD moment) {
    const LONG left = LONG(moment - DeviceClock_GetTickCount());
    return WaitForSingleObject(stop, left > 0 ? DWORD(left) : 0) == WAIT_OBJECT_0;
}

DWORD SetBacklight(CEDEVICE_POWER_STATE state) {
    return SetDevicePower(const_cast<wchar_t*>(kBacklightDevice), kForcedByName, state);
}
}  // namespace

void Led_SetState(UINT led, int state) {
    auto set = Bound::NLedSetDevice.As<NLedSetDeviceFunction>();
    if (!set) return;
    NLED_SETTINGS_INFO settings = {};
    settings.LedNum = led;
    settings.OffOnBlink = state;
    set(NLED_SETTINGS_INFO_ID, &settings);
}

int Signaller::StartVibration(const ItemVibrationSettings& settings, int seconds, HWND notifyWindow, bool postAtEnd) {
    if (hasVibrator_) {
        // Ended outside the lock: the old thread's own end takes it.
        std::shared_ptr<VibrationRun> previous = DetachVibration();
        EndVibrationRun(previous, true);
        // A window waiting for its vibration's end (a ring's lead before its sound) would
        // otherwise never hear it: detached here, the run reports nothing itself.
        if (previous && previous->postAtEnd && previous->notifyWindow != notifyWindow &&
            IsWindow(previous->notifyWindow)) {
            const LONG left = LONG(previous->endTick - DeviceClock_GetTickCount());
            PostMessageW(previous->notifyWindow, kVibrationEndedMessage, kVibrationTakenOver, left > 0 ? left : 0);
        }
        auto run = std::make_shared<VibrationRun>();
        run->owner = this;
        run->settings = settings;
        run->timeLeftMs = seconds * 1000;
        run->endTick = DeviceClock_GetTickCount() + DWORD(run->timeLeftMs);
        run->notifyWindow = notifyWindow;
        run->postAtEnd = postAtEnd;
        run->stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        // The thread holds its run as long as it runs, whoever else lets go of it.
        auto* held = run->stop ? new (std::nothrow) std::shared_ptr<VibrationRun>(run) : nullptr;
        CriticalSectionScope hold(lock_);
        HANDLE thread = held ? CreateThread(nullptr, 0, VibrationThread, held, CREATE_SUSPENDED, nullptr) : nullptr;
        if (thread) {
            run->thread = thread;
            vibrationRun_ = run;
            vibrating_ = true;
            ++vibrationThreads_;
            ResumeThread(thread);
            return 1;
        }
        delete held;
    }
    // Nothing vibrates: the caller hears of the end at once.
    if (notifyWindow && postAtEnd) PostMessageW(notifyWindow, kVibrationEndedMessage, 0, 0);
    return 0;
}

std::shared_ptr<VibrationRun> Signaller::DetachVibration() {
    CriticalSectionScope hold(lock_);
    vibrating_ = false;
    return std::move(vibrationRun_);
}

void Signaller::StopVibration(bool wait) { EndVibrationRun(DetachVibration(), wait); }

void Signaller::EndVibrationRun(const std::shared_ptr<VibrationRun>& run, bool wait) {
    if (run) {
        SetEvent(run->stop);
        // Waited for outside the lock: the thread's own end takes it.
        if (wait) WaitForSingleObject(run->thread, INFINITE);
        CloseHandle(run->thread);
        run->thread = nullptr;
    }
    StopVibrateFunction();
}

void Signaller::StopVibrateFunction() {
    auto stop = Bound::VibrateStop.As<VibrateStopFunction>();
    if (vibrateUsable_ && stop) stop();
}

HWND Signaller::VibrationNotifyWindow() {
    CriticalSectionScope hold(lock_);
    return vibrationRun_ ? vibrationRun_->notifyWindow : nullptr;
}

DWORD WINAPI Signaller::VibrationThread(void* argument) {
    std::shared_ptr<VibrationRun> run;
    {
        std::unique_ptr<std::shared_ptr<VibrationRun>> held(static_cast<std::shared_ptr<VibrationRun>*>(argument));
        run = *held;
    }
    Signaller* self = run->owner;
    self->RunVibration(run);
    // The Signaller's last word from this thread: it may be destroyed from now on.
    --self->vibrationThreads_;
    return 0;
}

void Signaller::RunVibration(const std::shared_ptr<VibrationRun>& run) {
    if (run->timeLeftMs <= 0) {
        EndVibrationNaturally(run, false);
        return;
    }
    const DWORD end = run->endTick;
    // Each switch is due at a moment of the cycle's own clock, so the time the device
    // takes to switch never stretches the cycle; the waits end early on a stop, so a
    // stop never waits for a whole cycle.
    DWORD cycleStart = DeviceClock_GetTickCount();
    bool stopped = false;
    while (!stopped) {
        const DWORD onMs = ItemVibrationSettings::BoundedCycle(run->settings.CycleOnTime);
        const DWORD offMs = ItemVibrationSettings::BoundedCycle(run->settings.CycleOffTime);
        VibratorOn();
        stopped = WaitUntil(run->stop, cycleStart + onMs);
        VibratorOff();
        if (stopped) break;
        // Inside the off time, which it must not lengthen.
        SystemIdleTimerReset();
        stopped = WaitUntil(run->stop, cycleStart + onMs + offMs);
        const DWORD now = DeviceClock_GetTickCount();
        if (LONG(now - end) >= 0) break;
        cycleStart += onMs + offMs;
        // Far behind (the device slept): the next cycle starts now.
        if (LONG(now - cycleStart) > LONG(onMs + offMs)) cycleStart = now;
    }
    if (!stopped) EndVibrationNaturally(run, true);
}

// The end of a vibration nobody stopped: reported, then let go of. A vibration that was
// stopped or replaced meanwhile belongs to whoever did that.
void Signaller::EndVibrationNaturally(const std::shared_ptr<VibrationRun>& run, bool report) {
    CriticalSectionScope hold(lock_);
    if (vibrationRun_ != run) return;
    if (report && run->postAtEnd && IsWindow(run->notifyWindow))
        PostMessageW(run->notifyWindow, kVibrationEndedMessage, 0, 0);
    vibrationRun_.reset();
    vibrating_ = false;
    CloseHandle(run->thread);
    run->thread = nullptr;
    StopVibrateFunction();
}

void Signaller::VibratorOn() {
    auto vibrate = Bound::Vibrate.As<VibrateFunction>();
    if (vibrateUsable_ && vibrate)
        vibrate(0, nullptr, TRUE, INFINITE);
    else
        Led_SetState(vibratorIndex_, kLedOn);
}

void Signaller::VibratorOff() {
    auto stop = Bound::VibrateStop.As<VibrateStopFunction>();
    if (vibrateUsable_ && stop)
        stop();
    else
        Led_SetState(vibratorIndex_, kLedOff);
}

void Signaller::ProbeVibrate() {
    auto vibrate = Bound::Vibrate.As<VibrateFunction>();
    if (!vibrate) return;
    const VIBRATENOTE note = {0, 0, 0};
    vibrateUsable_ = vibrate(1, &note, FALSE, kProbeTimeoutMs) == S_OK;
}

void Signaller::FindLeds() {
    ledIndex_ = 0;
    vibratorIndex_ = 1;
    auto info = Bound::NLedGetDeviceInfo.As<NLedGetDeviceInfoFunction>();
    if (!info) return;
    NLED_COUNT_INFO count = {};
    if (info(NLED_COUNT_INFO_ID, &count)) {
        for (UINT i = 0; i < count.cLeds && !(hasLed_ && hasVibrator_); ++i) {
            NLED_SUPPORTS_INFO supports = {};
            supports.LedNum = i;
            if (!info(NLED_SUPPORTS_INFO_ID, &supports)) continue;
            if (supports.lCycleAdjust == NLED_VIBRATOR_CYCLE_ADJUST && !hasVibrator_) {
                hasVibrator_ = true;
                vibratorIndex_ = i;
            } else if (supports.lCycleAdjust >= 0 && !hasLed_) {
                hasLed_ = true;
                ledIndex_ = i;
            }
        }
    }
    const DeviceModelQuirks::LedQuirk quirk = DeviceModelQuirks::LedQuirkOf(DeviceModelQuirks::OemText());
    if (quirk.fixesLed) {
        hasLed_ = true;
        ledIndex_ = quirk.ledIndex;
    }
    if (quirk.fixesVibrator) {
        hasVibrator_ = true;
        vibratorIndex_ = quirk.vibratorIndex;
    }
}

void Signaller::StartBacklightBlink() {
    CriticalSectionScope hold(lock_);
    if (backlightThread_) return;
    backlightOnMs_ = kBacklightOnMs;
    ResetEvent(backlightStop_);
    backlightThread_ = CreateThread(nullptr, 0, BacklightBlinkThread, this, 0, nullptr);
}

void Signaller::StopBacklightBlink() {
    CriticalSectionScope hold(lock_);
    if (!backlightThread_) return;
    // The blink thread never takes the lock.
    SetEvent(backlightStop_);
    WaitForSingleObject(backlightThread_, INFINITE);
    CloseHandle(backlightThread_);
    backlightThread_ = nullptr;
}

bool Signaller::IsBacklightBlinking() {
    CriticalSectionScope hold(lock_);
    return backlightThread_ != nullptr;
}

DWORD WINAPI Signaller::BacklightBlinkThread(void* argument) {
    auto* self = static_cast<Signaller*>(argument);
    int phase = 1;
    // Switched on the blink's own clock, as the vibrator is.
    DWORD due = DeviceClock_GetTickCount();
    for (;;) {
        due += phase ? DWORD(self->backlightOnMs_) : kBlinkPeriodMs - DWORD(self->backlightOnMs_);
        if (WaitUntil(self->backlightStop_, due)) break;
        const DWORD now = DeviceClock_GetTickCount();
        if (LONG(now - due) > LONG(kBlinkPeriodMs)) due = now;
        phase = !phase;
        SetBacklight(phase ? D0 : D3);
    }
    // The power manager has the backlight again.
    SetBacklight(PwrDeviceUnspecified);
    return 0;
}
