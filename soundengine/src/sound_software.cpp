// The software output: mixer descriptors, initialisation and close, the block cycle
// and the mixer thread.
#include "sound_software.h"

#include <cstring>

#include "aural_engine.h"
#include "sound_alloc.h"
#include "sound_output.h"

static constexpr char kSoundFileTag[] = "src/sound_software";

static BOOL MixerInitNothing() { return TRUE; }

// Unimplemented types have no functions; 0 and 4 are taken as 10 and 11.
SoundMixerDesc SoundMixerDescs[kSoundMixerTypes] = {
    {"AURAL_MIXER_AUTODETECT", nullptr, nullptr, nullptr, nullptr, nullptr, 16, 2, nullptr, nullptr, 0, 5, nullptr},
    {"AURAL_MIXER_BLENDMODE", nullptr, nullptr, nullptr, nullptr, nullptr, 16, 2, nullptr, nullptr, 0, 5, nullptr},
    {"AURAL_MIXER_MMXP5", nullptr, nullptr, nullptr, nullptr, nullptr, 16, 2, nullptr, nullptr, 0, 5, nullptr},
    {"AURAL_MIXER_MMXP6", nullptr, nullptr, nullptr, nullptr, nullptr, 16, 2, nullptr, nullptr, 0, 5, nullptr},
    {"AURAL_MIXER_QUALITY_AUTODETECT", nullptr, nullptr, nullptr, nullptr, nullptr, 16, 2, nullptr, nullptr, 0, 5, nullptr},
    {"AURAL_MIXER_QUALITY_FPU", nullptr, nullptr, nullptr, nullptr, nullptr, 16, 2, nullptr, nullptr, 0, 5, nullptr},
    {"AURAL_MIXER_QUALITY_MMXP5", nullptr, nullptr, nullptr, nullptr, nullptr, 16, 2, nullptr, nullptr, 0, 5, nullptr},
    {"AURAL_MIXER_QUALITY_MMXP6", nullptr, nullptr, nullptr, nullptr, nullptr, 16, 2, nullptr, nullptr, 0, 5, nullptr},
    {"AURAL_MIXER_MONO", MixerInitNothing, nullptr, SoundMix_ClearMono, SoundMix_MixMono, SoundMix_Clip16Mono, 32, 1,
     nullptr, nullptr, 0, 4, nullptr},
    {"AURAL_MIXER_QUALITY_MONO", MixerInitNothing, nullptr, SoundMix_ClearMono, SoundMix_MixMonoQuality,
     SoundMix_Clip16Mono, 32, 1, nullptr, nullptr, 0, 4, nullptr},
    {"AURAL_MIXER_C", MixerInitNothing, nullptr, SoundMix_ClearStereo, SoundMix_MixStereo, SoundMix_Clip16Stereo, 32,
     2, nullptr, nullptr, 0, 5, nullptr},
    {"AURAL_MIXER_QUALITY_C", MixerInitNothing, nullptr, SoundMix_ClearStereo, SoundMix_MixStereoQuality,
     SoundMix_Clip16Stereo, 32, 2, nullptr, nullptr, 0, 5, nullptr},
    {"AURAL_MIXER_QUALITY_C_CUBIC", nullptr, nullptr, nullptr, nullptr, nullptr, 16, 2, nullptr, nullptr, 0, 5, nullptr},
    {"AURAL_MIXER_QUALITY_C_SPLINE", nullptr, nullptr, nullptr, nullptr, nullptr, 16, 2, nullptr, nullptr, 0, 5, nullptr},
};

SoftwareOutputState SoftwareOutput = {};

static constexpr int kMinBlockLength = 1024;
static constexpr int kPresetBufferOutput = 7;  // the output type that keeps a preset buffer length
static constexpr int kMixerLoadWeight = 90;
static constexpr DWORD kMixerPollMs = 5;

static bool Active() { return SoundEngine.mixerDesc != nullptr; }

struct BuiltinUnit {
  SoundDspCallback callback;
  int priority;
  bool selfAsUser;
};

