// The sound thread: prepares the sound on its route, plays it `repeat` times with
// pauses while the volume rises, and puts everything back at the end.
#include <algorithm>

#include "BoundFunctions.h"
#include "DeviceClock.h"
#include "DeviceModelQuirks.h"
#include "Signaller.h"
#include "SignallerParts.h"
#include "SoundFileCallbacks.h"
#include "SoundSource.h"
#include "UnattendedScope.h"
#include "aural.h"
#include "aural_stream.h"
#include "pm.h"
#include "soundfile.h"

namespace {
// The audio codec, kept powered while a ring plays with the screen off.
const wchar_t kAudioDevice[] = L"WAV1:";
constexpr int kMixRate = 44100;
constexpr int kEngineChannels = 1;
constexpr int kMonoQualityMixer = 9;
constexpr int kEngineStartAttempts = 20;
constexpr DWORD kEngineRetryMs = 100;
constexpr DWORD kSliceMs = 250;
constexpr int kSlicesPerSecond = 4;
constexpr DWORD kEndSettleMs = 250;
// A play of a sound whose length is not known, when it has to keep its time silently.
constexpr DWORD kUnknownPlayMs = 1000;
// Start volume of a rising ring, percent.
constexpr int kRampStartVolume = 3;
// A fallback ring is at least this long and this much louder (up to full volume).
constexpr uint16_t kFallbackMinRepeat = 10;
constexpr int kFallbackExtraVolume = 10;
constexpr int kFallbackLouderUpTo = 90;
constexpr int kMasterFull = 255;
// The master volume a rising ring starts from on devices with a volume floor.
constexpr int kFloorMasterStart = 7;

int MasterOf(int percent) { return std::min(percent, 100) * kMasterFull / 100; }

BOOL OnStreamEnd(SoundStream*, const char*, int, void* finish) {
    SetEvent(static_cast<HANDLE>(finish));
    return TRUE;
}
}  // namespace

DWORD WINAPI Signaller::SoundThread(void* self) {
    static_cast<Signaller*>(self)->RunSoundThread();
    return 0;
}

void Signaller::RunSoundThread() {
    // A ring that woke the device keeps it, and its audio codec, up until it is over.
    UnattendedScope unattended{UnattendedScope::OnlyWhenNotOn{}};
    HANDLE wavRequirement = nullptr;
    if (unattended.Held())
        wavRequirement = SetPowerRequirement(const_cast<wchar_t*>(kAudioDevice), D0, POWER_NAME, nullptr, 0);
    // The sounds take their turns until none is left, each taken over one going on
    // once the sound that took it over is done.
    while (Request r = NextTurn()) EndTurn(r, Play(*r));
    if (wavRequirement) ReleasePowerRequirement(wavRequirement);
    unattended.Release();
    // The Signaller's last word from this thread: it may be destroyed from now on.
    --soundThreads_;
}

SoundOutcome Signaller::Play(SoundRequest& r) {
    auto why = [&r] {
        if (r.stop) return SoundOutcome::Stopped;
        return r.dropped ? SoundOutcome::Dropped : SoundOutcome::HeldBack;
    };
    if (Interrupted(r)) return why();
    // A sound whose window has gone while another took it over does not come back.
    if (r.owner && !IsWindow(r.owner)) return SoundOutcome::Dropped;
    route_ = Route::EngineStream;
    resourceModule_ = r.module;
    fallbackAllowed_ = r.fallbackAllowed;
    fallbackResource_ = kFallbackResource;
    if (!r.resolved) {
        // Looked for here, not on the caller's thread: a missing file takes seconds.
        if (!SoundSource::Resolve(r.settings, fallbackResource_, wake_)) return why();
        r.resolved = true;
    }
    current_ = r.settings;
    const bool prepared = PrepareSound(r);
    if (prepared) {
        // A fallback's repeat and volume stay with the sound when it goes on later.
        r.settings = current_;
        SetEvent(r.started);
        SoundLoop(r);
        // A sound taken over makes way at once.
        EndSound(!r.heldBack && !r.dropped);
    }
    CloseEngine();
    if (prepared && r.playsDone >= int(current_.repeat)) return SoundOutcome::Ended;
    if (Interrupted(r)) return why();
    return prepared ? SoundOutcome::Ended : SoundOutcome::Failed;
}

