// Sample records, the sample table, allocation, freeing, locking and guard samples.
#include <cstring>

#include "aural_engine.h"
#include "music_song.h"
#include "sound_alloc.h"
#include "sound_output.h"
#include "sound_software.h"

static constexpr char kSoundFileTag[] = "src/aural_sample";

namespace {

constexpr uint32_t kModeDriverRequest = 0x100000;
constexpr uint32_t kModeDriver2d = 0x1000;

uint32_t NormaliseMode(uint32_t m, int index) {
  using namespace SoundMode;
  const SoundOutputDriver* d = SoundEngine.driver;
  if (!d->offersDriverChannels2d) {
    if ((m & kModeDriverRequest) && (m & kModeDriver2d)) m &= ~kModeDriverRequest;
    m &= ~kModeDriver2d;
  }
  if (!(m & (Mono | Stereo | MultiChannel))) m |= Mono;
  if (!(m & (Pcm8 | Pcm16))) m |= Pcm8;
  if (!(m & LoopBits)) m |= NoLoop;
  if ((m & kModeDriverRequest) && !(m & (DriverSample | kModeDriver2d))) m |= DriverSample;
  if (m & (No3d | DriverSample)) m &= ~kModeDriver2d;
  if (m & Pcm16) m &= ~Pcm8;
  if (m & Stereo) m &= ~(Mono | MultiChannel);
  if (m & DriverSample) m |= No3d;
  if (m & kModeDriverRequest) m |= StreamBuffer;
  const bool offersDriverSamples = d->offersDriverChannels2d || d->offersDriverChannels3d;
  if (index != kSoundSamplePrimary && !offersDriverSamples) m &= ~DriverSample;
  if (m & ImaAdpcm) m = (m & ~Pcm8) | Pcm16;
  return m;
}

// Makes room for `index` in the table; false without memory.
bool GrowTable(int index) {
  SoundEngineTables& t = SoundTables;
  if (index < t.sampleSlots) return true;
  // Whole steps of 256 slots; an index no table could hold fails like a failed growth.
  const int64_t wanted = (static_cast<int64_t>(index) / kSoundSampleTableGrowth + 1) * kSoundSampleTableGrowth;
  if (wanted * static_cast<int64_t>(sizeof(SoundSample*)) > INT32_MAX) return false;
  const int slots = static_cast<int>(wanted);
  auto* grown = static_cast<SoundSample**>(SoundMem_Realloc(t.samples, sizeof(SoundSample*) * slots, kSoundFileTag));
  if (!grown) return false;
  std::memset(grown + t.sampleSlots, 0, sizeof(SoundSample*) * (slots - t.sampleSlots));
  t.samples = grown;
  t.sampleSlots = slots;
  return true;
}

}  // namespace

int SoundSample_FrameBytes(uint32_t mode) {
  return ((mode & SoundMode::Pcm16) ? 2 : 1) * ((mode & SoundMode::Stereo) ? 2 : 1);
}

SoundSample* SoundSample_Create(int index, uint32_t mode) {
  SoundEngineTables& t = SoundTables;
  if (!SoundEngine.driver) {
    SoundError_Set(kSoundErrNotInitialised);
    return nullptr;
  }
  const bool unlisted = index == kSoundSampleUnlisted || index == kSoundSamplePrimary;
  if (!unlisted) {
    if (!t.samples) {
      SoundError_Set(kSoundErrNotInitialised);
      return nullptr;
    }
    if (index == -1) {
      index = 0;
      while (index < t.sampleSlots && t.samples[index]) ++index;
    }
    if (index < 0) {
      SoundError_Set(kSoundErrInvalidParam);
      return nullptr;
    }
    if (!GrowTable(index)) {
      SoundError_Set(kSoundErrNoMemory);
      return nullptr;
    }
    if (t.samples[index]) SoundSample_Free(t.samples[index]);
  }
  auto* s = static_cast<SoundSample*>(SOUND_CALLOC(sizeof(SoundSample)));
  if (!s) {
    SoundError_Set(kSoundErrNoMemory);
    return nullptr;
  }
  s->index = index;
  s->mode = NormaliseMode(mode, index);
  s->loopEnd = -1;
  s->maxPlaybacks = -1;
  s->channels = 1;
  s->frequency = 44100;
  s->volume = 255;
  s->pan = 128;
  s->priority = 255;
  s->baseRate = 8363;
  s->minDistance = 256;
  s->maxDistance = 256000000;
  NullOutput_FillSampleOps(s);
  if (s->mode & (kModeDriver2d | SoundMode::DriverSample))
    SoundEngine.driver->fillSampleOps(s);
  else
    SoftwareOutput_FillSampleOps(s);
  if (!unlisted) t.samples[index] = s;
  return s;
}