BOOL SoftwareOutput_Init(SoundOutputDriver* /*driver*/, int mixRate) {
  SoftwareOutputState& so = SoftwareOutput;
  so.stopRequest = so.chainRunning = so.threadEnded = 0;
  so.blocksMixed = so.samplesPlayed = 0;
  so.underruns = 0;
  SoundLink_Init(&so.idle);
  if (SoundTables.softwareChannels <= 0) return TRUE;

  int type = SoundEngine.mixerType;
  if (type == kMixerAutodetect) type = kMixerC;
  if (type == kMixerQualityAutodetect) type = kMixerQualityC;
  if (type < 0 || type >= kSoundMixerTypes || !SoundMixerDescs[type].mix) {
    SoundError_Set(kSoundErrOutputFailed);
    return FALSE;
  }
  SoundMixerDesc* desc = &SoundMixerDescs[type];
  if (desc->init && !desc->init()) {
    SoundError_Set(kSoundErrOutputFailed);
    return FALSE;
  }
  SoundEngine.mixerDesc = desc;
  so.rateRatio = mixRate * 128 / 44100;

  SoundEngineState& e = SoundEngine;
  if (e.blockLength <= 0) {
    e.blockLength = (mixRate * 25 / 1000) / kMinBlockLength * kMinBlockLength;
    if (e.blockLength < kMinBlockLength) e.blockLength = kMinBlockLength;
  }
  e.blockDuration = static_cast<int32_t>(static_cast<int64_t>(e.blockLength) * 256000 / mixRate);
  if (e.outputType != kPresetBufferOutput || e.bufferLength <= 0) {
    const int64_t wanted = static_cast<int64_t>(mixRate) * e.bufferMs / 1000;
    e.bufferLength = static_cast<int32_t>(e.blockLength * (wanted / e.blockLength));
    if (e.bufferLength < 2 * e.blockLength) e.bufferLength = 2 * e.blockLength;
  }
  e.bufferMs = static_cast<int32_t>(static_cast<int64_t>(e.bufferLength) * 1000 / mixRate);
  so.blockCount = e.bufferLength / e.blockLength;

  const size_t bytes = static_cast<size_t>(desc->channels) * desc->bits * e.bufferLength / 8 + 256;
  desc->rawBuffer = SOUND_CALLOC(bytes);
  if (!desc->rawBuffer) {
    SoundError_Set(kSoundErrNoMemory);
    return FALSE;
  }
  desc->buffer = reinterpret_cast<int32_t*>((reinterpret_cast<uintptr_t>(desc->rawBuffer) + 15) & ~uintptr_t{15});
  desc->lock = SoundLock_Create();
  desc->blockIndex = 0;

  const BuiltinUnit units[] = {
      {AuralDsp_ClearCallback, kSoundDspPriorityClear, false},
      {AuralDsp_MixCallback, kSoundDspPriorityMix, true},
      {AuralDsp_MusicCallback, kSoundDspPriorityMusic, false},
      {AuralDsp_ClipCallback, kSoundDspPriorityClip, false},
  };
  for (const BuiltinUnit& b : units) {
    SoundDspUnit* unit = AuralDsp_Create(b.callback, b.priority, nullptr);
    if (!unit) return FALSE;
    if (b.selfAsUser) {
      unit->userData = unit;
      so.mixUnit = unit;
    }
    unit->active = 1;
  }
  if (e.initFlags & kSoundInitLevels) {
    SoundDspUnit* unit = AuralDsp_Create(AuralDsp_LevelsCallback, kSoundDspPriorityClear, nullptr);
    if (!unit) return FALSE;
    unit->active = 1;
  }
  SoundLink_Init(&so.idle);
  return TRUE;
}

void SoftwareOutput_Close() {
  SoftwareOutputState& so = SoftwareOutput;
  so.stopRequest = 1;
  AuralDsp_WaitForBlock();
  if (so.thread) {
    // Everything below is still in the thread's hands until it has really ended.
    WaitForSingleObject(so.thread, INFINITE);
    CloseHandle(so.thread);
    so.thread = nullptr;
  }
  if (SoundLink_Linked(&so.idle)) {
    while (!SoundLink_Empty(&so.idle)) SoundLink_Remove(so.idle.next);
  }
  AuralDsp_FreeAll();
  so.mixUnit = nullptr;
  if (SoundMixerDesc* desc = SoundEngine.mixerDesc) {
    SoundLock_Delete(desc->lock);
    desc->lock = nullptr;
    if (desc->close) desc->close();
    SOUND_FREE(desc->rawBuffer);
    desc->rawBuffer = nullptr;
    desc->buffer = nullptr;
    desc->blockIndex = 0;
    SoundEngine.blockLength = 0;
  }
  SoundEngine.mixerDesc = nullptr;
}

