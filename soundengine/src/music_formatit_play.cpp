// The IT player: rows unpacked one at a time, new-note actions that send voices to the
// background, duplicate checks, three envelopes, fade-out, channel and global volumes,
// and IT's effects and volume column.
#include <cmath>

#include "music_formatit.h"

namespace {

constexpr int kTempoFromParam = 32;
constexpr int kMaxGlobalVolume = 128;
constexpr int kMaxPan = 64;

constexpr int kMaxRealNote = kItNotes - 1;
constexpr uint8_t kVoiceSurroundOn = 0x10;
constexpr uint8_t kVoiceSurroundOff = 0x40;
constexpr int kVibratoKind = 8;
constexpr int kFineVibratoKind = 21;

enum ItEffect : uint8_t {
  kSpeed = 1, kJump = 2, kBreak = 3, kVolumeSlide = 4, kSlideDown = 5, kSlideUp = 6, kTonePorta = 7, kVibrato = 8,
  kTremor = 9, kArpeggio = 10, kVibratoVolume = 11, kPortaVolume = 12, kChannelVolume = 13, kChannelSlide = 14,
  kOffset = 15, kRetrigger = 17, kTremolo = 18, kSpecial = 19, kTempo = 20, kFineVibrato = 21, kGlobalVolume = 22,
  kGlobalSlide = 23, kPan = 24, kPanbrello = 25, kZxx = 26,
};
enum ItMemory { kMemChannelSlide, kMemGlobalSlide, kMemTempo, kMemVolumeColumn, kMemOwnPorta };

// Periods one octave below the note table: entries 0..11, then the table from its start.
int Table2(int k) {
  static const uint16_t kLow[12] = {54784, 51712, 48768, 46080, 43392, 40960, 38656, 36480, 34432, 32512, 30720, 28992};
  if (k < 0) k = 0;
  if (k < 12) return kLow[k];
  if (k - 11 > kMusicPeriodNotes) k = kMusicPeriodNotes + 11;
  return kMusicPeriods[k - 11];
}

// Linear period offset of a C5 speed: 768 x log2(speed / 8363), in steps of 1/1024.
int C5Offset(int c5) {
  static struct Table {
    int16_t values[1023];
    Table() {
      values[0] = 0;
      for (int i = 1; i < 1023; ++i)
        values[i] = static_cast<int16_t>(std::trunc(768 * std::log2(i * 100356.0 / (1024.0 * 8363))));
    }
  } table;
  int64_t i = static_cast<int64_t>(c5) * 1024 / 100356;
  if (i > 1022) i = 1022;
  return table.values[i < 0 ? 0 : i];
}

bool Linear(const MusicSong* song) { return (song->formatFlags & kItLinearSlides) != 0; }
bool OldEffects(const MusicSong* song) { return (song->formatFlags & kItOldEffects) != 0; }

int NotePeriod(const MusicSong* song, int real, int c5) {
  if (real < 0) real = 0;
  if (real > kMaxRealNote) real = kMaxRealNote;
  if (Linear(song)) return (kItNotes - real) * 64 - C5Offset(c5);
  return static_cast<int>(static_cast<int64_t>(Table2(real)) * kMusicBaseRate / (c5 > 0 ? c5 : kMusicBaseRate));
}

// Period distance of `steps` semitones up from `real` (positive moves the period down).
int SemitoneSpan(const MusicSong* song, int real, int steps, int c5) {
  if (Linear(song)) return 64 * steps;
  return NotePeriod(song, real, c5) - NotePeriod(song, real + steps, c5);
}

const ItInstrument* InstrumentOf(MusicSong* song, int number) {
  return number >= 0 && number < song->instrumentCount ? &ItData(song)->instruments[number] : nullptr;
}

const ItSampleInfo* InfoOf(MusicSong* song, const MusicVoice* v) {
  return v->sampleNumber >= 1 && v->sampleNumber <= song->sampleCount ? &ItData(song)->sampleInfo[v->sampleNumber - 1]
                                                                        : nullptr;
}


int Clamp(int v, int low, int high) { return v < low ? low : v > high ? high : v; }

// ---- Rows ----

// Unpacks row `target` of the current order's pattern into the row buffer; the cursor
// goes back to the pattern's start when the row lies behind it.
void UnpackRow(MusicSong* song, int target) {
  ItSongData* d = ItData(song);
  const int pattern = song->orderList[song->order];
  std::memset(d->row, 0, sizeof(d->row));
  if (pattern >= song->patternsAllocated) return;
  uint32_t length;
  const uint8_t* bytes = ItPackedBytes(song->patterns[pattern], &length);
  if (d->cursorPattern != pattern || target < d->cursorRow) {
    d->cursorPattern = pattern;
    d->cursorRow = 0;
    d->cursorPos = 0;
    std::memset(d->lastMask, 0, sizeof(d->lastMask));
    std::memset(d->lastCell, 0, sizeof(d->lastCell));
  }
  while (d->cursorRow <= target) {
    const bool keep = d->cursorRow == target;
    for (;;) {
      if (!bytes || d->cursorPos >= length) break;
      const uint8_t b = bytes[d->cursorPos++];
      if (b == 0) break;
      const int ch = (b - 1) & 63;
      auto next = [&]() -> uint8_t { return d->cursorPos < length ? bytes[d->cursorPos++] : 0; };
      if (b & 0x80) d->lastMask[ch] = next();
      const uint8_t mask = d->lastMask[ch];
      MusicCell& last = d->lastCell[ch];
      MusicCell cell = {};
      if (mask & 1) {
        const uint8_t n = next();
        last.note = n < kItNotes ? static_cast<uint8_t>(n + 1) : (n == kItNoteCut || n == kItNoteOff) ? n : 0;
      }
      if (mask & 2) last.instrument = next();
      if (mask & 4) last.volume = static_cast<uint8_t>(next() + 1);
      if (mask & 8) {
        last.effect = next();
        last.param = next();
      }
      if (mask & (1 | 16)) cell.note = last.note;
      if (mask & (2 | 32)) cell.instrument = last.instrument;
      if (mask & (4 | 64)) cell.volume = last.volume;
      if (mask & (8 | 128)) {
        cell.effect = last.effect;
        cell.param = last.param;
      }
      if (keep) d->row[ch] = cell;
    }
    ++d->cursorRow;
  }
}

// ---- Voices ----

void KeyOff(MusicVoice* v) {
  v->keyOff = 1;
  const auto* ins = static_cast<const ItInstrument*>(v->instrument);
  const uint8_t env = ins ? ins->envelopes[kEnvelopeVolume].flags : 0;
  if (!v->envelopeOn[kEnvelopeVolume] || (env & kEnvelopeLoops)) v->fading = 1;
}

void VoiceAction(MusicVoice* v, int action) {
  switch (action) {
    case kItActionCut: v->flags |= kVoiceStop; break;
    case kItActionOff: KeyOff(v); break;
    case kItActionFade: v->fading = 1; break;
    default: break;
  }
}

// Makes `v` the channel's current (first) voice.
void MakeCurrent(MusicChannel* c, MusicVoice* v) {
  SoundLink_Remove(&v->link);
  SoundLink_InsertBefore(c->voices.next, &v->link);
}

int OutputVolume(MusicSong* song, const MusicChannel* c, const MusicVoice* v) {
  const uint32_t volume = static_cast<uint32_t>(Music_ClampVolume(v->volume + (v->background ? 0 : v->volumeDelta)));
  const uint32_t channelVolume = static_cast<uint32_t>(v->background ? v->channelVolume : c->channelVolume);
  const uint32_t s = static_cast<uint32_t>(v->globalVolume);
  const uint32_t global = static_cast<uint32_t>(song->globalVolume);
  uint64_t out;
  if (ItInstrumentMode(song)) {
    const uint32_t fade = static_cast<uint32_t>(v->fadeVolume < 0 ? 0 : v->fadeVolume);
    const uint32_t env = static_cast<uint32_t>(Clamp(v->envelopes[kEnvelopeVolume].current, 0, 64));
    out = static_cast<uint64_t>(volume * fade * env * s / 8 * channelVolume / 128 * global / 256) * song->masterVolume;
  } else {
    out = static_cast<uint64_t>(volume * s * channelVolume * global / 4) * song->masterVolume;
  }
  return static_cast<int>(out >> 23);
}

void StartVoice(MusicSong* song, MusicChannel* c, MusicVoice* v, const ItInstrument* ins, int sampleNumber,
                int real) {
  ItSongData* d = ItData(song);
  const bool exists = sampleNumber >= 1 && sampleNumber <= song->sampleCount && song->samples[sampleNumber - 1];
  const ItSampleInfo* info = exists ? &d->sampleInfo[sampleNumber - 1] : nullptr;
  v->sample = exists ? song->samples[sampleNumber - 1] : Music_InvalidSample();
  v->sampleNumber = sampleNumber;
  v->instrument = ins;
  v->note = c->note;
  v->background = 0;
  v->baseRate = info ? info->c5Speed : kMusicBaseRate;
  c->period = NotePeriod(song, real, v->baseRate);
  c->realNote = real;
  c->vibratoPos = c->tremoloPos = 0;
  c->panbrelloPos = 0;
  c->tremorCount = 0;
  c->portaReached = 0;
  v->period = c->period;
  int pan = c->channelPan == kItSurroundPan ? 32 : c->channelPan;
  v->surround = c->channelPan == kItSurroundPan;
  if (ins && !(ins->defaultPan & 0x80)) pan = ins->defaultPan & 0x7F;
  if (info && (info->defaultPan & 0x80)) pan = info->defaultPan & 0x7F;
  if (ins) pan += (c->note - ins->pitchPanCentre) * ins->pitchPanSeparation / 8;
  v->pan = Clamp(pan, 0, kMaxPan);
  const int sampleVolume = info ? info->globalVolume : 0;
  v->globalVolume = ins ? ins->globalVolume * sampleVolume / 128 : sampleVolume;
  v->newNoteAction = ins ? ins->newNoteAction : static_cast<uint8_t>(kItActionCut);
  for (int k = 0; k < kEnvelopeKinds; ++k) v->envelopeOn[k] = ins && (ins->envelopes[k].flags & kEnvelopeEnabled);
  v->autoVibratoPos = v->autoVibratoSweep = 0;
  v->flags |= kVoiceStart | kVoicePan;
}

void RestartEnvelopes(MusicVoice* v, const ItInstrument* ins) {
  v->keyOff = 0;
  v->fading = 0;
  v->fadeVolume = kItFullFade;
  static const int kStart[kEnvelopeKinds] = {64, 0, 0};
  for (int k = 0; k < kEnvelopeKinds; ++k)
    if (!ins || !(ins->envelopes[k].flags & kEnvelopeCarries)) Music_RestartEnvelope(&v->envelopes[k], kStart[k]);
}

// A new note on the channel: duplicate check, new-note action, the voice that plays it.
MusicVoice* NewNote(MusicSong* song, MusicChannel* c, const ItInstrument* ins, int sampleNumber, int real) {
  const bool instruments = ItInstrumentMode(song);
  if (instruments && ins && ins->duplicateType) {
    for (SoundLink* l = c->voices.next; l != &c->voices; l = l->next) {
      auto* other = reinterpret_cast<MusicVoice*>(l);
      const bool match = (ins->duplicateType == 1 && other->note == c->note && other->instrument == ins) ||
                         (ins->duplicateType == 2 && other->sampleNumber == sampleNumber) ||
                         (ins->duplicateType == 3 && other->instrument == ins);
      if (match) VoiceAction(other, ins->duplicateAction == 0 ? kItActionCut : ins->duplicateAction + 1);
    }
  }
  MusicVoice* v = Music_CurrentVoice(c);
  if (v->channel && instruments && v->newNoteAction != kItActionCut && !(v->flags & kVoiceStop) &&
      v->channel->ops.isPlaying(v->channel)) {
    v->background = 1;
    v->channelVolume = c->channelVolume;
    if (v->newNoteAction == kItActionOff) KeyOff(v);
    if (v->newNoteAction == kItActionFade) v->fading = 1;
    if (c->channelVolume == 0) v->flags |= kVoiceStop;
    MusicVoice* fresh = Music_AllocVoice(song, c, nullptr);
    if (fresh) {
      MakeCurrent(c, fresh);
      v = fresh;
    } else {
      v->background = 0;  // no channel free: the old voice plays the new note
    }
  } else if (!v->channel) {
    v = Music_VoiceForNote(song, c, nullptr);
  }
  v->flags &= static_cast<uint8_t>(~kVoiceStop);
  StartVoice(song, c, v, instruments ? ins : nullptr, sampleNumber, real);
  if (instruments) RestartEnvelopes(v, ins);
  return v;
}

// ---- Effects ----

void SlideVolumeAtRow(int* volume, int param, int top) {
  const int x = param >> 4, y = param & 0x0F;
  if (y == 15 && x)
    *volume = Clamp(*volume + x, 0, top);
  else if (x == 15 && y)
    *volume = Clamp(*volume - y, 0, top);
}

void SlideVolumeLater(int* volume, int param, int top) {
  const int x = param >> 4, y = param & 0x0F;
  if (y == 0)
    *volume = Clamp(*volume + x, 0, top);
  else if (x == 0)
    *volume = Clamp(*volume - y, 0, top);
}

void Vibrato(MusicSong* song, MusicChannel* c, MusicVoice* v, bool advance) {
  const int pos = c->vibratoPos;
  const int wave = Music_VibratoWave(c->waveControl, pos);
  int magnitude = c->vibratoKind == kFineVibratoKind ? wave * c->vibratoDepth / 128 : (wave * c->vibratoDepth / 64) & ~1;
  if (OldEffects(song)) magnitude *= 2;
  v->periodDelta += pos < 0 ? magnitude : -magnitude;
  if (advance) {
    int next = pos + c->vibratoSpeed;
    if (next > 31) next -= 64;
    c->vibratoPos = static_cast<int8_t>(next);
  }
  v->flags |= kVoiceFrequency;
}

void TonePortamento(MusicChannel* c, MusicVoice* v) {
  if (c->portaReached) return;
  const int step = 4 * c->portaSpeed;
  if (v->period < c->portaTarget)
    v->period = v->period + step >= c->portaTarget ? c->portaTarget : v->period + step;
  else if (v->period > c->portaTarget)
    v->period = v->period - step <= c->portaTarget ? c->portaTarget : v->period - step;
  if (v->period == c->portaTarget) c->portaReached = 1;
  v->flags |= kVoiceFrequency;
}

void Panbrello(MusicChannel* c, MusicVoice* v) {
  const int pos = c->panbrelloPos;
  int wave;
  switch (c->panbrelloWave & 3) {
    case 1: wave = (128 - pos) / 2; break;
    case 2: wave = pos < 128 ? 64 : -64; break;
    default: wave = kMusicSignedSine[pos & 255]; break;
  }
  int offset = wave * c->panbrelloDepth / 32;
  if (v->pan + offset > kMaxPan) offset = kMaxPan - v->pan;
  c->panbrelloDelta = offset;
  c->panbrelloPos = static_cast<uint8_t>((pos + c->panbrelloSpeed) & 255);
  v->flags |= kVoicePan;
}

int RetriggerVolume(int volume, int step) {
  static const int kAdd[16] = {0, -1, -2, -4, -8, -16, 0, 0, 0, 1, 2, 4, 8, 16, 0, 0};
  if (step == 6) return 0;
  if (step == 7) return volume / 2;
  if (step == 15) return volume * 2;
  return volume + kAdd[step & 15];
}

void BackgroundAction(MusicChannel* c, int action) {
  for (SoundLink* l = c->voices.next; l != &c->voices; l = l->next) {
    auto* v = reinterpret_cast<MusicVoice*>(l);
    if (v->background) VoiceAction(v, action);
  }
}

void SpecialAtRow(MusicSong* song, MusicChannel* c, MusicVoice* v, int x, int y) {
  switch (x) {
    case 0x3: Music_SetVibratoWave(c, y & 3); break;
    case 0x4: Music_SetTremoloWave(c, y & 3); break;
    case 0x5: c->panbrelloWave = static_cast<uint8_t>(y & 3); break;
    case 0x6: c->fineDelay = static_cast<uint8_t>(y); break;
    case 0x7:
      if (y == 1) BackgroundAction(c, kItActionOff);
      if (y == 2) BackgroundAction(c, kItActionFade);
      if (y >= 3 && y <= 6) v->newNoteAction = static_cast<uint8_t>(y - 3);
      if (y == 7) v->envelopeOn[kEnvelopeVolume] = 0;
      if (y == 8 && v->instrument) v->envelopeOn[kEnvelopeVolume] = 1;
      break;
    case 0x8:
      c->channelPan = y * 4;
      v->pan = c->channelPan;
      v->flags |= kVoicePan;
      break;
    case 0xA: c->highOffset = static_cast<uint8_t>(y); break;
    case 0xB: Music_PatternLoop(song, c, y); break;
    case 0xE: song->delayRows = y; break;
    default: break;
  }
}

void Tempo(MusicSong* song, int param) {
  if (param >= kTempoFromParam) return;
  const int slide = param & 0x0F;
  Music_SetTempo(song, Clamp(song->bpm + ((param >> 4) == 1 ? slide : -slide), kTempoFromParam, 255));
}

void EffectAtRow(MusicSong* song, MusicChannel* c, MusicVoice* v, bool noteStarted) {
  const int param = c->cell.param, x = param >> 4, y = param & 0x0F;
  switch (c->effect) {
    case kSpeed:
      if (param) song->speed = param;
      break;
    case kJump: Music_PositionJump(song, param); break;
    case kBreak:
      song->nextRow = param;
      if (!song->jumpInRow) {
        song->nextOrder = song->order + 1;
        if (song->nextOrder >= song->orderCount) {
          song->finished = 1;
          song->nextOrder = 0;
        }
      }
      break;
    case kVolumeSlide:
    case kVibratoVolume:
    case kPortaVolume:
      SlideVolumeAtRow(&v->volume, Music_Remember(c->volumeSlideMemory, param), kMusicMaxVolume);
      if (c->effect == kVibratoVolume && !OldEffects(song)) Vibrato(song, c, v, false);
      if (c->effect == kPortaVolume) c->portaTarget = c->period;
      v->flags |= kVoiceVolume;
      break;
    case kSlideDown:
    case kSlideUp: {
      const int memory = Music_Remember(c->portaMemory, param);
      const int sign = c->effect == kSlideDown ? 1 : -1;
      if (memory >= 0xF0) v->period += sign * 4 * (memory & 0x0F);
      if (memory >= 0xE0 && memory < 0xF0) v->period += sign * (memory & 0x0F);
      v->flags |= kVoiceFrequency;
      break;
    }
    case kTonePorta:
      if (song->formatFlags & kItSeparatePortaMemory)
        c->portaSpeed = Music_Remember(c->memory[kMemOwnPorta], param);
      else
        c->portaSpeed = Music_Remember(c->portaMemory, param);
      c->portaTarget = c->period;
      break;
    case kVibrato:
    case kFineVibrato:
      if (x) c->vibratoSpeed = static_cast<uint8_t>(x);
      if (y) c->vibratoDepth = static_cast<uint8_t>(y);
      c->vibratoKind = c->effect == kVibrato ? kVibratoKind : kFineVibratoKind;
      if (!OldEffects(song)) Vibrato(song, c, v, false);
      break;
    case kTremor: Music_SetTremor(c, param); break;
    case kArpeggio: Music_Remember(c->arpeggioMemory, param); break;
    case kChannelVolume: c->channelVolume = param > 64 ? 64 : param; v->flags |= kVoiceVolume; break;
    case kChannelSlide:
      SlideVolumeAtRow(&c->channelVolume, Music_Remember(c->memory[kMemChannelSlide], param), kMusicMaxVolume);
      v->flags |= kVoiceVolume;
      break;
    case kOffset: {
      if (param) c->offsetMemory = param;
      if (!noteStarted || !v->channel || !v->sample) break;
      int offset = (c->offsetMemory + c->highOffset * 256) * 256;
      const int loopEnd = v->sample->loopStart + v->sample->loopLength;
      if (offset >= loopEnd) offset = loopEnd - 1;
      v->channel->startOffset = offset < 0 ? 0 : offset;
      break;
    }
    case kRetrigger: Music_SetRetrigger(c, param); break;
    case kTremolo:
      if (x) c->tremoloSpeed = static_cast<uint8_t>(x);
      if (y) c->tremoloDepth = static_cast<uint8_t>(y);
      break;
    case kSpecial: SpecialAtRow(song, c, v, x, y); break;
    case kTempo:
      if (param >= kTempoFromParam)
        Music_SetTempo(song, param);
      else
        Tempo(song, Music_Remember(c->memory[kMemTempo], param));
      break;
    case kGlobalVolume:
      song->globalVolume = param > kMaxGlobalVolume ? kMaxGlobalVolume : param;
      v->flags |= kVoiceVolume;
      break;
    case kGlobalSlide:
      SlideVolumeAtRow(&song->globalVolume, Music_Remember(c->memory[kMemGlobalSlide], param), kMaxGlobalVolume);
      break;
    case kPan:
      c->channelPan = param / 4 > 63 ? 63 : param / 4;
      v->pan = c->channelPan;
      v->flags |= kVoicePan | kVoiceSurroundOff;
      break;
    case kPanbrello:
      if (x) c->panbrelloSpeed = static_cast<uint8_t>(x);
      if (y) c->panbrelloDepth = static_cast<uint8_t>(y);
      break;
    case kZxx: Music_QueueCallback(song, param, kMusicCallbackZxx); break;
    default: break;
  }
}

void EffectLater(MusicSong* song, MusicChannel* c, MusicVoice* v, int processTick) {
  const int param = c->cell.param, x = param >> 4, y = param & 0x0F;
  switch (c->effect) {
    case kVolumeSlide: SlideVolumeLater(&v->volume, c->volumeSlideMemory, kMusicMaxVolume); v->flags |= kVoiceVolume; break;
    case kSlideDown:
    case kSlideUp:
      if (c->portaMemory < 0xE0) {
        v->period += (c->effect == kSlideDown ? 4 : -4) * c->portaMemory;
        v->flags |= v->period < 1 ? kVoiceStop : kVoiceFrequency;
      }
      break;
    case kTonePorta: TonePortamento(c, v); break;
    case kVibrato:
    case kFineVibrato: Vibrato(song, c, v, true); break;
    case kTremor: Music_Tremor(c, v); break;
    case kArpeggio: {
      const int step = song->tick % 3;
      const int up = step == 1 ? c->arpeggioMemory >> 4 : step == 2 ? c->arpeggioMemory & 0x0F : 0;
      v->periodDelta -= SemitoneSpan(song, c->realNote, up, v->baseRate);
      v->flags |= kVoiceFrequency;
      break;
    }
    case kVibratoVolume:
      Vibrato(song, c, v, true);
      SlideVolumeLater(&v->volume, c->volumeSlideMemory, kMusicMaxVolume);
      v->flags |= kVoiceVolume;
      break;
    case kPortaVolume:
      TonePortamento(c, v);
      SlideVolumeLater(&v->volume, c->volumeSlideMemory, kMusicMaxVolume);
      v->flags |= kVoiceVolume;
      break;
    case kChannelSlide:
      SlideVolumeLater(&c->channelVolume, c->memory[kMemChannelSlide], kMusicMaxVolume);
      v->flags |= kVoiceVolume;
      break;
    case kRetrigger:
      if (c->retrigInterval && (song->tick - processTick) % c->retrigInterval == 0) {
        const int before = v->volume;
        v->volume = Music_ClampVolume(RetriggerVolume(v->volume, c->retrigStep));
        v->period = c->period;
        v->flags |= kVoiceStart | kVoicePan | (v->volume != before ? kVoiceVolume : 0);
      }
      break;
    case kTremolo: Music_Tremolo(c, v); break;
    case kSpecial:
      if (x == 0xC && song->tick == (y ? y : 1)) {
        v->volume = 0;
        v->flags |= kVoiceVolume;
      }
      break;
    case kTempo:
      if (param < kTempoFromParam) Tempo(song, c->memory[kMemTempo]);
      break;
    case kGlobalSlide:
      SlideVolumeLater(&song->globalVolume, c->memory[kMemGlobalSlide], kMaxGlobalVolume);
      v->flags |= kVoiceVolume;
      break;
    case kPanbrello: Panbrello(c, v); break;
    default: break;
  }
}

void VolumeColumn(MusicSong* song, MusicChannel* c, MusicVoice* v, bool atRow) {
  if (!c->cell.volume) return;
  const int b = c->cell.volume - 1;
  uint8_t& memory = c->memory[kMemVolumeColumn];
  auto remember = [&](int value) {
    if (atRow && value) memory = static_cast<uint8_t>(value);
    return memory;
  };
  if (b <= 64) {
    if (atRow) v->volume = b;
  } else if (b <= 74) {
    if (atRow) v->volume = Music_ClampVolume(v->volume + remember(b - 65));
  } else if (b <= 84) {
    if (atRow) v->volume = Music_ClampVolume(v->volume - remember(b - 75));
  } else if (b <= 94) {
    const int m = remember(b - 85);
    if (!atRow) v->volume = Music_ClampVolume(v->volume + m);
  } else if (b <= 104) {
    const int m = remember(b - 95);
    if (!atRow) v->volume = Music_ClampVolume(v->volume - m);
  } else if (b <= 114) {
    v->period += 16 * Music_Remember(c->portaMemory, atRow ? b - 105 : 0);
    v->flags |= kVoiceFrequency;
  } else if (b <= 124) {
    v->period -= 16 * Music_Remember(c->portaMemory, atRow ? b - 115 : 0);
    v->flags |= v->period <= 0 ? kVoiceStop : kVoiceFrequency;
  } else if (b >= 128 && b <= 192) {
    if (atRow) {
      c->channelPan = b - 128;
      v->pan = c->channelPan;
      v->flags |= kVoicePan;
    }
  } else if (b >= 193 && b <= 202) {
    if (atRow) {
      if (b != 193) {
        uint8_t& porta = (song->formatFlags & kItSeparatePortaMemory) ? c->memory[kMemOwnPorta] : c->portaMemory;
        porta = static_cast<uint8_t>(2 * (b - 193));
        c->portaSpeed = porta;
      }
      c->portaTarget = c->period;
    } else {
      TonePortamento(c, v);
    }
  } else if (b >= 203 && b <= 212) {
    if (atRow) {
      if (b != 203) c->vibratoDepth = static_cast<uint8_t>(b - 203);
      c->vibratoKind = kVibratoKind;
    }
    if (!atRow || !OldEffects(song)) Vibrato(song, c, v, !atRow);
  }
  v->flags |= kVoiceVolume;
}

bool PortaCell(const MusicCell& cell) {
  return cell.effect == kTonePorta || cell.effect == kPortaVolume || (cell.volume >= 194 && cell.volume <= 203);
}

// The cell's work at its processing tick.
void ProcessCell(MusicSong* song, int index, MusicChannel* c, int tremoloDelta) {
  const MusicCell& cell = c->cell;
  MusicVoice* v = Music_CurrentVoice(c);
  if (c->effect == kTremolo && cell.effect != kTremolo) v->volume = Music_ClampVolume(v->volume + tremoloDelta);
  c->effect = cell.effect;
  v->volumeDelta = 0;
  const bool note = cell.note >= 1 && cell.note <= kItNotes;
  if (note) c->note = static_cast<uint8_t>(cell.note - 1);
  if (cell.instrument) {
    c->instrument = static_cast<uint8_t>(cell.instrument - 1);
    Music_QueueCallback(song, c->instrument, kMusicCallbackInstrument);
  }
  const bool instruments = ItInstrumentMode(song);
  const bool muted = (song->defaultPan[index] & kItChannelMuted) != 0;
  const ItInstrument* ins = instruments ? InstrumentOf(song, c->instrument) : nullptr;
  bool started = false;
  int sampleNumber = instruments ? 0 : c->instrument + 1;
  int real = c->note;
  if (ins && c->note < kItNotes) {
    real = ins->map[c->note][0];
    sampleNumber = ins->map[c->note][1];
  }
  if (sampleNumber > song->sampleCount) sampleNumber = 0;
  const bool porta = PortaCell(cell);
  if (note && porta && v->channel) {
    c->period = NotePeriod(song, real, v->baseRate);
    c->realNote = real;
    c->portaReached = 0;
  } else if (note && !muted && sampleNumber != 0 && (!instruments || ins)) {
    v = NewNote(song, c, ins, sampleNumber, real);
    started = true;
  }
  if (cell.instrument && sampleNumber != 0 && song->samples[sampleNumber - 1])
    v->volume = Music_ClampVolume(song->samples[sampleNumber - 1]->volume);
  for (SoundLink* l = c->voices.next; l != &c->voices; l = l->next) reinterpret_cast<MusicVoice*>(l)->periodDelta = 0;
  v->flags |= kVoiceFrequency | kVoiceVolume;
  if (cell.note == kItNoteOff) {
    if (instruments)
      KeyOff(v);
    else
      v->flags |= kVoiceStop;
  }
  if (cell.note == kItNoteCut) v->flags |= kVoiceStop;
  VolumeColumn(song, c, v, true);
  EffectAtRow(song, c, v, started);
}

int ProcessTick(const MusicCell& cell) {
  if (cell.effect == kSpecial && (cell.param >> 4) == 0xD) return (cell.param & 0x0F) ? (cell.param & 0x0F) : 1;
  return 0;
}

// ---- Every voice after the row work ----

void StepVoice(MusicSong* song, MusicChannel* c, MusicVoice* v) {
  const auto* ins = static_cast<const ItInstrument*>(v->instrument);
  int pitchOffset = 0, panOffset = 0;
  if (ItInstrumentMode(song) && ins) {
    for (int k = 0; k < kEnvelopeKinds; ++k)
      if (v->envelopeOn[k]) Music_StepEnvelope(ins->envelopes[k], &v->envelopes[k], !v->keyOff);
    if (v->envelopeOn[kEnvelopeVolume]) {
      v->flags |= kVoiceVolume;
      if (v->envelopes[kEnvelopeVolume].done) v->fading = 1;
    }
    if (v->envelopeOn[kEnvelopePan]) {
      panOffset = v->envelopes[kEnvelopePan].current;
      v->flags |= kVoicePan;
    }
    if (v->envelopeOn[kEnvelopePitch]) {
      const int half = v->envelopes[kEnvelopePitch].current;
      pitchOffset = Linear(song) ? half * 32 : SemitoneSpan(song, c->realNote, half / 2, v->baseRate);
      v->flags |= kVoiceFrequency;
    }
  }
  if (v->fading) {
    v->fadeVolume -= ins ? ins->fadeOut : kItFullFade;
    if (v->fadeVolume <= 0) {
      v->fadeVolume = 0;
      v->flags |= kVoiceStop;
    }
    v->flags |= kVoiceVolume;
  }
  if (const ItSampleInfo* info = InfoOf(song, v)) {
    if (info->vibratoDepth) {
      const int pos = v->autoVibratoPos & 255;
      const int wave = (info->vibratoType & 3) == 1 ? (128 - ((pos + 128) % 256)) / 2
                       : (info->vibratoType & 3) == 2 ? (pos < 128 ? 64 : -64)
                                                      : kMusicSignedSine[pos];
      v->periodDelta -= static_cast<int>(static_cast<int64_t>(v->autoVibratoSweep) * info->vibratoDepth * wave >> 23);
      v->autoVibratoSweep = v->autoVibratoSweep + 2 * info->vibratoRate > 65536 ? 65536
                                                                               : v->autoVibratoSweep + 2 * info->vibratoRate;
      v->autoVibratoPos = (pos + info->vibratoSpeed) & 255;
      v->flags |= kVoiceFrequency;
    }
  }
  const int pan = Clamp(v->pan + (v->background ? 0 : c->panbrelloDelta) + panOffset, 0, kMaxPan);
  const int period = v->period + v->periodDelta - pitchOffset;
  int frequency = 0;
  if (v->period + v->periodDelta != 0) {
    const int p = period < 1 ? 1 : period;
    frequency = Linear(song) ? (p / 768 >= 32 ? 0 : (Music_LinearFrequency(p % 768) / 2) >> (p / 768))
                             : kMusicAmigaClock / p;
  }
  const uint8_t surround = v->flags & (kVoiceSurroundOn | kVoiceSurroundOff);
  const bool start = (v->flags & kVoiceStart) != 0;
  Music_ApplyVoiceOutput(song, v, v->sample, OutputVolume(song, c, v), Clamp(pan * 4, 0, 255), frequency, false);
  if (v->channel && (surround || start)) SoundChannel_SetFlag4(v->handle, v->surround && !(surround & kVoiceSurroundOff));
  if (surround & kVoiceSurroundOff) v->surround = 0;
  v->flags = 0;
}

void VoicesAfterRow(MusicSong* song, int index, MusicChannel* c) {
  const bool muted = (song->defaultPan[index] & kItChannelMuted) != 0;
  for (SoundLink* l = c->voices.next; l != &c->voices;) {
    auto* v = reinterpret_cast<MusicVoice*>(l);
    if (muted) v->flags = 0;
    StepVoice(song, c, v);
    l = l->next;
    // A background voice whose sound ended gives its engine channel back.
    if (v->background && v->channel && !v->channel->ops.isPlaying(v->channel)) Music_FreeVoice(v);
  }
}

void RowFunction(MusicSong* song) {
  ItSongData* d = ItData(song);
  for (int i = 0; i < song->channelCount; ++i) {
    MusicChannel* c = &song->channels[i];
    if (song->tick == 0) c->cell = d->row[i];
    const int tremoloDelta = Music_CurrentVoice(c)->volumeDelta;
    for (SoundLink* l = c->voices.next; l != &c->voices; l = l->next) {
      auto* v = reinterpret_cast<MusicVoice*>(l);
      v->volumeDelta = 0;
      v->periodDelta = 0;
    }
    c->panbrelloDelta = 0;
    const int at = ProcessTick(c->cell);
    if (song->tick == at) {
      ProcessCell(song, i, c, tremoloDelta);
    } else if (song->tick > at) {
      EffectLater(song, c, Music_CurrentVoice(c), at);
      VolumeColumn(song, c, Music_CurrentVoice(c), false);
    }
    VoicesAfterRow(song, i, c);
  }
}

}  // namespace