void Signaller::CloseEngine() {
    engineReady_ = false;
    if (route_ == Route::EngineStream)
        Aural_Close();
    else if (route_ == Route::Player)
        ClosePlayerEngine();
}

bool Signaller::PrepareSound(SoundRequest& r) {
    ProfileSoundOff();
    ResetEvent(finish_);
    savedVolume_ = Volume_GetPercent();
    volumeFloor_ = DeviceModelQuirks::VolumeFloor(DeviceModelQuirks::OemText());

    if (!current_.builtIn && SoundSource::IsPlatformSoundFile(current_.custom.CStr())) {
        if (OpenPlatformSound(current_.custom.CStr()) || OpenPlayerSound()) return true;
    }
    if (!engineReady_ && !StartEngine(1)) {
        // The shell's player rings at once where the engine does not start at its first
        // attempt; the engine's further attempts are for a device without that player.
        if (OpenShellSound()) return true;
        if (!StartEngine(kEngineStartAttempts - 1)) {
            FailPrepare();
            return false;
        }
    }
    SetUpEngineVolume();
    if (!OpenEngineStream()) {
        FailPrepare();
        return false;
    }
    r.playMs = std::max(r.playMs, DWORD(std::max(AuralStream_GetLengthMs(stream_), 0)));
    return true;
}

void Signaller::FailPrepare() {
    Volume_SetPercentRaw(savedVolume_);
    RestoreProfileSound();
}

// The shell's all-events sound would sound beside the ring on devices with a vibrator:
// switched to "on" for the ring, restored at its end. Only a setting that was read is
// written back, so a failed read never overwrites the user's own.
void Signaller::ProfileSoundOff() {
    savedSoundType_ = kNoSavedSoundType;
    auto get = Bound::SndGetSound.As<SndGetSoundFunction>();
    auto set = Bound::SndSetSound.As<SndSetSoundFunction>();
    if (!hasVibrator_ || !get || current_.respectsys) return;
    SNDFILEINFO setting = {};
    if (FAILED(get(SND_EVENT_ALL, &setting))) return;
    savedSoundType_ = setting.sstType;
    setting.sstType = SND_SOUNDTYPE_ON;
    if (set) set(SND_EVENT_ALL, &setting, FALSE);
}

void Signaller::RestoreProfileSound() {
    auto get = Bound::SndGetSound.As<SndGetSoundFunction>();
    auto set = Bound::SndSetSound.As<SndSetSoundFunction>();
    if (savedSoundType_ == kNoSavedSoundType || !set || !get) return;
    SNDFILEINFO setting = {};
    if (FAILED(get(SND_EVENT_ALL, &setting)) || setting.sstType == savedSoundType_) return;
    setting.sstType = savedSoundType_;
    set(SND_EVENT_ALL, &setting, FALSE);
}

bool Signaller::StartEngine(int attempts) {
    // A silent device would start the engine audibly at its old volume.
    if (savedVolume_ == 0) Volume_SetPercentRaw(kRampStartVolume);
    if (!SoundEngine.initialised) SoundEngine.mixerType = kMonoQualityMixer;
    bool started = false;
    for (int attempt = 0; attempt < attempts && !started; ++attempt) {
        // A sound stopped or taken over meanwhile gives up waiting.
        if (attempt > 0 && WaitForSingleObject(wake_, kEngineRetryMs) == WAIT_OBJECT_0) break;
        started = Aural_Init(kMixRate, kEngineChannels) != FALSE;
    }
    if (savedVolume_ == 0) Volume_SetPercentRaw(0);
    engineReady_ = started;
    return started;
}