void SoftwareOutput_MixBlock(int offset, int length) {
  SoundMixerDesc* desc = SoundEngine.mixerDesc;
  SoundChannel* primary = SoundTables.primaryChannel;
  if (!desc || !primary || !primary->sample) return;
  SoftwareOutput.chainRunning = 1;
  void* block = reinterpret_cast<uint8_t*>(desc->buffer) +
                static_cast<size_t>(desc->channels) * (static_cast<size_t>(offset) * desc->bits / 8);
  void* handed = block;
  SoundLink* head = AuralDsp_ChainHead();
  for (SoundLink* l = head->next; l != head; l = l->next) {
    auto* unit = reinterpret_cast<SoundDspUnit*>(l);
    if (unit->active && unit->callback) handed = unit->callback(block, handed, length, unit->userData);
  }
  SoftwareOutput.chainRunning = 0;
}

// Mixes the block at the mixer's index and moves on; the caller measures the load.
static void MixNextBlock() {
  SoundMixerDesc* desc = SoundEngine.mixerDesc;
  SoftwareOutput_MixBlock(desc->blockIndex * SoundEngine.blockLength, SoundEngine.blockLength);
  ++SoftwareOutput.blocksMixed;
  desc->blockIndex = (desc->blockIndex + 1) % SoftwareOutput.blockCount;
}

// The mixer's own record of the loop: when the play cursor gets back into the block that
// was playing at the previous round, before that block could be mixed again, the device
// has played stale sound (an underrun). A restart of the output starts a new count.
static void AccountPlayed(uint32_t last, uint32_t now, uint32_t bufferLength, uint32_t blockLength) {
  SoftwareOutputState& so = SoftwareOutput;
  if (now < last) return;  // the output restarted from 0
  const uint32_t advance = now - last;
  so.samplesPlayed += advance;
  if (advance + last % blockLength >= bufferLength) ++so.underruns;
}

DWORD WINAPI SoftwareOutput_MixerThreadProc(void*) {
  SoftwareOutputState& so = SoftwareOutput;
  so.threadId = GetCurrentThreadId();
  so.threadEnded = 0;
  SoundMixerDesc* desc = SoundEngine.mixerDesc;
  SoundChannel* primary = SoundTables.primaryChannel;
  if (desc && primary) {
    desc->blockIndex = 0;
    const uint32_t bufferLength = static_cast<uint32_t>(SoundEngine.bufferLength);
    const uint32_t blockLength = static_cast<uint32_t>(SoundEngine.blockLength);
    bool first = true;
    uint32_t last = 0;
    while (!so.stopRequest && primary->sample) {
      const int position = primary->ops.getPosition(primary);
      SoundOutput_Watchdog(position);
      const uint32_t now = static_cast<uint32_t>(position);
      if (!first) AccountPlayed(last, now, bufferLength, blockLength);
      first = false;
      last = now;
      const int playing = static_cast<int>(now % bufferLength / blockLength);
      while (desc->blockIndex != playing && !so.stopRequest) {
        SoundClock_Stamp(&so.clock);
        MixNextBlock();
        SoundEngine.mixerCpu = static_cast<int32_t>(SoundClock_Elapsed(&so.clock, kMixerLoadWeight));
      }
      SoundEngine_Sleep(kMixerPollMs);
    }
  }
  so.threadId = 0;
  so.threadEnded = 1;
  return 0;
}

int SoftwareOutput_Update(int value) {
  if (!SoundEngine_IsNonRealtime() || !Active() || SoundTables.softwareChannels <= 0) return value;
  SoundClock_Stamp(&SoftwareOutput.clock);
  MixNextBlock();
  SoundEngine.mixerCpu = static_cast<int32_t>(SoundClock_Elapsed(&SoftwareOutput.clock, kMixerLoadWeight));
  return SoundEngine.mixerCpu;
}