namespace {

// A sample whose stored data is always signed, with its whole length as the loop and
// `length` frames of data (none for an empty stream buffer); null with the error kept.
// A negative `channels` keeps the created count; the allocation sizes by it.
SoundSample* CreateSignedSample(int index, int length, uint32_t mode, int frequency, int volume, int pan,
                                int priority, int channels) {
  SoundSample* s = SoundSample_Create(index, mode);
  if (!s) return nullptr;
  s->mode = (s->mode & ~SoundMode::Unsigned) | SoundMode::Signed;
  s->length = length;
  s->loopStart = 0;
  s->loopLength = length;
  s->frequency = frequency;
  s->volume = volume;
  s->pan = pan;
  s->priority = priority;
  if (channels >= 0) s->channels = channels;
  if (length > 0 && !s->ops.allocate(s, length)) {
    const int32_t error = SoundError;
    SoundSample_Free(s);
    SoundError = error;
    return nullptr;
  }
  return s;
}

}  // namespace

SoundSample* SoundSample_Alloc(int index, int length, uint32_t mode, int frequency, int volume, int pan) {
  if (length <= 0) {
    SoundError_Set(kSoundErrInvalidParam);
    return nullptr;
  }
  return CreateSignedSample(index, length, mode, frequency, volume, pan, 255, -1);
}

SoundSample* SoundSample_AllocChannels(int index, int length, uint32_t mode, int frequency, int volume, int pan,
                                       int priority, int channels) {
  if (length <= 0 || channels < 1 || channels > kSoundMaxSampleChannels) {
    SoundError_Set(kSoundErrInvalidParam);
    return nullptr;
  }
  return CreateSignedSample(index, length, mode, frequency, volume, pan, priority, channels);
}

namespace {

// Stops every channel that plays the sample and waits until the mixer has let go of it.
void LetGo(SoundSample* sample) {
  SoundEngineTables& t = SoundTables;
  for (int i = 0; i < t.channelCount; ++i) {
    SoundChannel* ch = &t.channels[i];
    if (ch->sample == sample) Aural_StopChannel(i);
  }
  // The mixer may be inside a block that still reads the sample.
  for (bool used = true; used && !SoundEngine_IsNonRealtime();) {
    used = false;
    for (int i = 0; i < t.channelCount; ++i) used = used || t.channels[i].sample == sample;
    if (used) Sleep(1);
  }
}

}  // namespace

BOOL SoundSample_Reshape(SoundSample* s, uint32_t format, int channels) {
  using namespace SoundMode;
  constexpr uint32_t kFormatBits = Pcm8 | Pcm16 | Mono | Stereo | MultiChannel;
  LetGo(s);
  // The old data goes before the new is made: each may be large, both at once twice so.
  const uint32_t oldMode = s->mode;
  const int oldChannels = s->channels;
  s->ops.free(s);
  s->loopEnd = -1;  // no guard stands in the data that is gone
  s->mode = (s->mode & ~kFormatBits) | (format & kFormatBits);
  if (s->mode & Pcm16) s->mode &= ~Pcm8;
  if (s->mode & Stereo) s->mode &= ~(Mono | MultiChannel);
  s->channels = channels;
  BOOL ok = s->length <= 0 || s->ops.allocate(s, s->length);
  if (!ok) {
    s->mode = oldMode;
    s->channels = oldChannels;
    if (!s->ops.allocate(s, s->length)) s->length = s->loopStart = s->loopLength = 0;
    SoundError_Set(kSoundErrNoMemory);
  }
  SoundSample_RebuildGuards(s);
  return ok;
}

