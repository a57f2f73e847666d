// Channel allocation (the free-channel search with priorities and stealing) and playing
// a sample on one channel or, for interleaved multi-channel data, on a chain of them.
#include <cstdlib>

#include "aural_engine.h"
#include "sound_software.h"

namespace {

constexpr int kNoPriority = 1000;       // the search's starting "best"
constexpr int kStealablePriority = 256;
constexpr int kMinVariedHz = 101;
constexpr int kHandleSerialMask = 0x7FFFF000;
constexpr uint32_t kModeDriverSamples = SoundMode::Sound3d | SoundMode::DriverSample;

bool IsDriverSample(const SoundSample* s) { return s && s->driverData; }

bool InSoftwareRange(int index) { return index >= 0 && index < SoundTables.softwareChannels; }

int Vary(int value, int variation) {
  return variation > 0 ? value + std::rand() % (2 * variation) - variation : value;
}

int Clip255(int v) { return v < 0 ? 0 : v > 255 ? 255 : v; }

// One pass through the range from its next index: a silent channel at once, else the
// least important playing one (lowest priority, then the quieter).
SoundChannel* Search(SoundChannelRange* range, SoundSample* sample, int priority, int excluded, bool stopSame) {
  SoundEngineTables& t = SoundTables;
  if (range->last < range->first) {
    SoundError_Set(kSoundErrNoChannel);
    return nullptr;
  }
  if (stopSame && sample && (sample->mode & SoundMode::StreamBuffer)) {
    for (int i = range->first; i <= range->last; ++i)
      if (t.channels[i].sample == sample) {
        Aural_StopChannel(i);
        break;
      }
  }
  const int size = range->last - range->first + 1;
  int start = range->next;
  if (start < range->first || start > range->last) start = range->first;
  int best = kNoPriority, found = -1, foundGain = 0;
  for (int n = 0, i = start; n < size; ++n, i = i == range->last ? range->first : i + 1) {
    SoundChannel* ch = &t.channels[i];
    if ((ch->flags & (kChannelReserved | kChannelStopping)) || i == excluded) continue;
    if (!ch->ops.isPlaying(ch)) {
      best = 0;
      found = i;
      break;
    }
    if (ch->priority >= kStealablePriority) continue;
    if (ch->priority < best || (ch->priority == best && ch->monoGain < foundGain)) {
      best = ch->priority;
      found = i;
      foundGain = ch->monoGain;
    }
  }
  if (found < 0 || priority < best) {
    SoundError_Set(kSoundErrNoChannel);
    return nullptr;
  }
  range->next = found == range->last ? range->first : found + 1;
  return &t.channels[found];
}

// Takes a linked channel out of its chain, so the chain's head no longer reaches it.
void Unchain(SoundChannel* ch) {
  for (int i = 0; i < SoundTables.channelCount; ++i)
    if (SoundTables.channels[i].nextLinked == ch) SoundTables.channels[i].nextLinked = ch->nextLinked;
  ch->linked = 0;
  ch->nextLinked = nullptr;
}

}  // namespace

SoundChannel* Aural_PlaySoundInternal(int channel, SoundChannelRange* range, SoundSample* sample, int priority,
                                      int excludedIndex, BOOL stopSameSample) {
  SoundEngineTables& t = SoundTables;
  if (!SoundEngine.initialised || !t.channels) {
    SoundError_Set(kSoundErrNotInitialised);
    return nullptr;
  }
  SoundChannel* ch = nullptr;
  if (channel == kChannelPrimary) {
    ch = t.primaryChannel;
  } else if (channel != kChannelFree) {
    // A stale handle must not take over a channel that now plays something else.
    if (channel < -1 || (channel & 0xFFF) >= t.channelCount) {
      SoundError_Set(kSoundErrInvalidParam);
      return nullptr;
    }
    ch = Aural_GetChannel(channel);
  }
  if (channel != kChannelFree && !ch) {
    SoundError_Set(kSoundErrInvalidParam);
    return nullptr;
  }
  if (ch && ch->index >= 0 && IsDriverSample(sample) == InSoftwareRange(ch->index)) {
    SoundError_Set(kSoundErrNoChannel);
    return nullptr;
  }
  if (!ch) {
    if (!range) {
      SoundError_Set(kSoundErrInvalidParam);
      return nullptr;
    }
    ch = Search(range, sample, priority, excludedIndex, stopSameSample != FALSE);
    if (!ch) return nullptr;
  }
  if (ch->nextLinked && !ch->linked) Aural_StopChannel(ch->index);
  if (ch->linked) Unchain(ch);
  if (!ch->ops.setSample(ch, sample)) {
    SoundError_Set(kSoundErrNoChannel);
    return nullptr;
  }
  ch->flags |= kChannelConfiguring;
  ch->priority = priority;
  ch->volumeScale = 255;
  ch->frequencyScale = 256;
  ch->nextLinked = nullptr;
  ch->frequency = -1;
  if (sample) {
    ch->mode = sample->mode;
    ch->minDistance = sample->minDistance;
    ch->maxDistance = sample->maxDistance;
    int hz = Vary(sample->frequency, sample->frequencyVariation);
    if (sample->frequencyVariation > 0 && hz < kMinVariedHz) hz = kMinVariedHz;
    const int volume = Clip255(Vary(sample->volume, sample->volumeVariation));
    const int pan = sample->pan == -1 ? -1 : Clip255(Vary(sample->pan, sample->panVariation));
    Aural_SetChannelRate(ch->index, hz);
    Aural_SetVolume(ch->index, volume);
    Aural_SetPan(ch->index, pan);
    const SoundListener& l = t.listener;
    for (int i = 0; i < 3; ++i) {
      ch->position3d[i] = l.position[i];
      ch->velocity3d[i] = 0;
    }
    if (sample->data) SoundChannel_Update3D(ch);
  }
  ch->flags &= ~kChannelConfiguring;
  return ch;
}

