// What every tracker player shares: the period table, song building blocks, the row
// step and the effects whose rules the formats have in common.
#include "music_player.h"
#include "sound_alloc.h"

static constexpr char kSoundFileTag[] = "src/music_effects";

const uint16_t kMusicPeriods[kMusicPeriodNotes + 1] = {
    0,
    27392, 25856, 24384, 23040, 21696, 20480, 19328, 18240, 17216, 16256, 15360, 14496,
    13696, 12928, 12192, 11520, 10848, 10240, 9664, 9120, 8608, 8128, 7680, 7248,
    6848, 6464, 6096, 5760, 5424, 5120, 4832, 4560, 4304, 4064, 3840, 3624,
    3424, 3232, 3048, 2880, 2712, 2560, 2416, 2280, 2152, 2032, 1920, 1812,
    1712, 1616, 1524, 1440, 1356, 1280, 1208, 1140, 1076, 1016, 960, 906,
    856, 808, 762, 720, 678, 640, 604, 570, 538, 508, 480, 453,
    428, 404, 381, 360, 339, 320, 302, 285, 269, 254, 240, 226,
    214, 202, 190, 180, 170, 160, 151, 143, 135, 127, 120, 113,
    107, 101, 95, 90, 85, 80, 75, 71, 67, 63, 60, 56,
    53, 50, 47, 45, 42, 40, 37, 35, 33, 31, 30, 28,
    26, 25, 23, 22, 21, 20, 18, 17, 16, 15, 15, 14,
};

namespace {

const uint8_t kVibratoSine[32] = {0,   24,  49,  74,  97,  120, 141, 161, 180, 197, 212, 224, 235, 244, 250, 253,
                                  255, 253, 250, 244, 235, 224, 212, 197, 180, 161, 141, 120, 97,  74,  49,  24};

constexpr int kWaveKeepVibrato = 4;    // low nibble of the wave control from which a note keeps the position
constexpr int kWaveKeepTremolo = 64;
constexpr int kBreakRowLimit = 63;

int Wave(int type, int pos) {  // see Music_VibratoWave
  static uint32_t seed = 0x2545F491u;  // the random waveform only needs noise
  switch (type & 3) {
    case 1: {
      const int ramp = (pos & 31) * 8;
      return pos < 0 ? ramp ^ 255 : ramp;
    }
    case 2:
      return 255;
    case 3:
      seed = seed * 1103515245u + 12345u;
      return static_cast<int>(seed >> 16) & 255;
    default:
      return kVibratoSine[pos & 31];
  }
}

int8_t Advance(int pos, int speed) {
  pos += speed;
  if (pos > 31) pos -= 64;
  return static_cast<int8_t>(pos);
}

}  // namespace

int Music_VibratoWave(int waveControl, int position) { return Wave(waveControl, position); }

void Music_VolumeSlide(MusicVoice* v, int param) {
  const int x = param >> 4, y = param & 0x0F;
  if (x)
    v->volume = Music_ClampVolume(v->volume + x);
  else if (y)
    v->volume = Music_ClampVolume(v->volume - y);
  v->flags |= kVoiceVolume;
}

void Music_SetTremor(MusicChannel* c, int param) {
  const int memory = Music_Remember(c->tremorMemory, param);
  c->tremorOn = static_cast<uint8_t>((memory >> 4) + 1);
  c->tremorOff = static_cast<uint8_t>((memory & 0x0F) + 1);
}

void Music_Tremor(MusicChannel* c, MusicVoice* v) {
  if (c->tremorCount >= c->tremorOn) v->volumeDelta = -v->volume;
  if (++c->tremorCount >= c->tremorOn + c->tremorOff) c->tremorCount = 0;
  v->flags |= kVoiceVolume;
}

void Music_SetRetrigger(MusicChannel* c, int param) {
  const int memory = Music_Remember(c->retrigMemory, param);
  c->retrigStep = static_cast<uint8_t>(memory >> 4);
  c->retrigInterval = static_cast<uint8_t>(memory & 0x0F);
}

void Music_AdvanceRow(MusicSong* song, int rows) {
  if (song->nextRow >= 0) return;
  song->nextRow = song->row + 1;
  if (song->nextRow < rows) return;
  song->nextRow = 0;
  song->nextOrder = song->order + 1;
  if (song->nextOrder >= song->orderCount) {
    song->finished = 1;
    song->nextOrder = song->restartOrder;
  }
}

