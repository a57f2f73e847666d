// Software channel and sample operations: the channel state the inner loops read, and
// sample data with guard space around each channel part.
#include <cstring>

#include "aural_engine.h"
#include "sound_alloc.h"
#include "sound_output.h"
#include "sound_software.h"

static constexpr char kSoundFileTag[] = "src/sound_software";

namespace {
constexpr int IntegerSqrt(int n) {
  int r = 0;
  while ((r + 1) * (r + 1) <= n) ++r;
  return r;
}
struct PanTable {
  uint8_t v[256];
  constexpr PanTable() : v() {
    for (int p = 0; p < 256; ++p) v[p] = static_cast<uint8_t>(IntegerSqrt(256 * p));
  }
};
constexpr PanTable kPanTable;
static_assert(kPanTable.v[1] == 16 && kPanTable.v[240] == 247 && kPanTable.v[255] == 255, "pan law");
}  // namespace

// Entry p = integer square root of 256 x p.
const uint8_t (&SoundPanTable)[256] = kPanTable.v;

namespace {

constexpr int kMinHz = 200;
constexpr int64_t kMinHz256 = 25600;
constexpr int64_t kMaxHz256 = 180633600;
constexpr int kGuardFront = 16;
constexpr int kGuardTotal = 72;
constexpr int kMultiGuardExtra = 64;
constexpr int kPartGuard = 8;

CRITICAL_SECTION* MixerLock() { return SoundEngine.mixerDesc ? SoundEngine.mixerDesc->lock : nullptr; }

void SetStep(SoundChannel* ch, int64_t step) {
  ch->stepInt = static_cast<int32_t>(step >> 32);
  ch->stepFrac = static_cast<uint32_t>(step);
}

BOOL SwInit(SoundChannel* ch) {
  if (!(SoundEngine.initFlags & kSoundInitLevels) || SoundEngine.blockLength <= 0) return TRUE;
  const int blocks = SoundEngine.bufferLength / SoundEngine.blockLength;
  ch->levelHistory = static_cast<int32_t*>(SOUND_CALLOC(static_cast<size_t>(blocks) * 8));
  return ch->levelHistory != nullptr;
}

BOOL SwFree(SoundChannel* ch) {
  SOUND_FREE(ch->levelHistory);
  ch->levelHistory = nullptr;
  return TRUE;
}

BOOL SwSetSample(SoundChannel* ch, SoundSample* sample) {
  SoundLock_Enter(MixerLock());
  // A channel taken over while it plays leaves the mix until its start: the mixer must
  // never pair the new sample with the old data pointer.
  if (!(ch->flags & kChannelInSong)) {
    SoundLink_Remove(&ch->link);
    if (SoundLink_Linked(&SoftwareOutput.idle)) SoundLink_InsertBefore(&SoftwareOutput.idle, &ch->link);
  }
  ch->data = nullptr;
  ch->sample = sample;
  SoundLock_Leave(MixerLock());
  return TRUE;
}

BOOL SwStart(SoundDspUnit* unit, SoundChannel* ch, SoundSample* sample) {
  if (!unit) unit = SoftwareOutput.mixUnit;
  SoundLock_Enter(MixerLock());
  const int partBytes = SoundSample_PartStride(sample);
  int part = 0;
  for (SoundChannel* c = ch; c; c = c->nextLinked, ++part) {
    c->data = static_cast<const uint8_t*>(sample->data) + static_cast<size_t>(part) * partBytes;
    const int loopEnd = sample->loopStart + sample->loopLength;
    c->position = c->startOffset >= loopEnd ? 0 : c->startOffset;
    c->fraction = 0;
    c->direction = kChannelForward;
    c->startOffset = 0;
    if (!(c->flags & kChannelInSong) && unit) {
      SoundLink_Remove(&c->link);
      SoundLink_InsertBefore(&unit->channels, &c->link);
    }
    c->dspUnit = unit;
  }
  SoundLock_Leave(MixerLock());
  return TRUE;
}

BOOL SwStop(SoundChannel* ch) {
  SoundLock_Enter(MixerLock());
  SoundLink_Remove(&ch->link);
  if (SoundLink_Linked(&SoftwareOutput.idle)) SoundLink_InsertBefore(&SoftwareOutput.idle, &ch->link);
  ch->position = 0;
  ch->fraction = 0;
  ch->flags &= ~kChannelInSong;
  SoundLock_Leave(MixerLock());
  return TRUE;
}

BOOL SwSetFrequency(SoundChannel* ch, int hz) {
  int64_t f = static_cast<int64_t>(hz) * ch->frequencyScale;
  ch->direction = f < 0 ? kChannelBackward : kChannelForward;
  if (f < 0) f = -f;
  if (f < int64_t{kMinHz} * 256) f = int64_t{kMinHz} * 256;
  const int64_t rate = SoundEngine.mixRate;
  const int64_t whole = f / 256;
  const int64_t fraction = (whole % rate) * 65536 / rate;
  SetStep(ch, (whole / rate) << 32 | (fraction << 16));
  return TRUE;
}

BOOL SwSetFrequency256(SoundChannel* ch, int value) {
  int64_t v = static_cast<int64_t>(value) * ch->frequencyScale / 256;
  ch->direction = v < 0 ? kChannelBackward : kChannelForward;
  if (v < 0) v = -v;
  if (v < kMinHz256) v = kMinHz256;
  if (v > kMaxHz256) v = kMaxHz256;
  SetStep(ch, (v << 24) / SoundEngine.mixRate);
  return TRUE;
}

BOOL SwSetVolume(SoundChannel* ch, int volume) {
  ch->driverVolume = volume;
  SoftwareOutput_ComputeGains(ch, volume);
  return TRUE;
}

BOOL SwSetPan(SoundChannel* ch, int pan) {
  ch->driverPan = pan;
  SoftwareOutput_ComputeGains(ch, ch->driverVolume);
  return TRUE;
}

BOOL SwSetPosition(SoundChannel* ch, int position) {
  if (!ch->sample || position < 0 || position >= ch->sample->length) {
    SoundError_Set(kSoundErrInvalidParam);
    return FALSE;
  }
  ch->position = position;
  ch->fraction = 0;
  return TRUE;
}

int SwGetPosition(SoundChannel* ch) { return ch->position; }

int ClampLevel(int v) {
  v /= 256;
  return v < 0 ? 0 : v > 256 ? 256 : v;
}

BOOL SwGetLevels(SoundChannel* ch, int* left, int* right) {
  int l = 0, r = 0;
  if ((SoundEngine.initFlags & kSoundInitLevels) && ch->levelHistory && SoundEngine.mixerDesc) {
    int next = SoundEngine.mixerDesc->blockIndex + 1;
    if (next >= SoftwareOutput.blockCount) next = 0;
    l = ch->levelHistory[next * 2];
    r = ch->levelHistory[next * 2 + 1];
  } else {
    SoundMix_GetLevels(ch, SoundEngine.blockLength, &l, &r);
  }
  *left = ClampLevel(l);
  *right = ClampLevel(r);
  return TRUE;
}

BOOL SwIsPlaying(SoundChannel* ch) { return ch->sample != nullptr; }

// The engine update recomputes positional sound only for paused channels; playing ones
// follow Aural_Set3DAttributes.
BOOL SwUpdate3d(SoundChannel* ch) { return (ch->flags & kChannelPaused) ? SoundChannel_Update3D(ch) : TRUE; }

// Sample operations.
int64_t DataBytes64(const SoundSample* s, int length) {
  using namespace SoundMode;
  int64_t bytes = static_cast<int64_t>(length) * ((s->mode & Pcm16) ? 2 : 1);
  if (s->mode & Stereo)
    bytes *= 2;
  else if (s->mode & MultiChannel)
    bytes *= s->channels;
  return bytes;
}

BOOL SwAllocate(SoundSample* s, int length) {
  using namespace SoundMode;
  if (s->mode & (ImaAdpcm | Block28)) {
    SoundError_Set(kSoundErrUnknownFormat);
    return FALSE;
  }
  const bool multi = (s->mode & MultiChannel) != 0;
  if (length < 0 || (multi && (s->channels < 1 || s->channels > kSoundMaxSampleChannels))) {
    SoundError_Set(kSoundErrInvalidParam);
    return FALSE;
  }
  // 64-bit sums: a length taken from a file must not wrap into a small block.
  const int64_t bytes = DataBytes64(s, length);
  const int64_t block = multi ? bytes + static_cast<int64_t>(s->channels) * kPartGuard + kMultiGuardExtra
                              : bytes + kGuardTotal;
  if (block > INT32_MAX) {
    SoundError_Set(kSoundErrNoMemory);
    return FALSE;
  }
  s->outputData = SOUND_CALLOC(static_cast<size_t>(block));
  // A stream's ring is locked a half at a time: its lock window is made now, so the
  // streamer never waits on memory.
  const bool window = multi && (s->mode & StreamBuffer);
  const int64_t half = DataBytes64(s, length - length / 2);
  if (window && s->outputData && half > 0) s->lockBuffer = SOUND_CALLOC(static_cast<size_t>(half));
  s->lockBufferBytes = s->lockBuffer ? static_cast<int32_t>(half) : 0;
  if (!s->outputData || (window && half > 0 && !s->lockBuffer)) {
    SOUND_FREE(s->outputData);
    s->outputData = nullptr;
    SoundError_Set(kSoundErrNoMemory);
    return FALSE;
  }
  s->data = static_cast<uint8_t*>(s->outputData) + kGuardFront;
  return TRUE;
}

void SwFreeData(SoundSample* s) {
  SOUND_FREE(s->outputData);
  SOUND_FREE(s->lockBuffer);
  s->outputData = s->data = s->lockBuffer = nullptr;
  s->lockBufferBytes = 0;
}

// Splits [offset, offset + length) of a ring of `size` bytes into at most two parts.
void SplitRange(uint8_t* base, uint32_t size, uint32_t offset, uint32_t length, void** p1, uint32_t* l1, void** p2,
                uint32_t* l2) {
  offset %= size;
  if (length > size) length = size;
  *p1 = base + offset;
  *l1 = length <= size - offset ? length : size - offset;
  *p2 = *l1 < length ? base : nullptr;
  *l2 = length - *l1;
}

// Element e of interleaved multi-channel data is frame e / channels of part e % channels:
// `bytes` of the lock window at `at` hold the data from byte `ringAt` of the sample on.
template <typename Fn>
void ForElements(const SoundSample* s, uint8_t* at, uint32_t ringAt, uint32_t bytes, Fn fn) {
  const int w = (s->mode & SoundMode::Pcm16) ? 2 : 1;
  const uint32_t first = ringAt / w, channels = static_cast<uint32_t>(s->channels);
  const size_t stride = static_cast<size_t>(SoundSample_PartStride(s));
  uint32_t part = first % channels, frame = first / channels % static_cast<uint32_t>(s->length);
  auto* data = static_cast<uint8_t*>(s->data);
  for (uint32_t i = 0; i < bytes / w; ++i) {
    fn(at + static_cast<size_t>(i) * w, data + part * stride + static_cast<size_t>(frame) * w, w);
    if (++part == channels) {
      part = 0;
      if (++frame == static_cast<uint32_t>(s->length)) frame = 0;
    }
  }
}

// Where a byte of the lock window lies in the sample: the window holds the locked range
// from the lock offset on, wrapping at the sample's end.
uint32_t RingOffset(const SoundSample* s, const void* p, uint32_t size) {
  const auto from = static_cast<uint64_t>(static_cast<const uint8_t*>(p) - static_cast<const uint8_t*>(s->lockBuffer));
  return static_cast<uint32_t>((static_cast<uint64_t>(s->lockOffset) + from) % size);
}

BOOL SwLock(SoundSample* s, uint32_t offset, uint32_t length, void** p1, uint32_t* l1, void** p2, uint32_t* l2) {
  const int64_t size = DataBytes64(s, s->length);
  if (!s->data || size <= 0 || offset >= size) {
    SoundError_Set(kSoundErrInvalidParam);
    return FALSE;
  }
  // The guard frames go back while the caller writes; unlock rebuilds them.
  SoundSample_RemoveGuards(s);
  if (!(s->mode & SoundMode::MultiChannel)) {
    SplitRange(static_cast<uint8_t*>(s->data), static_cast<uint32_t>(size), offset, length, p1, l1, p2, l2);
    s->lockOffset = static_cast<int32_t>(offset % size);
    return TRUE;
  }
  if (s->lockInUse) {
    SoundError_Set(kSoundErrInvalidParam);
    return FALSE;
  }
  // The caller writes interleaved data into a window as large as the range it locks
  // (a stream's ring keeps one of half its size, what the streamer locks each time).
  const uint32_t want = length < size ? length : static_cast<uint32_t>(size);
  if (!s->lockBuffer || static_cast<uint32_t>(s->lockBufferBytes) < want) {
    SOUND_FREE(s->lockBuffer);
    s->lockBuffer = SOUND_CALLOC(want > 0 ? want : 1);
    s->lockBufferBytes = s->lockBuffer ? static_cast<int32_t>(want) : 0;
  }
  if (!s->lockBuffer) {
    SoundError_Set(kSoundErrNoMemory);
    return FALSE;
  }
  auto* window = static_cast<uint8_t*>(s->lockBuffer);
  s->lockOffset = static_cast<int32_t>(offset);
  *p1 = window;
  *l1 = want <= size - offset ? want : static_cast<uint32_t>(size - offset);
  *p2 = *l1 < want ? window + *l1 : nullptr;
  *l2 = want - *l1;
  // The caller sees the present data interleaved, so a partial write keeps the rest.
  auto gather = [](uint8_t* buffer, const uint8_t* part, int w) { std::memcpy(buffer, part, w); };
  ForElements(s, window, offset, want, gather);
  s->lockInUse = 1;
  return TRUE;
}

BOOL SwUnlock(SoundSample* s, void* p1, uint32_t l1, void* p2, uint32_t l2) {
  if ((s->mode & SoundMode::MultiChannel) && s->lockInUse && s->lockBuffer) {
    const auto* base = static_cast<const uint8_t*>(s->lockBuffer);
    const auto size = static_cast<uint32_t>(DataBytes64(s, s->length));
    auto scatter = [](uint8_t* buffer, uint8_t* part, int w) { std::memcpy(part, buffer, w); };
    // Only ranges inside the lock window are taken back.
    auto takeBack = [&](void* p, uint32_t l) {
      auto* b = static_cast<uint8_t*>(p);
      if (b && b >= base && b + l <= base + s->lockBufferBytes) ForElements(s, b, RingOffset(s, b, size), l, scatter);
    };
    takeBack(p1, l1);
    takeBack(p2, l2);
    s->lockInUse = 0;
    if (!(s->mode & SoundMode::StreamBuffer)) {
      SOUND_FREE(s->lockBuffer);
      s->lockBuffer = nullptr;
      s->lockBufferBytes = 0;
    }
  }
  SoundSample_RebuildGuards(s);
  return TRUE;
}

}  // namespace