void Signaller::SetUpEngineVolume() {
    if (current_.respectsys) {
        // The user's device volume stands; the ring rises on the engine's own volume.
        Aural_SetMasterVolume(MasterOf(current_.asctime ? kRampStartVolume : current_.volume));
        rampByDeviceVolume_ = false;
    } else if (current_.asctime == 0) {
        Aural_SetMasterVolume(kMasterFull);
        Volume_SetPercent(*this, current_.volume);
        rampByDeviceVolume_ = true;
    } else if (volumeFloor_ == 0) {
        Volume_SetPercent(*this, kRampStartVolume);
        Aural_SetMasterVolume(kMasterFull);
        rampByDeviceVolume_ = true;
    } else {
        Aural_SetMasterVolume(kFloorMasterStart);
        Volume_SetPercent(*this, current_.volume);
        rampByDeviceVolume_ = false;
    }
}

// The sound's resource, or null for its file; the fallback resource when neither is
// there and the fallback is allowed. False when nothing can be rung.
bool Signaller::FindSource(HRSRC* resource) {
    *resource = nullptr;
    bool fileFound = false;
    if (current_.builtIn)
        *resource = FindResourceW(resourceModule_, MAKEINTRESOURCEW(current_.customres), kSoundResourceType);
    else
        fileFound = current_.custom.Length() > 0 && SoundSource::WaitForFile(current_.custom.CStr(), nullptr, wake_);
    if (*resource || fileFound) return true;
    if (fallbackAllowed_)
        *resource = FindResourceW(resourceModule_, MAKEINTRESOURCEW(fallbackResource_), kSoundResourceType);
    if (!*resource) return false;
    // Ringing something else than asked: louder and longer, for this ring only.
    current_.builtIn = 1;
    current_.customres = fallbackResource_;
    current_.repeat = std::max(current_.repeat, kFallbackMinRepeat);
    current_.volume = current_.volume <= kFallbackLouderUpTo ? current_.volume + kFallbackExtraVolume : 100;
    return true;
}

bool Signaller::OpenEngineStream() {
    HRSRC resource = nullptr;
    if (!FindSource(&resource)) return false;
    SoundStream* stream = nullptr;
    if (resource) {
        HGLOBAL loaded = LoadResource(resourceModule_, resource);
        const void* data = loaded ? LockResource(loaded) : nullptr;
        const DWORD size = SizeofResource(resourceModule_, resource);
        if (data && size) stream = AuralStream_Open(data, SoundMode::FromMemory, 0, int(size));
    } else {
        stream = AuralStream_Open(SoundFileCallbacks::Install(current_.custom.CStr()), 0, 0, 0);
    }
    if (!stream) return false;
    AuralStream_SetEndCallback(stream, OnStreamEnd, finish_);
    stream_ = stream;
    return true;
}

void Signaller::SoundLoop(SoundRequest& r) {
    const int repeat = current_.repeat;
    const int target = RampTarget();
    rampRate_ = current_.asctime ? float(target) / (float(current_.asctime) * 1000.0f) : 0.0f;
    // The volume rises from the sound's first play on, across the time it waited.
    if (!r.rampStarted) {
        r.rampStart = DeviceClock_GetTickCount();
        r.rampStarted = true;
    }
    rampStart_ = r.rampStart;
    rampDone_ = false;
    while (r.playsDone < repeat && !Interrupted(r)) {
        if (!WaitForPlay(r)) return;
        if (++r.playsDone == repeat || !Pause(r)) return;
    }
}

void Signaller::StartOnePlay(SoundRequest& r) {
    if (route_ == Route::PlatformSound && !PlayPlatformSound()) {
        CloseRoute();
        GoSilent(r);
    }
    if (route_ == Route::None)
        silentPlayEnd_ = DeviceClock_GetTickCount() + (r.playMs ? r.playMs : kUnknownPlayMs);
    else if (route_ == Route::EngineStream)
        AuralStream_Play(0, stream_, nullptr, FALSE);
    else if (route_ == Route::Player)
        PlayPlayerSound();
}

