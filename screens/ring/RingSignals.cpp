#include "RingSignals.h"

#include "App.h"
#include "EngineWnd.h"
#include "EventItem.h"
#include "FullScreenClockControl.h"
#include "ItemHost.h"
#include "ItemStore.h"
#include "RingController.h"
#include "RingScreen.h"
#include "ScreenSaverStart.h"
#include "Signaller.h"
#include "SystemSettings.h"
#include "BoundFunctions.h"
#include "pm.h"
#include "soundfile.h"

namespace RingSignals {
namespace {

constexpr int kLedBlink = 2;
constexpr int kLedOff = 0;

// Rings that keep the backlight blink thread, which all rings share, going.
int flashShares = 0;

Signaller* GetSignaller() { return App::GetSignaller(); }

// The sound belongs to this ring's window; the window hears of its end or failure.
void StartSoundFor(RingController& ring, Signaller& signaller) {
    ring.soundId = signaller.BeginSound(*ring.soundSettings, ring.notifyWindow, App::Instance(), true, false);
    ring.soundPending = ring.soundId != 0;
}

void TakeLedShare(RingController& ring, Signaller& signaller) {
    if (!signaller.HasLed() || ring.ledShare) return;
    CriticalSectionScope lock(signaller.Lock());
    if (signaller.LedBlinkCount() == 0) Led_SetState(signaller.LedIndex(), kLedBlink);
    ++signaller.LedBlinkCount();
    ring.ledShare = true;
}

// Nothing can sound: the vibrator and the LED tell of the ring at the least. For as long
// as the sound keeps its time silently (stopped with its end), or else for the fixed time.
void SignalInPlaceOfSound(RingController& ring, Signaller& signaller, bool whileTheSoundLasts) {
    TakeLedShare(ring, signaller);
    if (!signaller.HasVibrator()) return;
    boost::shared_ptr<ItemVibrationSettings> vibration = ring.item->GetVibrationSettings();
    ring.vibrate = true;
    if (whileTheSoundLasts) {
        ring.fixedVibrationTime = false;
        signaller.StartVibration(*vibration, kVibrationWithSoundSeconds, ring.notifyWindow, false);
    } else if (vibration->FixedSeconds()) {
        signaller.StartVibration(*vibration, vibration->FixedSeconds(), ring.notifyWindow, false);
    }
}

// The "BKL1:" requirement that keeps the display lit while a ring dialog is up.
HANDLE TakeBacklightRequirement() {
    return SetPowerRequirement(const_cast<wchar_t*>(L"BKL1:"), D0, POWER_NAME, nullptr, 0);
}

bool OnMains() {
    SYSTEM_POWER_STATUS_EX power = {};
    return GetSystemPowerStatusEx(&power, TRUE) && power.ACLineStatus == AC_LINE_ONLINE;
}

const SystemSettings* System() {
    ItemStore* store = App::GetItemStore();
    return store ? store->GetSettings().system.get() : nullptr;
}

// With the device volume at 0 the user asked for quiet: unless the platform's sound
// profile says silent, the ring vibrates for its fixed time instead.
void ApplySilentDevice(RingController& ring, Signaller& signaller) {
    if (!ring.item->IsOption1() || Volume_GetPercent() != 0 || !ring.soundSettings->respectsys ||
        !signaller.HasVibrator())
        return;
    SNDFILEINFO setting = {};
    auto getSound = Bound::SndGetSound.As<SndGetSoundFunction>();
    if (getSound && SUCCEEDED(getSound(SND_EVENT_ALL, &setting)) && IsSilentSoundType(setting.sstType)) return;
    ring.vibrate = true;
    ring.fixedVibrationTime = true;
    ring.vibrateBeforeSound = false;
}

// Starts the vibration; true when the sound is to wait for its end.
bool StartVibration(RingController& ring, Signaller& signaller, const ItemVibrationSettings& settings) {
    // Without a lead there is no vibration to wait for: the sound starts with it.
    if (ring.vibrateBeforeSound && settings.LeadSeconds() == 0) ring.vibrateBeforeSound = false;
    if (ring.vibrateBeforeSound) {
        ring.leadPending = true;
        signaller.StartVibration(settings, settings.LeadSeconds(), ring.notifyWindow, true);
        return true;
    }
    int seconds = settings.FixedSeconds();
    if (!ring.fixedVibrationTime && ring.item->IsOption1()) seconds = kVibrationWithSoundSeconds;
    if (seconds) signaller.StartVibration(settings, seconds, ring.notifyWindow, false);
    return false;
}

void StartSound(RingController& ring, Signaller& signaller) {
    if (ring.soundSettings->respectsys && Volume_GetPercent() == 0) return;
    if (!ring.item->IsOption1()) return;
    StartSoundFor(ring, signaller);
    if (!ring.soundPending) SignalInPlaceOfSound(ring, signaller, false);
}

// The ring no longer waits for the end of its vibration before the sound.
void ForgetLead(RingController& ring) {
    ring.leadPending = false;
    if (ring.notifyWindow) KillTimer(ring.notifyWindow, RingScreen::kLeadTimer);
    if (!ring.leadHeld) return;
    ring.leadHeld = false;
    if (ItemHost* host = ItemHost::Current()) host->ChangeBusyCount(-1);
}

void RunAction(EventItem& item) {
    if (item.SnoozeCount != 0 || item.HasProgramAction() || !item.action) return;
    // Held here: the action may outlive a change of the item's action.
    boost::shared_ptr<Action> action = item.action;
    action->Execute();
}

}  // namespace

void ReleaseBacklight(RingController& ring) {
    if (ring.backlightRequirement) ReleasePowerRequirement(ring.backlightRequirement);
    ring.backlightRequirement = nullptr;
}

bool IsSilentSoundType(DWORD soundType) {
    return soundType == SND_SOUNDTYPE_NONE || soundType == SND_SOUNDTYPE_DISABLE;
}

HWND EngineWindow() {
    EngineWnd* engine = App::GetEngine();
    return engine && IsWindow(engine->Hwnd()) ? engine->Hwnd() : nullptr;
}

bool StillSounding(const RingController& ring) {
    return ring.soundPending || ring.leadPending || IsVibrationNotifyWindow(ring);
}

bool IsVibrationNotifyWindow(const RingController& ring) {
    Signaller* signaller = GetSignaller();
    return signaller && ring.notifyWindow && signaller->VibrationNotifyWindow() == ring.notifyWindow;
}

void Start(RingController& ring, HWND window) {
    EventItem& item = *ring.item;
    ring.soundSettings = item.GetSoundSettings();
    boost::shared_ptr<ItemVibrationSettings> vibration = item.GetVibrationSettings();
    ForgetLead(ring);
    ring.notifyWindow = window;
    ring.ended = false;
    ring.soundPending = false;
    Signaller* signaller = GetSignaller();

    if (signaller && item.IsOption3()) TakeLedShare(ring, *signaller);
    if (signaller && item.IsOption4()) {
        signaller->StartBacklightBlink();
        if (!ring.flashShare) ++flashShares;
        ring.flashShare = true;
    }
    FullScreenClockControl* clock = App::GetFullScreenClock();
    ring.screenSaverWasOn = clock && clock->IsShowing();
    if (item.IsOption7()) {
        ReleaseBacklight(ring);
        ring.backlightRequirement = TakeBacklightRequirement();
    } else {
        SetTimer(window, kSelfClosePollTimer, kSelfClosePollMs, nullptr);
    }
    ring.vibrate = item.IsOption5();
    ring.vibrateBeforeSound = vibration->bStartVibrateBeforeSound != 0;
    ring.fixedVibrationTime = vibration->bFixedVibrationTime != 0;
    RunAction(item);
    const SystemSettings* system = System();
    if (system && system->NoACVibro && OnMains()) ring.vibrate = false;
    if (!signaller) return;
    ApplySilentDevice(ring, *signaller);
    if (ring.vibrate && StartVibration(ring, *signaller, *vibration)) return;
    StartSound(ring, *signaller);
}

void OnSoundMessage(RingController& ring, WPARAM wParam, LPARAM lParam) {
    // The end of a sound this window started before it rang again is not this ring's.
    if (lParam != 0 && DWORD(lParam) != ring.soundId) return;
    Signaller* signaller = GetSignaller();
    if (wParam == Signaller::kSoundSilenced) {
        if (signaller && !ring.ended) SignalInPlaceOfSound(ring, *signaller, true);
        return;
    }
    ring.soundPending = false;
    if (wParam == Signaller::kSoundFailed) {
        if (signaller && !ring.ended) SignalInPlaceOfSound(ring, *signaller, false);
        return;
    }
    ring.RingEnded(RingScreen::kSoundEndedMessage, wParam);
}

void OnVibrationEnded(RingController& ring, WPARAM wParam, LPARAM lParam) {
    // Only the vibration before the sound reports to a ring, and only once.
    if (!ring.leadPending) return;
    if (wParam == Signaller::kVibrationTakenOver && lParam > 0 && ring.notifyWindow &&
        SetTimer(ring.notifyWindow, RingScreen::kLeadTimer, UINT(lParam), nullptr)) {
        if (!ring.leadHeld)
            if (ItemHost* host = ItemHost::Current()) {
                host->ChangeBusyCount(1);
                ring.leadHeld = true;
            }
        return;
    }
    EndLead(ring);
}

void EndLead(RingController& ring) {
    if (!ring.leadPending) return;
    ForgetLead(ring);
    Signaller* signaller = GetSignaller();
    if (ring.vibrateBeforeSound && signaller) {
        boost::shared_ptr<ItemVibrationSettings> vibration = ring.item->GetVibrationSettings();
        int seconds = 0;
        if (ring.fixedVibrationTime)
            seconds = vibration->FixedSeconds() - vibration->LeadSeconds();
        else if (ring.item->IsOption1())
            seconds = kVibrationWithSoundSeconds;
        if (seconds > 0) signaller->StartVibration(*vibration, seconds, ring.notifyWindow, false);
        if (ring.item->IsOption1()) {
            StartSoundFor(ring, *signaller);
            if (!ring.soundPending) SignalInPlaceOfSound(ring, *signaller, false);
            return;
        }
    }
    AfterSound(ring);
}

void StopVibrationWithSound(RingController& ring) {
    Signaller* signaller = GetSignaller();
    if (signaller && ring.vibrate && !ring.fixedVibrationTime && IsVibrationNotifyWindow(ring))
        signaller->StopVibration(true);
}

void AfterSound(RingController& ring) {
    HWND window = ring.notifyWindow;
    const int type = ring.item->GetSnoozeType();
    if (type == EventItem::kSnoozeTypeAutoSnooze || type == EventItem::kSnoozeTypeAutoClose) ring.AutoAction();
    if (window && IsWindow(window)) SetTimer(window, RingScreen::kBacklightKeepOnTimer, BacklightKeepOnMs(), nullptr);
}

UINT BacklightKeepOnMs() {
    UINT ms = kDefaultKeepOnMs;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"ControlPanel\\Backlight", 0, KEY_READ, &key) != ERROR_SUCCESS) return ms;
    DWORD seconds = 0, size = sizeof seconds;
    if (RegQueryValueExW(key, OnMains() ? L"ACTimeout" : L"Timeout", nullptr, nullptr,
                         reinterpret_cast<BYTE*>(&seconds), &size) == ERROR_SUCCESS &&
        size == sizeof seconds && seconds != 0)
        ms = seconds < kMaxKeepOnMs / 1000 ? seconds * 1000 : kMaxKeepOnMs;
    RegCloseKey(key);
    return ms;
}

