// Engine state, initialisation and close, output selection, master volume, file
// callbacks and the last-error code.
#include "aural.h"

#include <cstring>

#include "aural_engine.h"
#include "aural_stream.h"
#include "music_song.h"
#include "sound_alloc.h"
#include "sound_output.h"
#include "sound_software.h"
#include "system_thread.h"

static constexpr char kSoundFileTag[] = "src/aural";

int32_t SoundError = kSoundErrNone;

SoundEngineState SoundEngine = {
    nullptr,  // driver
    -1,       // outputType
    0,        // initFlags
    0, 0,     // driverWantsLongBuffer, devicesEnumerated
    255,      // sfxMasterVolume
    256,      // panSeparation
    0, 0,     // ownerThreadId, initialised
    0, 0,     // mixerCpu, streamCpu
    nullptr,  // mixerDesc
    4,        // mixerType
    44100,    // mixRate
    -1,       // bufferMs
    0, 0, 0, 0,  // bufferLength, blockDuration, blockLength, blockMs
};

SoundEngineTables SoundTables = {};

static constexpr char kPrimaryBufferName[] = "AURAL Primary MixBuffer";
static constexpr int kSampleTableSlots = 256;
static constexpr int kLongBufferMs = 100;
static constexpr int kShortBufferMs = 50;
static constexpr int kMaxBufferMs = 10000;
static constexpr uint32_t kPrimaryModeMono = 0x84032;    // 16-bit, mono, loop, stream buffer, driver sample
static constexpr uint32_t kPrimaryModeStereo = 0x84052;  // the same in stereo

void SoundError_Begin() {
  if (GetCurrentThreadId() == SoundEngine.ownerThreadId) SoundError = kSoundErrNone;
}

void SoundEngine_Sleep(DWORD ms) {
  if (!SoundEngine_IsNonRealtime()) Sleep(ms);
}

static bool MonoMixer() { return SoundEngine.mixerType == kMixerMono || SoundEngine.mixerType == kMixerQualityMono; }

BOOL Aural_SetOutput(int outputType) {
  SoundError_Begin();
  if (SoundEngine.initialised) {
    SoundError_Set(kSoundErrOutputLocked);
    return FALSE;
  }
  if (outputType == kSoundOutputDefault) outputType = kSoundOutputWaveOut;
  if (outputType != SoundEngine.outputType || !SoundEngine.driver) {
    SoundEngine.outputType = outputType;
    SoundEngine.driver = outputType == kSoundOutputWaveOut ? &WaveOutOutput : &NullOutput;
    SoundEngine.devicesEnumerated = 0;
  }
  return TRUE;
}

// Stops and frees everything Aural_Init may have made, in the order the threads need:
// nothing is freed while the mixer or the streamer can still touch it.
static void TearDown() {
  SoundEngineTables& t = SoundTables;
  SoundOutputDriver* driver = SoundEngine.driver;
  // A background open or load finishes while the engine still stands: it may use it all.
  SoundLoader_Shutdown();
  if (driver) driver->recordStop();
  WaveInRecord_Reset();
  Music_CloseSongs();
  if (t.channels) {
    for (int i = 0; i < t.channelCount; ++i) {
      SoundChannel* ch = &t.channels[i];
      ch->ops.stop(ch);
      ch->sample = nullptr;
      ch->priority = 0;
    }
  }
  AuralStream_StopThread();
  if (SoftwareOutput.thread) {
    SoftwareOutput.stopRequest = 1;
    WaitForSingleObject(SoftwareOutput.thread, INFINITE);
    CloseHandle(SoftwareOutput.thread);
    SoftwareOutput.thread = nullptr;
  }
  if (t.primaryChannel) {
    t.primaryChannel->ops.stop(t.primaryChannel);
    t.primaryChannel->ops.free(t.primaryChannel);
  }
  SoftwareOutput_Close();
  SoundEngine.initialised = 0;
  if (t.primarySample) {
    SoundSample_Free(t.primarySample);
    t.primarySample = nullptr;
  }
  if (t.samples) {
    for (int i = 0; i < t.sampleSlots; ++i)
      if (t.samples[i]) SoundSample_Free(t.samples[i]);
    SOUND_FREE(t.samples);
    t.samples = nullptr;
  }
  if (t.channels) {
    for (int i = 0; i < t.channelCount; ++i) t.channels[i].ops.free(&t.channels[i]);
  }
  if (driver) driver->close();
  SOUND_FREE(t.channels);
  t.channels = nullptr;
  t.channelCount = 0;
  SOUND_FREE(t.primaryChannel);
  t.primaryChannel = nullptr;
  for (SoundChannelRange& r : t.ranges) r = SoundChannelRange{0, -1, 0};
}

