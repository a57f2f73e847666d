// The Signaller's life and its sound entry points: whose turn it is on the sound thread.
// The sound thread is in SignallerSound.cpp, the platform sound route in
// SignallerPlatformSound.cpp, and vibration, LEDs and backlight in SignallerVibration.cpp.
#include "Signaller.h"

#include <algorithm>
#include <iterator>

#include "SignallerParts.h"
#include "aural.h"

namespace {
HANDLE NewEvent() { return CreateEventW(nullptr, TRUE, FALSE, nullptr); }

void CloseAndForget(HANDLE& h) {
    if (h) CloseHandle(h);
    h = nullptr;
}
}  // namespace

Signaller::Signaller()
    : finish_(NewEvent()), wake_(NewEvent()), savedSoundType_(kNoSavedSoundType), backlightStop_(NewEvent()) {
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
        CloseAndForget(wake_);
        CloseAndForget(backlightStop_);
    }
    if (ledBlinkCount_ > 0 && hasLed_) Led_SetState(ledIndex_, kLedOff);
    Aural_Close();
    DestroyPlayer();
    EndWatcher();
}

Signaller::Request Signaller::Begin(const ItemSoundSettings& settings, HWND notifyWindow, HMODULE resourceModule,
                                    bool postWhenEnded, bool noFallback, bool reportFailure) {
    auto r = std::make_shared<SoundRequest>();
    if (!r->started || !r->done) return nullptr;
    r->settings = settings.ThreadCopy();
    r->owner = notifyWindow;
    r->module = resourceModule;
    r->postWhenEnded = postWhenEnded;
    r->fallbackAllowed = !noFallback;
    r->reportFailure = reportFailure;
    CriticalSectionScope hold(lock_);
    if (++lastSoundId_ == 0) ++lastSoundId_;
    r->id = lastSoundId_;
    // The window's earlier sound is replaced, wherever it is.
    auto same = [notifyWindow](const Request& other) { return other->owner == notifyWindow; };
    for (const Request& other : held_)
        if (same(other)) {
            other->dropped = true;
            SetEvent(other->done);
        }
    held_.erase(std::remove_if(held_.begin(), held_.end(), same), held_.end());
    if (front_) {
        if (same(front_))
            front_->dropped = true;
        else {
            front_->heldBack = true;
            held_.push_back(front_);
        }
        SetEvent(wake_);
    }
    front_ = r;
    if (!soundThreadLive_ && !StartSoundThread()) {
        front_.reset();
        if (!held_.empty()) {
            front_ = held_.back();
            held_.pop_back();
            front_->heldBack = false;
        }
        return nullptr;
    }
    return r;
}

bool Signaller::StartSoundThread() {
    HANDLE thread = CreateThread(nullptr, 0, SoundThread, this, CREATE_SUSPENDED, nullptr);
    if (!thread) return false;
    soundThreadLive_ = true;
    ++soundThreads_;
    ResumeThread(thread);
    // Its end is known by the count: nobody waits on the handle.
    CloseHandle(thread);
    return true;
}

DWORD Signaller::BeginSound(const ItemSoundSettings& settings, HWND notifyWindow, HMODULE resourceModule,
                            bool postWhenEnded, bool noFallback) {
    Request r = Begin(settings, notifyWindow, resourceModule, postWhenEnded, noFallback, true);
    return r ? r->id : 0;
}

bool Signaller::StartSound(const ItemSoundSettings& settings, HWND notifyWindow, HMODULE resourceModule,
                           bool postWhenEnded, bool noFallback) {
    Request r = Begin(settings, notifyWindow, resourceModule, postWhenEnded, noFallback, false);
    if (!r) return false;
    // Only this thread starts sounds: none can take this one over before it played.
    const HANDLE outcome[] = {r->started, r->done};
    return WaitForMultipleObjects(2, outcome, FALSE, INFINITE) == WAIT_OBJECT_0;
}

Signaller::Request Signaller::StopSounds(HWND window, bool all) {
    auto match = [window, all](const Request& r) { return all || r->owner == window; };
    std::vector<Request> waiting;
    Request playing;
    {
        CriticalSectionScope hold(lock_);
        std::copy_if(held_.begin(), held_.end(), std::back_inserter(waiting), match);
        held_.erase(std::remove_if(held_.begin(), held_.end(), match), held_.end());
        if (front_ && match(front_)) {
            playing = front_;
            playing->stop = true;
            SetEvent(wake_);
        }
    }
    // Those waiting for their turn end here, as stopped on request.
    for (const Request& r : waiting) {
        r->stop = true;
        Report(*r, 1);
        SetEvent(r->done);
    }
    return playing;
}

void Signaller::StopSound(HWND window) {
    if (Request playing = StopSounds(window, false)) WaitForSingleObject(playing->done, INFINITE);
}

void Signaller::StopSound() {
    StopSounds(nullptr, true);
    while (soundThreads_ > 0) Sleep(1);
}

Signaller::Request Signaller::NextTurn() {
    CriticalSectionScope hold(lock_);
    if (!front_) {
        soundThreadLive_ = false;
        return nullptr;
    }
    // Set from now on only for this sound.
    ResetEvent(wake_);
    playingFor_ = front_->owner;
    return front_;
}

void Signaller::EndTurn(const Request& r, SoundOutcome outcome) {
    playingFor_ = nullptr;
    if (outcome == SoundOutcome::HeldBack) return;  // among the held ones already
    bool listed = false;
    {
        CriticalSectionScope hold(lock_);
        // Over, though a newer sound took it over at its very end.
        const auto at = std::find(held_.begin(), held_.end(), r);
        if (at != held_.end()) {
            held_.erase(at);
            listed = true;
        }
        if (front_ == r) {
            listed = true;
            front_.reset();
            if (!held_.empty()) {
                front_ = held_.back();
                held_.pop_back();
                front_->heldBack = false;
            }
        }
    }
    // One stopped while it waited has been reported by the stop, one replaced by its
    // window is reported never.
    if (!listed) {
        SetEvent(r->done);
        return;
    }
    if (outcome == SoundOutcome::Ended || outcome == SoundOutcome::Stopped)
        Report(*r, outcome == SoundOutcome::Stopped ? 1 : 0);
    else if (outcome == SoundOutcome::Failed && r->reportFailure)
        Report(*r, kSoundFailed);
    SetEvent(r->done);
}

void Signaller::Report(const SoundRequest& r, WPARAM what) const {
    if (r.postWhenEnded && IsWindow(r.owner)) PostMessageW(r.owner, kSoundEndedMessage, what, LPARAM(r.id));
}

bool Signaller::Interrupted(const SoundRequest& r) { return r.stop || r.heldBack || r.dropped; }

bool Signaller::IsPlaying() const {
    switch (route_) {
        case Route::EngineStream:
            return stream_ != nullptr;
        case Route::PlatformSound:
            return platformSound_ != nullptr;
        case Route::Player:
            break;
        case Route::None:
            return false;
    }
    return PlayerIsPlaying();
}

bool Signaller::IsPlayingFor(HWND window) const { return playingFor_ == window && IsPlaying(); }

bool Signaller::HasSoundFor(HWND window) {
    CriticalSectionScope hold(lock_);
    if (front_ && front_->owner == window) return true;
    return std::any_of(held_.begin(), held_.end(), [window](const Request& r) { return r->owner == window; });
}

HWND Signaller::SoundNotifyWindow() {
    CriticalSectionScope hold(lock_);
    return front_ ? front_->owner : nullptr;
}