int Music_NotePeriod(int note, int baseRate) {
  if (note < 1) note = 1;
  if (note > kMusicPeriodNotes) note = kMusicPeriodNotes;
  const uint32_t p = kMusicPeriods[note];
  return baseRate > 0 ? static_cast<int>(p * kMusicBaseRate / static_cast<uint32_t>(baseRate)) : static_cast<int>(p);
}

// Rounded: note 49 (period 1712) of a sample at 8363 Hz plays at 8363 Hz.
int Music_PeriodToFrequency(int period) {
  if (period < 1) period = 1;
  return (kMusicAmigaClock + period / 2) / period;
}

bool Music_AllocChannels(MusicSong* song) {
  song->channels = static_cast<MusicChannel*>(SOUND_CALLOC(sizeof(MusicChannel) * static_cast<size_t>(song->channelCount)));
  if (!song->channels) {
    SoundError_Set(kSoundErrNoMemory);
    return false;
  }
  for (int i = 0; i < song->channelCount; ++i) {
    SoundLink_Init(&song->channels[i].voices);
    song->channels[i].instrument = kMusicNoInstrument;
  }
  return true;
}

bool Music_AllocPatterns(MusicSong* song, int count) {
  song->patterns = static_cast<MusicPattern*>(SOUND_CALLOC(sizeof(MusicPattern) * static_cast<size_t>(count)));
  if (!song->patterns) {
    SoundError_Set(kSoundErrNoMemory);
    return false;
  }
  song->patternsAllocated = count;
  const size_t cells = static_cast<size_t>(kMusicPatternRows) * song->channelCount;
  for (int i = 0; i < count; ++i) {
    song->patterns[i].rows = kMusicPatternRows;
    song->patterns[i].cells = static_cast<MusicCell*>(SOUND_CALLOC(sizeof(MusicCell) * cells));
    if (!song->patterns[i].cells) {
      SoundError_Set(kSoundErrNoMemory);
      return false;
    }
  }
  return true;
}

bool Music_ResizePattern(MusicSong* song, int pattern, int rows) {
  if (rows < 1) rows = 1;
  if (rows > 256) rows = 256;
  MusicPattern& p = song->patterns[pattern];
  const size_t cells = static_cast<size_t>(rows) * song->channelCount;
  auto* fresh = static_cast<MusicCell*>(SOUND_CALLOC(sizeof(MusicCell) * cells));
  if (!fresh) {
    SoundError_Set(kSoundErrNoMemory);
    return false;
  }
  SOUND_FREE(p.cells);
  p.cells = fresh;
  p.rows = rows;
  return true;
}

bool Music_AllocSampleTable(MusicSong* song, int count) {
  song->samples = static_cast<SoundSample**>(SOUND_CALLOC(sizeof(SoundSample*) * static_cast<size_t>(count > 0 ? count : 1)));
  if (!song->samples) {
    SoundError_Set(kSoundErrNoMemory);
    return false;
  }
  song->sampleCount = count;
  return true;
}

MusicCell* Music_Cell(MusicSong* song, int pattern, int row, int channel) {
  return &song->patterns[pattern].cells[static_cast<size_t>(row) * song->channelCount + channel];
}

SoundSample* Music_CreateSample(int length, bool sixteenBit) {
  const uint32_t mode = (sixteenBit ? SoundMode::Pcm16 : SoundMode::Pcm8) | SoundMode::Mono | SoundMode::NoLoop |
                        SoundMode::No3d;
  SoundSample* s = length > 0 ? SoundSample_Alloc(kSoundSampleUnlisted, length, mode, kMusicBaseRate, 0, 128)
                              : SoundSample_Create(kSoundSampleUnlisted, mode);
  if (!s) {
    SoundError_Set(kSoundErrNoMemory);
    return nullptr;
  }
  s->frequency = kMusicBaseRate;
  s->volume = 0;
  s->baseRate = kMusicBaseRate;
  return s;
}

void Music_SetSampleLoop(SoundSample* s, bool loops, int start, int length) {
  if (s->length <= 0) return;
  if (loops && start >= 0 && start < s->length && length > s->length - start) length = s->length - start;
  if (loops && start >= 0 && length >= 3 && SoundSample_SetLoopPoints(s, start, start + length - 1)) {
    SoundSample_SetMode(s, SoundMode::LoopForward);
    return;
  }
  s->loopStart = 0;
  s->loopLength = s->length;
  SoundSample_SetMode(s, SoundMode::NoLoop);
}