// Several owners (rings, the player, the recorder) open and close the one engine from
// their own threads: an open or close must never run inside another.
static CRITICAL_SECTION& LifecycleLock() {
  static CRITICAL_SECTION lock;
  static const bool ready = (InitializeCriticalSection(&lock), true);
  (void)ready;
  return lock;
}

struct LifecycleScope {
  LifecycleScope() { EnterCriticalSection(&LifecycleLock()); }
  ~LifecycleScope() { LeaveCriticalSection(&LifecycleLock()); }
  LifecycleScope(const LifecycleScope&) = delete;
  LifecycleScope& operator=(const LifecycleScope&) = delete;
};

void Aural_Close() {
  LifecycleScope serialised;
  SoundError = kSoundErrNone;
  const bool wasInitialised = SoundEngine.initialised != 0;
  TearDown();
  if (wasInitialised) {
    // The next initialisation chooses again (only now: the threads read these until
    // they are gone). A block length preset for it must be set after this close.
    SoundEngine.devicesEnumerated = 0;
    SoundEngine.bufferMs = -1;
    SoundEngine.blockLength = 0;
  }
}

// The caller's requests, put back on every failure so a retry asks the same again.
struct InitRequest {
  int32_t bufferMs, bufferLength, blockLength;
  static InitRequest Take() { return {SoundEngine.bufferMs, SoundEngine.bufferLength, SoundEngine.blockLength}; }
  void Restore() const {
    SoundEngine.bufferMs = bufferMs;
    SoundEngine.bufferLength = bufferLength;
    SoundEngine.blockLength = blockLength;
    SoundEngine.blockMs = 0;
  }
};

static BOOL FailInit(const InitRequest& request) {
  const int32_t error = SoundError;
  TearDown();
  request.Restore();
  SoundError = error;
  return FALSE;
}

static int ClipDriverChannels(int count, const SoundOutputDriver& d) {
  if (count > kSoundMaxDriverChannels) count = kSoundMaxDriverChannels;
  return count < d.minDriverChannels || count < 0 ? 0 : count;
}

static void SetUpChannel(SoundChannel* ch, int index, bool software) {
  SoundChannel_InitRecord(ch, index);
  if (software)
    SoftwareOutput_FillChannelOps(ch);
  else
    SoundEngine.driver->fillChannelOps(ch);
  ch->ops.init(ch);
  ch->ops.stop(ch);
  ch->ops.setVolume(ch, 255);
  ch->ops.setFrequency(ch, 44100);
  ch->ops.setPan(ch, 128);
}

static bool CreatePrimary() {
  SoundEngineTables& t = SoundTables;
  SoundOutputDriver* driver = SoundEngine.driver;
  t.primaryChannel = static_cast<SoundChannel*>(SOUND_CALLOC(sizeof(SoundChannel)));
  if (!t.primaryChannel) {
    SoundError_Set(kSoundErrNoMemory);
    return false;
  }
  SoundChannel* p = t.primaryChannel;
  SoundChannel_InitRecord(p, kChannelPrimary);
  driver->fillChannelOps(p);
  p->ops.init(p);
  p->ops.stop(p);
  p->ops.setVolume(p, 255);
  p->ops.setFrequency(p, SoundEngine.mixRate);
  p->ops.setPan(p, -1);
  p->pan = -1;
  const uint32_t mode = MonoMixer() ? kPrimaryModeMono : kPrimaryModeStereo;
  t.primarySample = SoundSample_Alloc(kSoundSamplePrimary, SoundEngine.bufferLength, mode, SoundEngine.mixRate, 255, -1);
  if (!t.primarySample) return false;
  std::strncpy(t.primarySample->name, kPrimaryBufferName, kSoundSampleNameSize - 1);
  return SoundChannel_StartPrimary() != FALSE;
}