// What this ring started is stopped, whatever its item's options say by now.
void StopSound(RingController& ring) {
    ForgetLead(ring);
    Signaller* signaller = GetSignaller();
    if (!signaller) return;
    StopVibrationWithSound(ring);
    // Its own sound only: one another window started plays on.
    if (ring.notifyWindow) signaller->StopSound(ring.notifyWindow);
}

void StopLedAndFlash(RingController& ring) {
    Signaller* signaller = GetSignaller();
    // Each ring gives its shares back once, however often it is stopped; the last one
    // out ends the shared blink thread.
    if (ring.flashShare) {
        ring.flashShare = false;
        if (flashShares > 0 && --flashShares == 0 && signaller) signaller->StopBacklightBlink();
    }
    if (!signaller || !ring.ledShare) return;
    CriticalSectionScope lock(signaller->Lock());
    int& count = signaller->LedBlinkCount();
    if (count > 0 && --count == 0) Led_SetState(signaller->LedIndex(), kLedOff);
    ring.ledShare = false;
}

void Stop(RingController& ring) {
    Signaller* signaller = GetSignaller();
    ForgetLead(ring);
    StopLedAndFlash(ring);
    // Nothing of the signaller's is this ring's (any more).
    const bool ownSound = signaller && ring.notifyWindow && signaller->HasSoundFor(ring.notifyWindow);
    if (!ownSound && !IsVibrationNotifyWindow(ring)) {
        ReleaseBacklight(ring);
        return;
    }
    if (signaller && ring.vibrate && IsVibrationNotifyWindow(ring)) signaller->StopVibration(true);
    StopSound(ring);
    ReleaseBacklight(ring);
    EngineWnd* engine = App::GetEngine();
    if (engine && engine->RingWindowCount() > 0) ring.screenSaverWasOn = false;
    FullScreenClockControl* clock = App::GetFullScreenClock();
    ItemStore* store = App::GetItemStore();
    if (clock && store && ring.screenSaverWasOn) ScreenSaverStart::TryShow(clock, *store);
    ring.screenSaverWasOn = false;
}

}  // namespace RingSignals
