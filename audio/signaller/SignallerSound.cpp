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
    if (unattended.Held())
        wavRequirement_ = SetPowerRequirement(const_cast<wchar_t*>(kAudioDevice), D0, POWER_NAME, nullptr, 0);
    const bool played = PrepareSound();
    if (played) {
        SetEvent(threadStarted_);
        SoundLoop();
        EndSound();
    }
    engineReady_ = false;
    if (route_ == Route::EngineStream)
        Aural_Close();
    else if (route_ == Route::Player)
        ClosePlayerEngine();
    // Only now: a ring started on this message must not meet an engine still closing.
    if (played && IsWindow(notifyWindow_) && postWhenEnded_)
        PostMessageW(notifyWindow_, kSoundEndedMessage, stop_ ? 1 : 0, 0);
    if (HANDLE self = soundThread_.exchange(nullptr)) CloseHandle(self);
    if (wavRequirement_) ReleasePowerRequirement(wavRequirement_);
    wavRequirement_ = nullptr;
    SetEvent(threadEnded_);
    unattended.Release();
}

bool Signaller::PrepareSound() {
    ProfileSoundOff();
    ResetEvent(finish_);
    savedVolume_ = Volume_GetPercent();
    volumeFloor_ = DeviceModelQuirks::VolumeFloor(DeviceModelQuirks::OemText());

    if (!current_.builtIn && SoundSource::IsPlatformSoundFile(current_.custom.CStr())) {
        if (OpenPlatformSound(current_.custom.CStr()) || OpenPlayerSound()) return true;
    }
    if (!engineReady_ && !StartEngine()) {
        if (OpenShellSound()) return true;
        FailPrepare();
        return false;
    }
    SetUpEngineVolume();
    if (!OpenEngineStream()) {
        FailPrepare();
        return false;
    }
    return true;
}

void Signaller::FailPrepare() { Volume_SetPercentRaw(savedVolume_); }

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

bool Signaller::StartEngine() {
    // A silent device would start the engine audibly at its old volume.
    if (savedVolume_ == 0) Volume_SetPercentRaw(kRampStartVolume);
    if (!SoundEngine.initialised) SoundEngine.mixerType = kMonoQualityMixer;
    bool started = false;
    for (int attempt = 0; attempt < kEngineStartAttempts && !started; ++attempt) {
        if (attempt > 0) Sleep(kEngineRetryMs);
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
        fileFound = current_.custom.Length() > 0 && SoundSource::WaitForFile(current_.custom.CStr());
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

void Signaller::SoundLoop() {
    const int repeat = current_.repeat;
    const int pauseSlices = current_.repsplit * kSlicesPerSecond;
    const int target = RampTarget();
    rampRate_ = current_.asctime ? float(target) / (float(current_.asctime) * 1000.0f) : 0.0f;
    rampStart_ = DeviceClock_GetTickCount();
    rampDone_ = false;
    for (int play = 0; play < repeat; ++play) {
        StartOnePlay();
        while (WaitForSingleObject(finish_, kSliceMs) == WAIT_TIMEOUT) RampStep();
        ResetEvent(finish_);
        if (play + 1 == repeat) break;
        for (int slice = 0; slice < pauseSlices && !stop_; ++slice) {
            Sleep(kSliceMs);
            RampStep();
        }
        if (stop_) break;
    }
}

void Signaller::StartOnePlay() {
    if (route_ == Route::PlatformSound)
        PlayPlatformSound();
    else if (route_ == Route::EngineStream)
        AuralStream_Play(0, stream_, nullptr, FALSE);
    else
        PlayPlayerSound();
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

void Signaller::EndSound() {
    if (route_ == Route::EngineStream) {
        AuralStream_Close(stream_.exchange(nullptr));
    } else if (route_ == Route::PlatformSound) {
        ClosePlatformSound();
    } else {
        ClosePlayerSound();
    }
    Sleep(kEndSettleMs);
    Volume_SetPercentRaw(savedVolume_);
    RestoreProfileSound();
}
