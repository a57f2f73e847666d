// Channel records, handles, stopping, the per-channel settings and the primary channel.
#include <cstring>

#include "aural_engine.h"
#include "aural_sample.h"
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
  if (IsPrimaryHandle(handle)) {
    if (!t.primaryChannel) SoundError_Set(kSoundErrInvalidParam);  // no software channel
    return t.primaryChannel;
  }
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

// Runs `fn(channel, head)` on one channel or all (-3), with the linked channels where the
// argument has serial bits or is -3. Fails with error 2 or 14; otherwise the last
// per-channel result.
template <typename Fn>
static BOOL ForChannels(int handle, Fn fn) {
  SoundError_Begin();
  if (!SoundEngine.initialised) {
    SoundError_Set(kSoundErrNotInitialised);
    return FALSE;
  }
  auto walk = [&](SoundChannel* head, bool chain) {
    BOOL result = fn(head, head);
    if (chain)
      for (SoundChannel* ch = head->nextLinked; ch; ch = ch->nextLinked) result = fn(ch, head);
    return result;
  };
  if (handle == kChannelAll) {
    BOOL result = TRUE;
    for (int i = 0; i < SoundTables.channelCount; ++i)
      if (!SoundTables.channels[i].linked) result = walk(&SoundTables.channels[i], true);
    return result;
  }
  SoundChannel* ch = Aural_GetChannel(handle);
  if (!ch) return FALSE;
  return walk(ch, !IsPrimaryHandle(handle) && (handle & kHandleSerialMask) != 0);
}

static int Clip255(int v) { return v < 0 ? 0 : v > 255 ? 255 : v; }

BOOL Aural_SetChannelRate(int handle, int hz) {
  return ForChannels(handle, [hz](SoundChannel* ch, SoundChannel*) {
    if (ch->frequency == hz) return TRUE;
    ch->frequency = hz;
    return ch->ops.setFrequency(ch, hz);
  });
}

static BOOL SetVolumeWith(int handle, int volume, bool absolute) {
  volume = Clip255(volume);
  return ForChannels(handle, [=](SoundChannel* ch, SoundChannel* head) {
    ch->volume = volume;
    ch->flags = absolute ? ch->flags | kChannelAbsoluteVolume : ch->flags & ~kChannelAbsoluteVolume;
    if (head->flags & kChannelMuted) return TRUE;
    return ch->ops.setVolume(ch, absolute ? volume : volume * SoundEngine.sfxMasterVolume / 255);
  });
}

BOOL Aural_SetVolume(int handle, int volume) { return SetVolumeWith(handle, volume, false); }
BOOL Aural_SetVolumeAbsolute(int handle, int volume) { return SetVolumeWith(handle, volume, true); }

int Aural_GetVolume(int handle) {
  SoundError_Begin();
  const SoundChannel* ch = Aural_GetChannel(handle);
  return ch ? ch->volume : 0;
}

static BOOL SetPanWith(int handle, int pan, bool separation) {
  if (pan != -1) pan = Clip255(pan);
  int driverPan = pan;
  if (pan != -1 && separation) driverPan = ((pan - 128) * SoundEngine.panSeparation + 0x8000) >> 8;
  return ForChannels(handle, [driverPan](SoundChannel* ch, SoundChannel*) {
    ch->pan = driverPan;
    return ch->ops.setPan(ch, driverPan);
  });
}

BOOL Aural_SetPan(int handle, int pan) { return SetPanWith(handle, pan, true); }
BOOL SoundChannel_SetPanRaw(int handle, int pan) { return SetPanWith(handle, pan, false); }

BOOL Aural_SetPaused(int handle, BOOL paused) {
  return ForChannels(handle, [paused](SoundChannel* ch, SoundChannel*) {
    const BOOL result = ch->ops.pause(ch, paused);
    ch->flags = paused ? ch->flags | kChannelPaused : ch->flags & ~kChannelPaused;
    return result;
  });
}

BOOL Aural_GetPaused(int handle) {
  SoundError_Begin();
  const SoundChannel* ch = Aural_GetChannel(handle);
  return ch && (ch->flags & kChannelPaused) ? TRUE : FALSE;
}

static BOOL SetFlag(int handle, uint32_t flag, BOOL on) {
  return ForChannels(handle, [=](SoundChannel* ch, SoundChannel*) {
    ch->flags = on ? ch->flags | flag : ch->flags & ~flag;
    return TRUE;
  });
}

BOOL SoundChannel_SetFlag4(int handle, BOOL on) { return SetFlag(handle, kChannelFlag4, on); }
BOOL SoundChannel_SetFlag8(int handle, BOOL on) { return SetFlag(handle, kChannelReserved, on); }

BOOL SoundChannel_SetLoopBits(int handle) {
  return ForChannels(handle, [](SoundChannel* ch, SoundChannel*) {
    ch->mode = (ch->mode & ~SoundMode::LoopBits) | SoundMode::NoLoop;
    return ch->ops.setMode(ch, ch->mode);
  });
}

BOOL SoundChannel_ResetPosition(int handle) {
  bool failed = false;
  const BOOL result = ForChannels(handle, [&failed](SoundChannel* ch, SoundChannel*) {
    if (failed) return FALSE;
    if (!ch->sample || ch->sample->length <= 0) {
      SoundError_Set(kSoundErrInvalidParam);
      failed = true;
      return FALSE;
    }
    return ch->ops.setPosition(ch, 0);
  });
  return failed ? FALSE : result;
}

int SoundChannel_GetPosition(int handle) {
  SoundError_Begin();
  SoundChannel* ch = Aural_GetChannel(handle);
  return ch ? ch->ops.getPosition(ch) : 0;
}

SoundSample* SoundChannel_GetSample(int handle) {
  SoundError_Begin();
  SoundChannel* ch = Aural_GetChannel(handle);
  return ch ? ch->sample : nullptr;
}

BOOL SoundChannel_QueryState(int handle) {
  SoundError_Begin();
  SoundChannel* ch = Aural_GetChannel(handle);
  return ch ? ch->ops.isPlaying(ch) : FALSE;
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