bool Music_WriteSampleData(SoundSample* s, const void* data, int bytes, uint32_t sourceMode) {
  if (s->length <= 0 || bytes <= 0) return true;
  if (!SoundSample_Upload(s, data, 0, bytes, sourceMode)) {
    SoundError_Set(kSoundErrNoMemory);
    return false;
  }
  return true;
}

MusicVoice* Music_StartChannelRow(MusicSong* song, MusicChannel* c, const MusicCell& cell, uint8_t tremoloEffect,
                                  SoundSample** sample) {
  MusicVoice* v = Music_CurrentVoice(c);
  c->cell = cell;
  c->rowVolume = v->channel ? v->volume : 0;
  c->rowPeriod = v->channel ? v->period : 0;
  if (cell.instrument) {
    c->instrument = static_cast<uint8_t>(cell.instrument - 1);
    Music_QueueCallback(song, c->instrument, kMusicCallbackInstrument);
  }
  *sample = Music_ChannelSample(song, c);
  if (c->effect == tremoloEffect && cell.effect != tremoloEffect)
    v->volume = Music_ClampVolume(v->volume + v->volumeDelta);
  c->effect = cell.effect;
  v->volumeDelta = 0;
  v->flags = 0;
  return v;
}

MusicVoice* Music_StartNote(MusicSong* song, int index, SoundSample* sample, int note, bool tonePortamento) {
  MusicChannel* c = &song->channels[index];
  MusicVoice* v = Music_VoiceForNote(song, c, sample);
  c->period = Music_NotePeriod(note, sample->baseRate);
  v->pan = song->defaultPan[index];
  if (!tonePortamento) v->period = c->period;
  v->flags = kVoiceStart;
  return v;
}

MusicVoice* Music_StartDelayedNote(MusicSong* song, int index, SoundSample* sample) {
  MusicChannel* c = &song->channels[index];
  // Only a delayed note starts; a delay without one leaves the channel as it is.
  if (!c->cell.note || c->cell.note == kMusicNoteCut) return nullptr;
  MusicVoice* v = Music_VoiceForNote(song, c, sample);
  v->pan = song->defaultPan[index];
  v->period = c->period;
  v->periodDelta = 0;
  v->flags = kVoiceStart | kVoicePan | kVoiceFrequency;
  return v;
}

int Music_ArpeggioDelta(const MusicSong* song, int note, int param, int baseRate) {
  const int step = song->tick % 3;
  const int up = step == 1 ? param >> 4 : step == 2 ? param & 0x0F : 0;
  return up ? Music_NotePeriod(note + up, baseRate) - Music_NotePeriod(note, baseRate) : 0;
}

void Music_CutAtTick(const MusicSong* song, MusicVoice* v, int at) {
  if (song->tick != at) return;
  v->volume = 0;
  v->flags |= kVoiceVolume;
}

void Music_PlayRow(MusicSong* song, MusicCellFn cellRow) {
  const MusicPattern& p = song->patterns[song->orderList[song->order]];
  const MusicCell* cells = p.cells + static_cast<size_t>(song->row) * song->channelCount;
  for (int i = 0; i < song->channelCount; ++i) cellRow(song, i, cells[i]);
}

void Music_PlayTickEffects(MusicSong* song, MusicChannelTickFn channelTick) {
  for (int i = 0; i < song->channelCount; ++i) {
    MusicChannel* c = &song->channels[i];
    MusicVoice* v = Music_CurrentVoice(c);
    v->volumeDelta = 0;
    v->periodDelta = 0;
    v->flags = 0;
    channelTick(song, i, c, v);
  }
}

void Music_ApplyChannel(MusicSong* song, MusicChannel* c, MusicVolumeFn volume, bool addStop) {
  SoundSample* sample = Music_ChannelSample(song, c);
  for (SoundLink* l = c->voices.next; l != &c->voices; l = l->next) {
    auto* v = reinterpret_cast<MusicVoice*>(l);
    Music_ApplyVoice(song, v, sample, volume(song, v), addStop);
  }
}

int Music_PatternRows(const MusicSong* song) {
  const int pattern = song->orderList[song->order];
  return pattern < song->patternsAllocated ? song->patterns[pattern].rows : 0;
}