void SoundSample_Free(SoundSample* sample) {
  if (!sample) return;
  SoundEngineTables& t = SoundTables;
  LetGo(sample);
  Music_ForgetSample(sample);
  sample->ops.free(sample);
  if (sample->index >= 0 && sample->index < t.sampleSlots && t.samples && t.samples[sample->index] == sample)
    t.samples[sample->index] = nullptr;
  SOUND_FREE(sample);
}

BOOL SoundSample_Lock(SoundSample* sample, int offset, int length, void** ptr1, uint32_t* len1, void** ptr2,
                      uint32_t* len2) {
  SoundError_Begin();
  *ptr1 = *ptr2 = nullptr;
  *len1 = *len2 = 0;
  if (!sample || offset < 0 || length < 0) {
    SoundError_Set(kSoundErrInvalidParam);
    return FALSE;
  }
  return sample->ops.lock(sample, static_cast<uint32_t>(offset), static_cast<uint32_t>(length), ptr1, len1, ptr2, len2);
}

BOOL SoundSample_Unlock(SoundSample* sample, void* ptr1, uint32_t len1, void* ptr2, uint32_t len2) {
  SoundError_Begin();
  if (!sample) {
    SoundError_Set(kSoundErrInvalidParam);
    return FALSE;
  }
  return sample->ops.unlock(sample, ptr1, len1, ptr2, len2);
}

namespace {

// The layout the guards work on: `parts` channel parts of `frameBytes` per frame.
struct PartLayout {
  int parts, frameBytes, stride;
};

PartLayout LayoutOf(const SoundSample* s) {
  if (s->mode & SoundMode::MultiChannel) {
    const int parts = s->channels < 1 ? 1 : s->channels > kSoundMaxSampleChannels ? kSoundMaxSampleChannels : s->channels;
    return {parts, (s->mode & SoundMode::Pcm16) ? 2 : 1, SoundSample_PartStride(s)};
  }
  return {1, SoundSample_FrameBytes(s->mode), 0};
}

}  // namespace

int SoundSample_PartStride(const SoundSample* s) {
  constexpr int kPartGuard = 8;
  return s->length * ((s->mode & SoundMode::Pcm16) ? 2 : 1) + kPartGuard;
}

void SoundSample_RemoveGuards(SoundSample* s) {
  if (!s->data || s->loopEnd < 0) return;
  const PartLayout l = LayoutOf(s);
  auto* data = static_cast<uint8_t*>(s->data);
  for (int p = 0; p < l.parts; ++p)
    std::memcpy(data + static_cast<size_t>(p) * l.stride + static_cast<size_t>(s->loopEnd) * l.frameBytes,
                s->guardSaved + p * l.frameBytes, l.frameBytes);
  s->loopEnd = -1;
}

void SoundSample_RebuildGuards(SoundSample* s) {
  if (!s->data) return;
  SoundSample_RemoveGuards(s);
  int end = s->loopStart + s->loopLength;
  if (end > s->length || end < 0 || s->loopStart < 0) end = s->length;
  const int start = s->loopStart >= 0 && s->loopStart < end ? s->loopStart : 0;
  s->loopEnd = end;
  const PartLayout l = LayoutOf(s);
  const int fb = l.frameBytes;
  for (int p = 0; p < l.parts; ++p) {
    uint8_t* part = static_cast<uint8_t*>(s->data) + static_cast<size_t>(p) * l.stride;
    uint8_t* guard = part + static_cast<size_t>(end) * fb;
    std::memcpy(s->guardSaved + p * fb, guard, fb);
    if (s->mode & SoundMode::LoopForward)
      std::memcpy(guard, part + static_cast<size_t>(start) * fb, fb);
    else if ((s->mode & SoundMode::LoopPingPong) && end > 0)
      std::memcpy(guard, part + static_cast<size_t>(end - 1) * fb, fb);
    else
      std::memset(guard, 0, fb);
  }
}