static int CountPlaying(const SoundSample* sample) {
  int n = 0;
  for (int i = 0; i < SoundTables.channelCount; ++i)
    if (SoundTables.channels[i].sample == sample && !SoundTables.channels[i].linked) ++n;
  return n;
}

// Takes the head channel and, for multi-channel data, count - 1 further channels chained
// behind it. Null when any of them cannot be had (nothing is left half-allocated).
static SoundChannel* Allocate(int first, const int* list, int count, SoundSample* sample) {
  SoundEngineTables& t = SoundTables;
  SoundChannelRange* range = IsDriverSample(sample) ? &t.ranges[(sample->mode & SoundMode::Sound3d) ? 1 : 2]
                                                    : &t.ranges[0];
  SoundChannel* head = Aural_PlaySoundInternal(first, range, sample, sample->priority, -1, TRUE);
  if (!head) return nullptr;
  if (!(sample->mode & SoundMode::MultiChannel) || count <= 1 || IsDriverSample(sample)) return head;
  head->flags |= kChannelReserved;
  SoundChannel* tail = head;
  bool ok = true;
  for (int i = 1; i < count && ok; ++i) {
    // Only the head stops an earlier play of a stream's ring: the parts would stop the head.
    SoundChannel* ch = Aural_PlaySoundInternal(list[i], range, sample, sample->priority, tail->index, FALSE);
    if (!ch) {
      ok = false;
      break;
    }
    ch->flags |= kChannelReserved;
    ch->linked = 1;
    tail->nextLinked = ch;
    tail = ch;
  }
  for (SoundChannel* ch = head; ch; ch = ch->nextLinked) ch->flags &= ~kChannelReserved;
  if (!ok) {
    const int32_t error = SoundError;
    Aural_StopChannel(head->index);
    SoundError_Set(error);
    return nullptr;
  }
  return head;
}

// Plays on one channel; the handle, or -1.
static int PlayOne(int first, const int* list, int count, SoundSample* sample, SoundDspUnit* unit,
                   BOOL startPaused) {
  SoundChannel* head = Allocate(first, list, count, sample);
  if (!head) return -1;
  head->flags |= kChannelPaused;
  if (!head->ops.start(unit, head, sample)) {
    Aural_StopChannel(head->index);
    SoundError_Set(kSoundErrPlaybackStart);
    return -1;
  }
  Aural_SetPaused(head->index, startPaused);
  if (head->index != kChannelPrimary && first >= 0 && (first & kHandleSerialMask)) return head->handle;
  return SoundChannel_NewHandle(head->index);
}

int Aural_PlaySoundOnList(const int* list, int count, SoundSample* sample, SoundDspUnit* unit, BOOL startPaused) {
  SoundError_Begin();
  if (!SoundEngine.initialised) {
    SoundError_Set(kSoundErrNotInitialised);
    return -1;
  }
  if (!sample || !list || count < 1 || count > kSoundMaxPlayList) {
    SoundError_Set(kSoundErrInvalidParam);
    return -1;
  }
  if (unit) {
    if (!AuralDsp_IsInChain(unit)) {
      SoundError_Set(kSoundErrInvalidParam);
      return -1;
    }
    AuralDsp_WaitForBlock();
    unit->userData = unit;
    unit->callback = AuralDsp_MixCallback;
  } else {
    unit = SoftwareOutput.mixUnit;
  }
  if (list[0] == kChannelAll) {
    int handle = -1;
    for (int i = 0; i < SoundTables.channelCount; ++i) handle = PlayOne(i, list, 1, sample, unit, startPaused);
    return handle;
  }
  if (sample->maxPlaybacks >= 0 && CountPlaying(sample) >= sample->maxPlaybacks) {
    SoundError_Set(kSoundErrNoChannel);
    return -1;
  }
  return PlayOne(list[0], list, count, sample, unit, startPaused);
}

// The number of channels a sample plays on: its channel count for interleaved data of
// the software mixer, else one.
static int ChannelsFor(const SoundSample* sample) {
  if (!sample || !(sample->mode & SoundMode::MultiChannel) || (sample->mode & kModeDriverSamples)) return 1;
  return sample->channels;
}

// A list of as many entries as the sample takes: the caller's channel, then any free ones.
static int PlayThroughList(int channel, SoundSample* sample, BOOL paused) {
  int list[kSoundMaxPlayList];
  const int count = ChannelsFor(sample);
  for (int i = 0; i < kSoundMaxPlayList; ++i) list[i] = kChannelFree;
  list[0] = channel;
  return Aural_PlaySoundOnList(list, count, sample, nullptr, paused);
}

int Aural_PlaySoundPaused(int /*ignored*/, SoundSample* sample) { return PlayThroughList(kChannelFree, sample, TRUE); }

int Aural_PlaySound(int channel, SoundSample* sample) { return PlayThroughList(channel, sample, FALSE); }