// One play, to its end (true) or until the sound is stopped or taken over (false). An
// output that goes away meanwhile hands the play to the next route, from its beginning.
bool Signaller::WaitForPlay(SoundRequest& r) {
    StartOnePlay(r);
    DWORD began = DeviceClock_GetTickCount();
    const HANDLE events[] = {finish_, wake_};
    for (;;) {
        DWORD slice = kSliceMs;
        if (route_ == Route::None) {
            const LONG left = LONG(silentPlayEnd_ - DeviceClock_GetTickCount());
            if (left <= 0) return true;
            slice = std::min(slice, DWORD(left));
        }
        const DWORD woke = WaitForMultipleObjects(2, events, FALSE, slice);
        if (woke == WAIT_OBJECT_0) {
            ResetEvent(finish_);
            // What a play lasts, should a later one have to keep its time silently.
            r.playMs = DeviceClock_GetTickCount() - began;
            return true;
        }
        if (Interrupted(r)) return false;
        if (woke != WAIT_TIMEOUT) ResetEvent(wake_);
        RampStep();
        if (SwitchIfOutputLost(r)) {
            StartOnePlay(r);
            began = DeviceClock_GetTickCount();
        }
    }
}

// The pause after a play; false when the sound was stopped or taken over meanwhile.
bool Signaller::Pause(SoundRequest& r) {
    for (int slice = 0; slice < current_.repsplit * kSlicesPerSecond; ++slice) {
        if (WaitForSingleObject(wake_, kSliceMs) == WAIT_OBJECT_0) {
            if (Interrupted(r)) return false;
            ResetEvent(wake_);
        }
        RampStep();
        SwitchIfOutputLost(r);
    }
    return !Interrupted(r);
}

// The engine's output went away for good: the shell's player rings the rest of the
// sound, or, where it cannot, the sound keeps its time silently. True when it switched.
bool Signaller::SwitchIfOutputLost(SoundRequest& r) {
    if ((route_ != Route::EngineStream && route_ != Route::Player) || !Aural_OutputLost()) return false;
    const bool engineStream = route_ == Route::EngineStream;
    CloseRoute();
    CloseEngine();
    if (!engineStream || !OpenShellSound()) GoSilent(r);
    return true;
}

void Signaller::GoSilent(SoundRequest& r) {
    route_ = Route::None;
    Report(r, kSoundSilenced);
}

// The ramp rises to the item's volume, unless the device volume already stands there
// (the volume-floor devices, whose master volume rises to full).
int Signaller::RampTarget() const {
    return rampByDeviceVolume_ || current_.respectsys ? current_.volume : 100;
}

void Signaller::RampStep() {
    SystemIdleTimerReset();
    const DWORD now = DeviceClock_GetTickCount();
    if (now < rampStart_) rampStart_ = 0;  // the tick count wrapped
    if (current_.asctime == 0) return;
    const int target = RampTarget();
    const float rising = float(now - rampStart_) * rampRate_;
    // Past the top the volume is left alone (the user may move it), once it is there:
    // a late step must not leave the ring a point short.
    if (int(rising) > target && rampDone_) return;
    rampDone_ = int(rising) >= target;
    // Never below the start volume: the first steps would silence the ring for a moment.
    const int v = std::min(std::max(int(rising), kRampStartVolume), target);
    if (!rampByDeviceVolume_)
        Aural_SetMasterVolume(MasterOf(v));
    else if (current_.respectsys)
        Volume_SetPercent(*this, savedVolume_ * v / 100);
    else
        Volume_SetPercent(*this, v);
}

void Signaller::CloseRoute() {
    if (route_ == Route::EngineStream)
        AuralStream_Close(stream_.exchange(nullptr));
    else if (route_ == Route::PlatformSound)
        ClosePlatformSound();
    else if (route_ == Route::Player)
        ClosePlayerSound();
}

void Signaller::EndSound(bool settle) {
    CloseRoute();
    if (settle) Sleep(kEndSettleMs);
    Volume_SetPercentRaw(savedVolume_);
    RestoreProfileSound();
}
