// Channel records, handles, stopping and the primary channel.
#include <cstring>

#include "aural_engine.h"
#include "sound_output.h"

static constexpr int32_t kSerialMax = 0x7FFFF;
static constexpr int kHandleIndexBits = 12;
static constexpr int32_t kHandleIndexMask = 0xFFF;
static constexpr int32_t kHandleSerialMask = 0x7FFFF000;
static constexpr int32_t kDefaultMinDistance = 256;            // 1.0 x256
static constexpr int32_t kDefaultMaxDistance = 256000000;      // 1000000.0 x256

void SoundChannel_InitRecord(SoundChannel* ch, int index) {
  std::memset(ch, 0, sizeof(*ch));
  NullOutput_FillChannelOps(ch);
  ch->index = index;
  ch->serial = 1;
  ch->volume = 255;
  ch->frequency = 44100;
  ch->pan = 128;
  ch->minDistance = kDefaultMinDistance;
  ch->maxDistance = kDefaultMaxDistance;
  ch->volumeScale = 255;
  ch->frequencyScale = 256;
  ch->direction = kChannelForward;
}

static bool IsPrimaryHandle(int handle) { return static_cast<int16_t>(handle & 0xFFFF) == kChannelPrimary; }

SoundChannel* Aural_GetChannel(int handle) {
  const SoundEngineTables& t = SoundTables;
  if (!t.channels) {
    SoundError_Set(kSoundErrNotInitialised);
    return nullptr;
  }
  if (IsPrimaryHandle(handle)) return t.primaryChannel;
  const int index = handle & kHandleIndexMask;
  if (handle < 0 || index >= t.channelCount) {
    SoundError_Set(kSoundErrInvalidParam);
    return nullptr;
  }
  SoundChannel* ch = &t.channels[index];
  if ((handle & kHandleSerialMask) && ch->handle != handle) {
    SoundError_Set(kSoundErrInvalidParam);
    return nullptr;
  }
  return ch;
}

int SoundChannel_NewHandle(int index) {
  if (index == kChannelPrimary) return kChannelPrimary;
  if (index < 0 || index >= SoundTables.channelCount) return -1;
  SoundChannel* ch = &SoundTables.channels[index];
  ch->handle = index | (ch->serial << kHandleIndexBits);
  if (++ch->serial > kSerialMax) ch->serial = 1;
  return ch->handle;
}

static void StopOne(SoundChannel* head) {
  for (SoundChannel* ch = head; ch;) {
    SoundChannel* next = ch->nextLinked;
    ch->flags |= kChannelStopping;
    SoundChannel_NewHandle(ch->index);
    ch->ops.stop(ch);
    ch->flags &= ~kChannelStopping;
    ch->sample = nullptr;
    ch->priority = 0;
    ch->linked = 0;
    ch->nextLinked = nullptr;
    ch = next;
  }
}

void Aural_StopChannel(int handle) {
  SoundError_Begin();
  if (!SoundEngine.initialised) {
    SoundError_Set(kSoundErrNotInitialised);
    return;
  }
  if (handle == kChannelAll) {
    for (int i = 0; i < SoundTables.channelCount; ++i) StopOne(&SoundTables.channels[i]);
    return;
  }
  if (SoundChannel* ch = Aural_GetChannel(handle)) StopOne(ch);
}

BOOL SoundChannel_StartPrimary() {
  SoundChannel* ch = SoundTables.primaryChannel;
  SoundSample* sample = SoundTables.primarySample;
  if (!ch || !sample) {
    SoundError_Set(kSoundErrInvalidParam);
    return FALSE;
  }
  if (!ch->ops.setSample(ch, sample)) {
    SoundError_Set(kSoundErrNoChannel);
    return FALSE;
  }
  ch->priority = sample->priority;
  ch->mode = sample->mode;
  ch->frequency = sample->frequency;
  ch->ops.setFrequency(ch, sample->frequency);
  ch->ops.setVolume(ch, sample->volume);
  ch->ops.setPan(ch, -1);
  ch->flags |= kChannelPaused;
  if (!ch->ops.start(nullptr, ch, sample)) {
    if (SoundError == kSoundErrNone) SoundError_Set(kSoundErrPlaybackStart);
    return FALSE;
  }
  ch->flags = (ch->flags & ~kChannelPaused) | kChannelReserved;
  return TRUE;
}