void SoftwareOutput_ComputeGains(SoundChannel* ch, int volume) {
  const int v = (ch->flags & kChannelMuted) ? 0 : volume;
  const int pan = ch->driverPan;
  if (pan == -1) {
    ch->leftGain = ch->rightGain = ch->monoGain = v;
    return;
  }
  const int p = pan < 0 ? 0 : pan > 255 ? 255 : pan;
  const int a = ch->volumeScale * v / 255;
  ch->leftGain = SoundPanTable[255 - p] * a / 255;
  ch->rightGain = SoundPanTable[p] * a / 255;
  ch->monoGain = (ch->leftGain + ch->rightGain) / 2;
}

void SoftwareOutput_FillChannelOps(SoundChannel* ch) {
  SoundChannelOps& o = ch->ops;
  o.init = SwInit;
  o.free = SwFree;
  o.setSample = SwSetSample;
  o.start = SwStart;
  o.stop = SwStop;
  o.setFrequency = SwSetFrequency;
  o.setFrequency256 = SwSetFrequency256;
  o.setVolume = SwSetVolume;
  o.setPan = SwSetPan;
  o.setPosition = SwSetPosition;
  o.getPosition = SwGetPosition;
  o.getLevels = SwGetLevels;
  o.isPlaying = SwIsPlaying;
  o.update3d = SwUpdate3d;
  // spare, pause and set-mode keep the null operations.
  SoundLink_Remove(&ch->link);
  if (SoundLink_Linked(&SoftwareOutput.idle)) SoundLink_InsertBefore(&SoftwareOutput.idle, &ch->link);
}

void SoftwareOutput_FillSampleOps(SoundSample* s) {
  s->ops.allocate = SwAllocate;
  s->ops.free = SwFreeData;
  s->ops.upload = nullptr;
  s->ops.lock = SwLock;
  s->ops.unlock = SwUnlock;
}