BOOL Aural_Init(int mixRate, int channels) {
  LifecycleScope serialised;
  SoundError_Begin();
  const int32_t request = SoundEngine.bufferMs;
  if (static_cast<unsigned>(mixRate - kSoundMinMixRate) > kSoundMaxMixRate - kSoundMinMixRate || channels < 0 ||
      channels > kSoundMaxChannels || (request != -1 && (request < 1 || request > kMaxBufferMs))) {
    SoundError_Set(kSoundErrInvalidParam);
    return FALSE;
  }
  Aural_Close();
  const InitRequest caller = InitRequest::Take();

  SoundEngineTables& t = SoundTables;
  SoundEngine.initialised = 0;
  SoundEngine.ownerThreadId = GetCurrentThreadId();
  t.sampleSlots = kSampleTableSlots;
  t.softwareChannels = channels;
  SoundEngine.mixRate = mixRate;
  SoundEngine.initFlags = 0;
  SoundEngine.sfxMasterVolume = 255;
  t.listener = SoundListener{{0, 0, 0}, {0, 0, 0}, {256, 0, 0}};
  SoundLink_Init(&t.dspChain.link);
  t.dspChain.priority = -1;
  SoundError = kSoundErrNone;
  SoundOutput_WatchdogReset();

  Aural_SetOutput(SoundEngine.outputType);
  SoundOutputDriver* driver = SoundEngine.driver;
  driver->offersDriverChannels2d = driver->offersDriverChannels3d = 1;
  SoundEngine.driverWantsLongBuffer = 0;
  if (!driver->open(mixRate)) return FailInit(caller);

  int channels2d = 0, channels3d = 0;
  if (driver->offersDriverChannels2d) channels2d = ClipDriverChannels(driver->channels2d, *driver);
  if (driver->offersDriverChannels3d) channels3d = ClipDriverChannels(driver->channels3d, *driver);
  if (channels2d == 0) driver->offersDriverChannels2d = 0;
  if (channels3d == 0) driver->offersDriverChannels3d = 0;
  if (driver->offersDriverChannels2d || driver->offersDriverChannels3d) driver->checkDriverChannels();

  const int chosen = request != -1 ? request
                     : (SoundEngine.outputType == kSoundOutputWaveOut || SoundEngine.driverWantsLongBuffer)
                         ? kLongBufferMs
                         : kShortBufferMs;
  SoundEngine.blockMs = chosen;
  SoundEngine.bufferMs = chosen * 2;

  if (!SoftwareOutput_Init(driver, mixRate)) return FailInit(caller);

  const int total = channels3d + channels2d + channels;
  t.samples = static_cast<SoundSample**>(SOUND_CALLOC(sizeof(SoundSample*) * kSampleTableSlots));
  t.channels = static_cast<SoundChannel*>(SOUND_CALLOC(sizeof(SoundChannel) * (total > 0 ? total : 1)));
  if (!t.samples || !t.channels) {
    SoundError_Set(kSoundErrNoMemory);
    return FailInit(caller);
  }
  t.channelCount = total;
  t.ranges[0] = {0, channels - 1, 0};
  t.ranges[1] = {channels, channels + channels2d - 1, channels};
  t.ranges[2] = {channels + channels2d, total - 1, channels + channels2d};
  for (int i = 0; i < total; ++i) SetUpChannel(&t.channels[i], i, i < channels);

  if (channels > 0 && !CreatePrimary()) return FailInit(caller);

  SoundEngine.initialised = 1;
  Music_RetimeSongs();
  SoundLoader_Shutdown();  // the pending-open list starts empty
  SoftwareOutput.stopRequest = 0;
  if (t.primaryChannel && driver->needsMixerThread) {
    SoftwareOutput.thread = SoundThread_Create("mixer", SoftwareOutput_MixerThreadProc, nullptr, kSoundThreadTimeCritical);
    if (!SoftwareOutput.thread) {
      SoundError_Set(kSoundErrNoMemory);
      return FailInit(caller);
    }
  }
  if (SoundEngine_IsNonRealtime()) SoundEngine.initFlags |= kSoundInitNoStreamerThread;
  if (!AuralStream_StartThread()) return FailInit(caller);
  t.lastUpdateMs = SoundClock_Now();
  Aural_Update();
  return TRUE;
}

