// Voices: engine channels a song takes for its notes, and the apply step that carries a
// voice's pending changes to its engine channel.
#include "music_player.h"
#include "sound_alloc.h"
#include "sound_software.h"

static constexpr char kSoundFileTag[] = "src/music_voice";

namespace {

constexpr int kVoicePriority = 255;
constexpr int32_t kInitialEnvelopeVolume = 64;
constexpr int32_t kInitialEnvelopePan = 32;
constexpr int32_t kInitialFade = 1024;

// One voice per engine channel index; made when the first song takes a channel and
// given up when the engine closes.
MusicVoice* g_voices = nullptr;
int g_voiceCount = 0;

CRITICAL_SECTION* MixerLock() { return SoundEngine.mixerDesc ? SoundEngine.mixerDesc->lock : nullptr; }

bool IsVoice(const SoundLink* l) {
  const auto* v = reinterpret_cast<const MusicVoice*>(l);
  return g_voices && v >= g_voices && v < g_voices + g_voiceCount;
}

// A voice's engine channel always mixes in its song: a stop (the engine's, or a freed
// sample's) sends the channel to the idle list, so it is taken back before it plays again.
void Reclaim(MusicSong* song, MusicVoice* v) {
  SoundChannel* ch = v->channel;
  if ((ch->flags & kChannelInSong) && SoundLink_Linked(&ch->link)) return;
  SoundLock_Enter(MixerLock());
  SoundLink_Remove(&ch->link);
  SoundLink_InsertBefore(&song->voiceList, &ch->link);
  ch->flags |= kChannelInSong | kChannelReserved;
  SoundLock_Leave(MixerLock());
}

bool EnsureVoiceArray() {
  if (g_voices) return g_voiceCount >= SoundTables.channelCount;
  const int count = SoundTables.channelCount;
  if (count <= 0) return false;
  g_voices = static_cast<MusicVoice*>(SOUND_CALLOC(sizeof(MusicVoice) * static_cast<size_t>(count)));
  g_voiceCount = g_voices ? count : 0;
  return g_voices != nullptr;
}

SoundSample MakeInvalidSample() {
  SoundSample s = {};
  std::strncpy(s.name, "Invalid Sample", sizeof(s.name) - 1);
  s.index = kSoundSampleUnlisted;
  s.loopEnd = -1;
  s.maxPlaybacks = -1;
  s.channels = 1;
  s.mode = SoundMode::Pcm8 | SoundMode::Mono | SoundMode::NoLoop | SoundMode::Signed;
  s.frequency = kMusicBaseRate;
  s.priority = kVoicePriority;
  s.baseRate = kMusicBaseRate;
  return s;
}

}  // namespace

MusicVoice* Music_EmptyVoice() {
  static MusicVoice empty;
  empty.channel = nullptr;
  empty.flags = 0;
  return &empty;
}

SoundSample* Music_InvalidSample() {
  static SoundSample invalid = MakeInvalidSample();
  return &invalid;
}

MusicVoice* Music_CurrentVoice(MusicChannel* c) {
  if (!SoundLink_Linked(&c->voices) || SoundLink_Empty(&c->voices)) return Music_EmptyVoice();
  return reinterpret_cast<MusicVoice*>(c->voices.next);
}

SoundSample* Music_ChannelSample(MusicSong* song, const MusicChannel* c) {
  if (c->instrument < song->sampleCount && song->samples && song->samples[c->instrument])
    return song->samples[c->instrument];
  return Music_InvalidSample();
}

MusicVoice* Music_VoiceForNote(MusicSong* song, MusicChannel* c, SoundSample* sample) {
  if (!SoundLink_Empty(&c->voices)) return Music_CurrentVoice(c);
  MusicVoice* v = Music_AllocVoice(song, c, sample);
  return v ? v : Music_EmptyVoice();
}