void MusicIt_Start(MusicSong* song) {
  ItSongData* d = ItData(song);
  d->cursorPattern = -1;
  for (int i = 0; i < song->channelCount; ++i) {
    song->channels[i].channelVolume = d->channelVolume[i];
    song->channels[i].channelPan = song->defaultPan[i] & 0x7F;
  }
}

void MusicIt_OrderStep(MusicSong* song) {
  // One pass over the list at most: a list of markers alone stops the song.
  for (int steps = 0; steps <= song->orderCount; ++steps) {
    if (song->order >= song->orderCount || song->orderList[song->order] == 255) {
      song->finished = 1;
      song->order = song->restartOrder;
      if (!song->looping) return;
      continue;
    }
    if (song->orderList[song->order] != 254) return;
    ++song->order;
  }
  song->finished = 1;
  song->looping = 0;
}

void MusicIt_Tick(MusicSong* song) {
  ItSongData* d = ItData(song);
  if (song->tick == 0) {
    if (song->finished && !song->looping) {
      Music_StopSong(song);
      return;
    }
    song->jumpInRow = 0;
    song->delayRows = 0;
    if (song->nextOrder >= 0) {
      song->order = song->nextOrder;
      song->nextOrder = -1;
      MusicIt_OrderStep(song);
      if (song->finished && !song->looping) {
        Music_StopSong(song);
        return;
      }
      Music_QueueCallback(song, song->order, kMusicCallbackOrder);
      d->cursorPattern = -1;
    }
    const int rows = Music_PatternRows(song);
    if (song->nextRow >= 0) {
      // The break's target row is checked against the pattern it lands in.
      song->row = song->nextRow < rows ? song->nextRow : 0;
      song->nextRow = -1;
      Music_QueueCallback(song, song->row, kMusicCallbackRow);
    }
    UnpackRow(song, song->row);
    for (int i = 0; i < song->channelCount; ++i) song->channels[i].fineDelay = 0;
    RowFunction(song);
    // Pattern delays in rows of the row's final speed, fine delays in ticks.
    int fine = 0;
    for (int i = 0; i < song->channelCount; ++i)
      if (song->channels[i].fineDelay > fine) fine = song->channels[i].fineDelay;
    song->rowDelayTicks = song->delayRows * song->speed + fine;
    Music_AdvanceRow(song, rows);
  } else {
    RowFunction(song);
  }
  const int speed = song->speed > 0 ? song->speed : 1;
  if (++song->tick >= speed + song->rowDelayTicks) {
    song->tick = 0;
    song->rowDelayTicks = 0;
  }
}