BOOL Aural_Update() {
  SoundError_Begin();
  if (!SoundEngine.initialised) {
    SoundError_Set(kSoundErrNotInitialised);
    return FALSE;
  }
  for (int i = 0; i < SoundTables.softwareChannels && i < SoundTables.channelCount; ++i)
    SoundTables.channels[i].ops.update3d(&SoundTables.channels[i]);
  if (SoundEngine.initFlags & kSoundInitNoStreamerThread) {
    // Offline, time moves a block per update and the clock is not read.
    int elapsed = SoundEngine.blockDuration / 256;
    if (!SoundEngine_IsNonRealtime()) {
      const uint32_t now = SoundClock_Now();
      elapsed = static_cast<int>(now - SoundTables.lastUpdateMs);
      SoundTables.lastUpdateMs = now;
    }
    AuralStream_UpdateAll(elapsed);
  }
  SoundEngine.driver->update(0);
  return TRUE;
}

void Aural_SetMasterVolume(int volume) {
  SoundError_Begin();
  SoundEngine.sfxMasterVolume = volume < 0 ? 0 : volume > 255 ? 255 : volume;
  if (!SoundEngine.initialised) return;
  for (int i = 0; i < SoundTables.channelCount; ++i) {
    SoundChannel* ch = &SoundTables.channels[i];
    if (!ch->sample || (ch->flags & (kChannelInSong | kChannelAbsoluteVolume))) continue;
    if (!(ch->flags & kChannelMuted)) ch->ops.setVolume(ch, ch->volume * SoundEngine.sfxMasterVolume / 255);
  }
}

SoundFileOpenFn Aural_SetFileCallbacks(SoundFileOpenFn open, SoundFileCloseFn close, SoundFileReadFn read,
                                       SoundFileSeekFn seek, SoundFileTellFn tell) {
  SoundError_Begin();
  SoundEngineTables& t = SoundTables;
  if (!open || !close || !read || !seek || !tell) {
    t.fileOpen = nullptr;
    t.fileClose = nullptr;
    t.fileRead = nullptr;
    t.fileSeek = nullptr;
    t.fileTell = nullptr;
    return nullptr;
  }
  t.fileOpen = open;
  t.fileClose = close;
  t.fileRead = read;
  t.fileSeek = seek;
  t.fileTell = tell;
  return open;
}

BOOL Aural_FileCallbacksSet() {
  const SoundEngineTables& t = SoundTables;
  return t.fileOpen && t.fileClose && t.fileRead && t.fileSeek && t.fileTell;
}

int Aural_GetMixerType() { return SoundEngine.mixerType; }

BOOL Aural_OutputLost() { return SoundEngine.initialised && SoundOutput_WatchdogState().outputLost ? TRUE : FALSE; }

int Aural_CountActiveChannels() {
  SoundError_Begin();
  if (!SoundEngine.initialised) {
    SoundError_Set(kSoundErrNotInitialised);
    return 0;
  }
  int count = 0;
  for (int i = 0; i < SoundTables.channelCount; ++i) {
    SoundChannel* ch = &SoundTables.channels[i];
    if (ch->ops.isPlaying(ch)) ++count;
  }
  return count;
}
