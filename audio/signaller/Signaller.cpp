// The Signaller's life and its sound entry points; the sound thread is in
// SignallerSound.cpp, the platform sound route in SignallerPlatformSound.cpp, and
// vibration, LEDs and backlight in SignallerVibration.cpp.
#include "Signaller.h"

#include "SignallerParts.h"
#include "SoundSource.h"
#include "aural.h"

namespace {
HANDLE NewEvent() { return CreateEventW(nullptr, TRUE, FALSE, nullptr); }

void CloseAndForget(HANDLE& h) {
    if (h) CloseHandle(h);
    h = nullptr;
}
}  // namespace

Signaller::Signaller()
    : finish_(NewEvent()),
      threadStarted_(NewEvent()),
      threadEnded_(NewEvent()),
      savedSoundType_(kNoSavedSoundType),
      backlightStop_(NewEvent()) {
    ProbeVibrate();
    FindLeds();
}

Signaller::~Signaller() {
    StopSound();
    // Every vibration ends, reporting or not: its thread would outlive the Signaller.
    if (IsVibrating() || VibrationNotifyWindow()) StopVibration(true);
    // A vibration stopped without waiting may still be switching the vibrator off.
    while (vibrationThreads_ > 0) Sleep(1);
    StopBacklightBlink();
    {
        CriticalSectionScope hold(lock_);
        CloseAndForget(finish_);
        CloseAndForget(threadStarted_);
        CloseAndForget(threadEnded_);
        CloseAndForget(backlightStop_);
    }
    if (ledBlinkCount_ > 0 && hasLed_) Led_SetState(ledIndex_, kLedOff);
    Aural_Close();
    DestroyPlayer();
    EndWatcher();
}

bool Signaller::StartSound(const ItemSoundSettings& settings, HWND notifyWindow, HMODULE resourceModule,
                           bool postWhenEnded, bool noFallback) {
    CriticalSectionScope hold(lock_);
    StopSound();
    current_ = settings.ThreadCopy();
    notifyWindow_ = notifyWindow;
    resourceModule_ = resourceModule;
    postWhenEnded_ = postWhenEnded;
    fallbackAllowed_ = !noFallback;
    stop_ = false;
    route_ = Route::EngineStream;
    fallbackResource_ = kFallbackResource;
    SoundSource::Resolve(current_, fallbackResource_);
    ResetEvent(threadStarted_);
    ResetEvent(threadEnded_);
    // Started only once its handle is stored: the thread closes that handle itself.
    HANDLE thread = CreateThread(nullptr, 0, SoundThread, this, CREATE_SUSPENDED, nullptr);
    if (!thread) return false;
    soundThread_ = thread;
    soundThreadLive_ = true;
    ResumeThread(thread);
    // The sound thread never takes the lock, so waiting under it cannot block it.
    const HANDLE outcome[] = {threadStarted_, threadEnded_};
    return WaitForMultipleObjects(2, outcome, FALSE, INFINITE) == WAIT_OBJECT_0;
}

void Signaller::StopSound() {
    // The thread forgets its handle a few steps before its end: whether it has ended is
    // known by its ended event alone.
    if (!soundThreadLive_) return;
    stop_ = true;
    SetEvent(finish_);
    while (WaitForSingleObject(threadEnded_, kStopPollMs) == WAIT_TIMEOUT) {
    }
    soundThreadLive_ = false;
}

bool Signaller::SoundThreadRunning() const {
    return soundThreadLive_ && WaitForSingleObject(threadEnded_, 0) == WAIT_TIMEOUT;
}

bool Signaller::IsPlaying() const {
    switch (route_) {
        case Route::EngineStream:
            return stream_ != nullptr;
        case Route::PlatformSound:
            return platformSound_ != nullptr;
        case Route::Player:
            break;
    }
    return PlayerIsPlaying();
}