void Music_RowStep(MusicSong* song, MusicTickFn row, MusicTickFn effects, bool speedZeroEnds) {
  if (song->tick <= 0) {
    if (song->finished && !song->looping) {
      Music_StopSong(song);
      return;
    }
    if (song->tick < 0) {
      // Speed 0 ended the song; a looping one goes on at its first speed.
      song->tick = 0;
      if (song->speed == 0) song->speed = song->defaultSpeed;
    }
    song->jumpInRow = 0;
    song->delayRows = 0;
    if (song->nextOrder >= 0) {
      song->order = song->nextOrder < song->orderCount ? song->nextOrder : 0;
      song->nextOrder = -1;
      Music_QueueCallback(song, song->order, kMusicCallbackOrder);
    }
    const int rows = Music_PatternRows(song);
    if (song->nextRow >= 0) {
      song->row = song->nextRow < rows ? song->nextRow : 0;
      song->nextRow = -1;
      Music_QueueCallback(song, song->row, kMusicCallbackRow);
    }
    row(song);
    // A speed set anywhere in the row counts for its delay.
    if (song->delayRows) song->rowDelayTicks = song->delayRows * song->speed;
    Music_AdvanceRow(song, rows);
  } else {
    effects(song);
  }
  if (song->speed == 0 && speedZeroEnds) {
    song->finished = 1;
    song->tick = -1;
    return;
  }
  if (++song->tick >= song->speed + song->rowDelayTicks) {
    song->tick = 0;
    song->rowDelayTicks = 0;
  }
}

void Music_Vibrato(MusicChannel* c, MusicVoice* v, bool fine) {
  const int pos = c->vibratoPos;
  const int wave = Wave(c->waveControl, pos);
  int delta = fine ? wave * c->vibratoDepth / 128 : (wave * c->vibratoDepth / 32) & ~3;
  if (pos < 0) delta = -delta;
  v->periodDelta = delta;
  c->vibratoPos = Advance(pos, c->vibratoSpeed);
  v->flags |= kVoiceFrequency;
}

void Music_Tremolo(MusicChannel* c, MusicVoice* v) {
  const int pos = c->tremoloPos;
  const int type = (c->waveControl >> 4) & 3;
  const int offset = Wave(type == 3 ? 0 : type, pos) * c->tremoloDepth / 64;
  int delta;
  if (pos >= 0) {
    delta = v->volume + offset > kMusicMaxVolume ? kMusicMaxVolume - v->volume : offset;
  } else {
    delta = -offset < -v->volume ? -v->volume : -offset;
  }
  v->volumeDelta = delta;
  c->tremoloPos = Advance(pos, c->tremoloSpeed);
  v->flags |= kVoiceVolume;
}

void Music_StartTonePortamento(MusicChannel* c, MusicVoice* v) {
  c->portaTarget = c->period;
  v->flags &= static_cast<uint8_t>(~(kVoiceStart | kVoiceFrequency));
}

void Music_TonePortamento(MusicChannel* c, MusicVoice* v) {
  const int step = 4 * c->portaSpeed;
  if (v->period < c->portaTarget) {
    v->period = v->period + step > c->portaTarget ? c->portaTarget : v->period + step;
  } else if (v->period > c->portaTarget) {
    v->period = v->period - step < c->portaTarget ? c->portaTarget : v->period - step;
  }
  v->flags |= kVoiceFrequency;
}

void Music_PositionJump(MusicSong* song, int order) {
  song->nextOrder = order;
  song->nextRow = 0;
  if (order >= song->orderCount) {
    song->finished = 1;
    song->nextOrder = 0;
  }
  song->jumpInRow = 1;
}

void Music_PatternBreak(MusicSong* song, int row) {
  song->nextRow = row > kBreakRowLimit ? 0 : row;
  if (song->jumpInRow) return;
  song->nextOrder = song->order + 1;
  if (song->nextOrder >= song->orderCount) {
    song->finished = 1;
    song->nextOrder = 0;
  }
}

void Music_PatternLoop(MusicSong* song, MusicChannel* c, int count) {
  if (count == 0) {
    c->loopRow = song->row;
    return;
  }
  c->loopCount = c->loopCount == 0 ? count : c->loopCount - 1;
  if (c->loopCount != 0) song->nextRow = c->loopRow;
}

void Music_ResetWavePositions(MusicChannel* c) {
  if ((c->waveControl & 0x0F) < kWaveKeepVibrato) c->vibratoPos = 0;
  if (c->waveControl < kWaveKeepTremolo) c->tremoloPos = 0;
}

void Music_SetVibratoWave(MusicChannel* c, int wave) {
  c->waveControl = static_cast<uint8_t>((c->waveControl & 0xF0) | (wave & 0x0F));
}

void Music_SetTremoloWave(MusicChannel* c, int wave) {
  c->waveControl = static_cast<uint8_t>((c->waveControl & 0x0F) | (wave & 0x0F) << 4);
}