MusicVoice* Music_AllocVoice(MusicSong* song, MusicChannel* channel, SoundSample* /*sample*/) {
  if (!song || !channel || !SoundEngine.initialised || !EnsureVoiceArray()) return nullptr;
  // Only the software range: no output of the engine makes driver samples.
  SoundChannel* ch = Aural_PlaySoundInternal(kChannelFree, &SoundTables.ranges[0], nullptr, kVoicePriority, -1, TRUE);
  if (!ch || ch->index < 0 || ch->index >= g_voiceCount) return nullptr;
  MusicVoice* v = &g_voices[ch->index];
  std::memset(v, 0, sizeof(*v));
  v->channel = ch;
  v->index = ch->index;
  v->handle = ch->index;
  v->envelopes[kEnvelopeVolume].current = kInitialEnvelopeVolume;
  v->envelopes[kEnvelopeVolume].value = kInitialEnvelopeVolume << 16;
  v->envelopes[kEnvelopePan].current = kInitialEnvelopePan;
  v->envelopes[kEnvelopePan].value = kInitialEnvelopePan << 16;
  v->fadeVolume = song->fadeStart > 0 ? song->fadeStart : kInitialFade;
  SoundLink_InsertBefore(&channel->voices, &v->link);
  ch->flags |= kChannelReserved;  // the free-channel search leaves it to the song
  Reclaim(song, v);
  return v;
}

MusicVoice* Music_FreeVoice(MusicVoice* voice) {
  if (!voice || !voice->channel) return nullptr;
  SoundChannel* ch = voice->channel;
  if (ch->ops.isPlaying(ch)) return voice;
  voice->flags = 0;
  SoundLock_Enter(MixerLock());
  ch->flags &= ~(kChannelReserved | kChannelInSong);
  SoundLink_Remove(&ch->link);
  if (SoundLink_Linked(&SoftwareOutput.idle)) SoundLink_InsertBefore(&SoftwareOutput.idle, &ch->link);
  SoundLock_Leave(MixerLock());
  SoundLink* before = voice->link.prev;
  SoundLink_Remove(&voice->link);
  voice->channel = nullptr;
  return IsVoice(before) ? reinterpret_cast<MusicVoice*>(before) : nullptr;
}

void Music_ApplyVoice(MusicSong* song, MusicVoice* v, SoundSample* sample, int outputVolume, bool addStop) {
  const int period = v->period + v->periodDelta;
  Music_ApplyVoiceOutput(song, v, sample, outputVolume, v->pan, period == 0 ? 0 : Music_PeriodToFrequency(period),
                         addStop);
}

void Music_ApplyVoiceOutput(MusicSong* song, MusicVoice* v, SoundSample* sample, int outputVolume, int pan,
                            int frequency, bool addStop) {
  if (!v->channel) return;  // the empty voice absorbs everything
  if (frequency == 0) v->flags &= ~kVoiceFrequency;
  if (song->quietVolume > 0 && v->volume + v->volumeDelta < song->quietVolume &&
      Aural_CountActiveChannels() > song->voiceLimit)
    v->flags = static_cast<uint8_t>(addStop ? v->flags | kVoiceStop : kVoiceStop);
  uint8_t flags = v->flags;
  if (flags & kVoiceStart) {
    Reclaim(song, v);
    if (sample && sample->data && sample->length > 0) {
      const int handle = Aural_PlaySound(v->index, sample);
      v->handle = handle == -1 ? v->index : handle;
      // A start takes the sample's defaults: the voice's own values go out again.
      flags |= kVoiceVolume | kVoicePan;
      if (frequency != 0) flags |= kVoiceFrequency;
    } else {
      flags |= kVoiceStop;  // a note on a missing or empty sample is silent
    }
  }
  if (flags & kVoiceVolume) Aural_SetVolumeAbsolute(v->handle, outputVolume < 0 ? 0 : outputVolume);
  if (flags & kVoicePan) SoundChannel_SetPanRaw(v->handle, (song->panScale * (pan - 128) + 0x8000) >> 8);
  if (flags & kVoiceFrequency) {
    // A ping-pong loop running backwards keeps its direction.
    const bool backwards = v->channel->direction == kChannelBackward && !(flags & kVoiceStart);
    Aural_SetChannelRate(v->handle, backwards ? -frequency : frequency);
  }
  if (flags & kVoiceStop) {
    Aural_StopChannel(v->handle);
    v->channel->startOffset = 0;
    v->handle = v->index;
    Reclaim(song, v);
  }
}

void Music_CloseSongs() {
  Music_LockSongs();
  SoundLink* head = Music_SongList();
  for (SoundLink* l = head->next; l != head; l = l->next) {
    auto* song = reinterpret_cast<MusicSong*>(l);
    if (song->loaded) Music_StopSong(song);
  }
  SOUND_FREE(g_voices);
  g_voices = nullptr;
  g_voiceCount = 0;
  Music_UnlockSongs();
}