SoundSample* SoundSample_CreateStreamBuffer(int /*ignored*/, int length, uint32_t mode, int frequency, int volume,
                                            int pan, int priority, int channels) {
  SoundError_Begin();
  if (length < 0) length = 0;
  return CreateSignedSample(kSoundSampleUnlisted, length, mode, frequency, volume, pan, priority, channels);
}

void SoundSample_SetMode(SoundSample* s, uint32_t mode) {
  SoundError_Begin();
  if (!s) {
    SoundError_Set(kSoundErrInvalidParam);
    return;
  }
  using namespace SoundMode;
  uint32_t loop = s->mode & LoopBits;
  if (mode & LoopForward)
    loop = LoopForward;
  else if (mode & LoopPingPong)
    loop = LoopPingPong;
  else if (mode & NoLoop)
    loop = NoLoop;
  s->mode = (s->mode & ~LoopBits) | loop;
  if (!(s->mode & (DriverSample | Sound3d))) s->mode = (s->mode & ~No3d) | (mode & No3d);
  SoundSample_RebuildGuards(s);
}

BOOL SoundSample_SetLoopPoints(SoundSample* s, int start, int end) {
  SoundError_Begin();
  if (!s || start < 0 || end < 0 || start >= s->length || start >= end) {
    SoundError_Set(kSoundErrInvalidParam);
    return FALSE;
  }
  if (end > s->length - 1) end = s->length - 1;
  s->loopStart = start;
  s->loopLength = end - start + 1;
  SoundSample_RebuildGuards(s);
  return TRUE;
}

BOOL SoundSample_SetMinMaxDistance(SoundSample* s, float minDistance, float maxDistance) {
  SoundError_Begin();
  if (!s || !(minDistance >= 0) || !(maxDistance >= 0) || maxDistance < minDistance) {
    SoundError_Set(kSoundErrInvalidParam);
    return FALSE;
  }
  s->minDistance = SoundMath_FloatToFixed8(minDistance);
  s->maxDistance = SoundMath_FloatToFixed8(maxDistance);
  return TRUE;
}

BOOL SoundSample_GetMinMaxDistance(SoundSample* s, float* minDistance, float* maxDistance) {
  SoundError_Begin();
  if (!s) {
    SoundError_Set(kSoundErrInvalidParam);
    return FALSE;
  }
  if (minDistance) *minDistance = static_cast<float>(s->minDistance) / 256.0f;
  if (maxDistance) *maxDistance = static_cast<float>(s->maxDistance) / 256.0f;
  return TRUE;
}

BOOL SoundSample_SetVariations(SoundSample* s, int frequency, int volume, int pan) {
  SoundError_Begin();
  if (!s) {
    SoundError_Set(kSoundErrInvalidParam);
    return FALSE;
  }
  if (frequency >= 0) s->frequencyVariation = frequency;
  if (volume >= 0) s->volumeVariation = volume;
  if (pan >= 0) s->panVariation = pan;
  return TRUE;
}

BOOL SoundSample_GetVariations(SoundSample* s, int* frequency, int* volume, int* pan) {
  SoundError_Begin();
  if (!s) {
    SoundError_Set(kSoundErrInvalidParam);
    return FALSE;
  }
  if (frequency) *frequency = s->frequencyVariation;
  if (volume) *volume = s->volumeVariation;
  if (pan) *pan = s->panVariation;
  return TRUE;
}
