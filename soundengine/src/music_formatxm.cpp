// XM songs ("Extended Module: "): instruments with a note-to-sample map, volume and pan
// envelopes, fade-out and auto-vibrato, a volume column, Amiga or linear frequencies,
// and samples stored as PCM deltas or as Ogg Vorbis streams.
#include <algorithm>

#include "format_oggvorbis.h"
#include "music_player.h"
#include "sound_alloc.h"
#include "sound_load_budget.h"

static constexpr char kSoundFileTag[] = "src/music_formatxm";

namespace {

constexpr char kTag[] = "Extended Module: ";
constexpr int kTagBytes = 17;
constexpr int kNameBytes = 20;
constexpr int kMarkerAt = 37;
constexpr uint8_t kMarker = 0x1A;
constexpr int kHeaderSizeAt = 60;
constexpr int kOrderTableAt = 80;
constexpr int kMaxChannels = 64;
constexpr int kMaxPatterns = 256;
constexpr int kMaxInstruments = 128;
constexpr int kSlots = 16;
constexpr int kMapNotes = 96;
constexpr int kEnvelopePoints = 12;
constexpr int kSampleHeaderBytes = 40;
constexpr int kGuardBytes = 16;
constexpr uint8_t kKeyOff = 255;
constexpr int kFileKeyOff = 97;
constexpr int kMaxRealNote = 130;          // the period lookups read up to entry real note + 2
constexpr int kLinearTop = 7680;           // period of real note 0 in linear mode
constexpr int kFullFade = 65536;
constexpr int kMinSlidePeriod = 56;
constexpr int kTempoFromParam = 32;
constexpr uint16_t kLinearFlag = 1;

enum XmEffect : uint8_t {
  kArpeggio = 0, kSlideUp = 1, kSlideDown = 2, kTonePorta = 3, kVibrato = 4, kPortaVolume = 5, kVibratoVolume = 6,
  kTremolo = 7, kPan = 8, kOffset = 9, kVolumeSlide = 10, kJump = 11, kSetVolume = 12, kBreak = 13, kExtended = 14,
  kSpeed = 15, kGlobalVolume = 16, kGlobalSlide = 17, kKeyOffEffect = 20, kEnvelopePosition = 21, kPanSlide = 25,
  kMultiRetrigger = 27, kTremor = 29, kExtraFine = 33, kZxx = 35,
};
enum XmExtended : uint8_t {
  kFineUp = 0x1, kFineDown = 0x2, kVibratoWave = 0x4, kFinetune = 0x5, kLoop = 0x6, kTremoloWave = 0x7,
  kPan16 = 0x8, kRetrigger = 0x9, kFineVolumeUp = 0xA, kFineVolumeDown = 0xB, kNoteCut = 0xC, kNoteDelay = 0xD,
  kPatternDelay = 0xE,
};
// Slots of `MusicChannel::memory`.
enum XmMemory { kMemUp, kMemDown, kMemFineUp, kMemFineDown, kMemExtraUp, kMemExtraDown, kMemFineVolume,
                kMemGlobalSlide, kMemPanSlide };

struct XmSlot {
  int16_t sample;       // index into the song's samples, -1 none
  int8_t finetune;
  int8_t relativeNote;
  uint8_t volume;       // 0..64
  uint8_t pan;          // 0..255
};

struct XmInstrument {
  uint8_t map[kMapNotes];
  XmSlot slots[kSlots];
  MusicEnvelope volume, pan;
  uint8_t vibratoType, vibratoSweep, vibratoDepth, vibratoRate;
  int32_t fadeOut;
};

XmInstrument* Instruments(MusicSong* song) { return static_cast<XmInstrument*>(song->instruments); }
bool Linear(const MusicSong* song) { return (song->formatFlags & kLinearFlag) != 0; }

const XmSlot* Slot(const MusicChannel* c) { return static_cast<const XmSlot*>(c->slot); }

const XmInstrument* InstrumentOf(MusicSong* song, const MusicChannel* c) {
  return c->instrument < song->instrumentCount ? &Instruments(song)[c->instrument] : nullptr;
}

SoundSample* SampleOf(MusicSong* song, const MusicChannel* c) {
  const XmSlot* slot = Slot(c);
  if (!slot || slot->sample < 0 || slot->sample >= song->sampleCount || !song->samples[slot->sample])
    return Music_InvalidSample();
  return song->samples[slot->sample];
}

// ---- Loading ----

void ReadEnvelope(MusicImage* im, int64_t pointsAt, MusicEnvelope* e) {
  im->Seek(pointsAt);
  for (int i = 0; i < kEnvelopePoints; ++i) {
    e->x[i] = im->U16LE();
    e->y[i] = static_cast<int16_t>(im->U16LE());
  }
}

// The sustain point and loop of an envelope; its type bits on, sustain, loop.
void FinishEnvelope(MusicEnvelope* e, int count, int sustain, int loopStart, int loopEnd, int type) {
  e->count = static_cast<uint8_t>(count > kEnvelopePoints ? kEnvelopePoints : count);
  e->sustainStart = e->sustainEnd = static_cast<uint8_t>(sustain);
  e->loopStart = static_cast<uint8_t>(loopStart);
  e->loopEnd = static_cast<uint8_t>(loopEnd);
  e->flags = static_cast<uint8_t>(((type & 1) ? kEnvelopeEnabled : 0) | ((type & 2) ? kEnvelopeSustains : 0) |
                                  ((type & 4) ? kEnvelopeLoops : 0));
  // A sustain or loop index past the points is dropped rather than clamped.
  if (sustain >= e->count) e->flags &= ~kEnvelopeSustains;
  if (loopStart >= e->count || loopEnd >= e->count || loopStart > loopEnd) e->flags &= ~kEnvelopeLoops;
  Music_CheckEnvelope(e, kEnvelopePoints);
}

struct SampleHeader {
  uint32_t bytes, loopStart, loopLength;
  uint8_t volume, type, pan;
  int8_t finetune, relativeNote;
  char name[22];
};

bool AddSample(MusicSong* song, SoundSample* s, int* index) {
  song->samples[song->sampleCount] = s;
  *index = song->sampleCount++;
  return true;
}

// An Ogg Vorbis block: a 4-byte value, then the stream, holding what the song's budget
// leaves (Ogg Vorbis has no ratio a valid file stays under: silence packs thousands to
// one). Null when the reader refuses it or the budget is spent.
SoundSample* LoadOggSample(const uint8_t* block, int64_t bytes, const SampleHeader& h, const SoundLoadBudget& budget) {
  const uint32_t mode = SoundMode::FromMemory | SoundMode::No3d | SoundMode::Signed | SoundMode::Mono |
                        SoundMode::Pcm16;
  const int32_t saved = SoundError;
  const int64_t was = OggFormat_SetSampleLimit(budget.Left());
  SoundSample* s = SoundSample_Load(kSoundSampleUnlisted, block + 4, mode, 0, static_cast<int>(bytes - 4), nullptr);
  OggFormat_SetSampleLimit(was);
  SoundError_Set(saved);
  if (!s) return nullptr;
  const bool loops = (h.type & 3) && h.loopLength > 0;
  const int start = static_cast<int>(h.loopStart);
  Music_SetSampleLoop(s, loops, start, loops ? static_cast<int>(h.loopLength) : 0);
  if (loops && (h.type & 3) == 2) SoundSample_SetMode(s, SoundMode::LoopPingPong);
  return s;
}

SoundSample* LoadPcmSample(const uint8_t* block, int64_t bytes, const SampleHeader& h) {
  const bool sixteen = (h.type & 0x10) != 0;
  const int shift = (sixteen ? 1 : 0) + ((h.type & 0x20) ? 1 : 0);
  const int64_t frames = static_cast<int64_t>(h.bytes) >> shift;
  const int64_t present = bytes >> shift;
  const int length = static_cast<int>(frames < present ? frames : present);
  SoundSample* s = Music_CreateSample(length, sixteen);
  if (!s) return nullptr;
  // Stereo data holds the left channel first: that is what plays.
  if (length > 0 &&
      !Music_WriteSampleData(s, block, length << (sixteen ? 1 : 0),
                             (sixteen ? SoundMode::Pcm16 : SoundMode::Pcm8) | SoundMode::Signed | 0x200)) {
    SoundSample_Free(s);
    return nullptr;
  }
  const int64_t loopStart = static_cast<int64_t>(h.loopStart) >> shift;
  const int64_t loopLength = static_cast<int64_t>(h.loopLength) >> shift;
  const bool loops = (h.type & 3) && loopLength > 0 && loopStart < length;
  Music_SetSampleLoop(s, loops, static_cast<int>(loops ? loopStart : 0), static_cast<int>(loops ? loopLength : 0));
  if (loops && (h.type & 3) == 2 && (s->mode & SoundMode::LoopForward)) SoundSample_SetMode(s, SoundMode::LoopPingPong);
  return s;
}

// Reads one instrument at the image's position; leaves it after the instrument's data.
bool ReadInstrument(MusicSong* song, MusicImage* im, XmInstrument* ins, const SoundLoadBudget& budget) {
  const int64_t at = im->pos;
  const uint32_t size = im->U32LE();
  im->Seek(at + 27);
  const int count = im->U16LE();
  for (XmSlot& s : ins->slots) s = XmSlot{-1, 0, 0, 0, 128};
  if (count == 0 || im->overrun) {
    im->Seek(at + (size < 29 ? 29 : size));
    return true;
  }
  im->Seek(at + 33);
  im->Bytes(ins->map, kMapNotes);
  ReadEnvelope(im, at + 129, &ins->volume);
  ReadEnvelope(im, at + 177, &ins->pan);
  im->Seek(at + 225);
  const int volumePoints = im->U8(), panPoints = im->U8();
  const int volumeSustain = im->U8(), volumeLoopStart = im->U8(), volumeLoopEnd = im->U8();
  const int panSustain = im->U8(), panLoopStart = im->U8(), panLoopEnd = im->U8();
  const int volumeType = im->U8(), panType = im->U8();
  FinishEnvelope(&ins->volume, volumePoints, volumeSustain, volumeLoopStart, volumeLoopEnd, volumeType);
  FinishEnvelope(&ins->pan, panPoints, panSustain, panLoopStart, panLoopEnd, panType);
  ins->vibratoType = im->U8();
  ins->vibratoSweep = im->U8();
  ins->vibratoDepth = im->U8();
  ins->vibratoRate = im->U8();
  ins->fadeOut = im->U16LE() * 2;
  im->Seek(at + size);

  // Every header is read so the data after them can be found; only 16 slots are kept.
  SampleHeader headers[kSlots];
  int64_t skipped = 0;
  for (int i = 0; i < count && !im->overrun; ++i) {
    SampleHeader h = {};
    h.bytes = im->U32LE();
    h.loopStart = im->U32LE();
    h.loopLength = im->U32LE();
    h.volume = im->U8();
    h.finetune = static_cast<int8_t>(im->U8());
    h.type = im->U8();
    h.pan = im->U8();
    h.relativeNote = static_cast<int8_t>(im->U8());
    im->U8();
    im->Bytes(h.name, sizeof(h.name));
    if (i < kSlots)
      headers[i] = h;
    else
      skipped += h.bytes;
  }
  if (im->overrun) return true;  // a file cut short in its headers keeps what came before
  for (int i = 0; i < count && i < kSlots; ++i) {
    const SampleHeader& h = headers[i];
    XmSlot& slot = ins->slots[i];
    slot = XmSlot{-1, h.finetune, h.relativeNote, static_cast<uint8_t>(Music_ClampVolume(h.volume)), h.pan};
    // Never more than the file still holds.
    const int64_t bytes = static_cast<int64_t>(h.bytes) < im->Left() ? static_cast<int64_t>(h.bytes) : im->Left();
    const uint8_t* block = im->data + im->pos;
    im->pos += h.bytes;
    SoundSample* s = nullptr;
    if (bytes >= 8 && std::memcmp(block + 4, "OggS", 4) == 0) {
      s = LoadOggSample(block, bytes, h, budget);
      if (!s) continue;  // plays as "Invalid Sample"
    } else {
      s = LoadPcmSample(block, bytes, h);
      if (!s) {
        SoundError_Set(kSoundErrNoMemory);
        return false;
      }
    }
    std::memcpy(s->name, h.name, sizeof(h.name));
    s->volume = slot.volume;
    int index;
    AddSample(song, s, &index);
    slot.sample = static_cast<int16_t>(index);
  }
  im->pos += skipped;
  return true;
}

void ReadPattern(MusicSong* song, MusicImage* im, int pattern) {
  const int64_t at = im->pos;
  im->U32LE();
  im->U8();
  const int rows = im->U16LE();
  const int packed = im->U16LE();
  const int64_t end = im->pos + packed;
  if (!Music_ResizePattern(song, pattern, rows)) return;
  const int kept = song->patterns[pattern].rows;
  for (int r = 0; r < kept && packed > 0; ++r)
    for (int ch = 0; ch < song->channelCount && im->pos < end; ++ch) {
      MusicCell cell = {};
      uint8_t b = im->U8();
      const uint8_t fields = (b & 0x80) ? b : 0x1F;
      if (b & 0x80) b = (fields & 1) ? im->U8() : 0;
      if (im->pos > end) break;
      const uint8_t note = b;
      cell.instrument = (fields & 2) ? im->U8() : 0;
      cell.volume = (fields & 4) ? im->U8() : 0;
      cell.effect = (fields & 8) ? im->U8() : 0;
      cell.param = (fields & 16) ? im->U8() : 0;
      if (im->pos > end) break;
      cell.note = note == kFileKeyOff ? kKeyOff : note > kFileKeyOff ? 0 : note;
      if (cell.instrument > kMaxInstruments) cell.instrument = 0;
      *Music_Cell(song, pattern, r, ch) = cell;
    }
  im->Seek((end > at ? end : at));
}

// ---- Playing ----

int AmigaPeriod(int real, int finetune) {
  if (real < 0) real = 0;
  if (real > kMaxRealNote) real = kMaxRealNote;
  const int p = kMusicPeriods[real + 1];
  const int d = finetune < 0 && real != 0 ? kMusicPeriods[real + 1] - kMusicPeriods[real]
                                          : kMusicPeriods[real + 2] - kMusicPeriods[real + 1];
  return p + d * finetune / 128;
}

int NotePeriod(const MusicSong* song, int real, int finetune) {
  if (real < 0) real = 0;
  if (real > kMaxRealNote) real = kMaxRealNote;
  return Linear(song) ? kLinearTop - real * 64 - finetune / 2 : AmigaPeriod(real, finetune);
}

int Finetune(const MusicChannel* c) { return Slot(c) ? Slot(c)->finetune : 0; }

int OutputVolume(const MusicSong* song, const MusicVoice* v) {
  const int volume = Music_ClampVolume(v->volume + v->volumeDelta);
  const uint32_t scaled = static_cast<uint32_t>(volume) * static_cast<uint32_t>(v->fadeVolume) *
                          static_cast<uint32_t>(v->envelopes[kEnvelopeVolume].current) / 2048;
  return static_cast<int>(static_cast<uint64_t>(scaled) * static_cast<uint32_t>(song->globalVolume) *
                          static_cast<uint32_t>(song->masterVolume) / 16777216u);
}

void Apply(MusicSong* song, MusicChannel* c) {
  SoundSample* sample = SampleOf(song, c);
  for (SoundLink* l = c->voices.next; l != &c->voices; l = l->next) {
    auto* v = reinterpret_cast<MusicVoice*>(l);
    const int p = v->pan;
    const int away = p > 128 ? p - 128 : 128 - p;
    const int pan = p + (128 - away) / 32 * (v->envelopes[kEnvelopePan].current - 32);
    const int period = v->period + v->periodDelta;
    int frequency = 0;
    if (period != 0) frequency = Linear(song) ? Music_LinearFrequency(period) : kMusicAmigaClock / (period < 1 ? 1 : period);
    Music_ApplyVoiceOutput(song, v, sample, OutputVolume(song, v), pan < 0 ? 0 : pan > 255 ? 255 : pan, frequency,
                           false);
  }
}


// Vibrato on the period: + while the position is negative.
void VibratoDelta(MusicChannel* c, MusicVoice* v, int depth, bool advance) {
  const int pos = c->vibratoPos;
  const int wave = Music_VibratoWave(c->waveControl, pos);
  const int magnitude = (wave * depth / 32) & ~3;
  v->periodDelta += pos < 0 ? magnitude : -magnitude;
  if (advance) {
    int next = pos + c->vibratoSpeed;
    if (next > 31) next -= 64;
    c->vibratoPos = static_cast<int8_t>(next);
  }
  v->flags |= kVoiceFrequency;
}

void AutoVibrato(MusicSong* song, MusicChannel* c, MusicVoice* v) {
  const XmInstrument* ins = InstrumentOf(song, c);
  if (!ins || !ins->vibratoDepth || !v->channel) return;
  const int pos = v->autoVibratoPos & 255;
  int wave;
  switch (ins->vibratoType & 3) {
    case 1: wave = pos < 128 ? 64 : -64; break;
    case 2: wave = (128 - ((pos + 128) % 256)) / 2; break;
    case 3: wave = (128 - ((384 - pos) % 256)) / 2; break;
    default: wave = kMusicSignedSine[pos]; break;
  }
  int delta = wave * ins->vibratoDepth;
  if (ins->vibratoSweep) delta = delta * v->autoVibratoSweep / ins->vibratoSweep;
  v->periodDelta += delta / 64;
  if (v->autoVibratoSweep < ins->vibratoSweep) ++v->autoVibratoSweep;
  v->autoVibratoPos = (pos + ins->vibratoRate) & 255;
  v->flags |= kVoiceFrequency;
}


void Fade(MusicSong* song, MusicChannel* c, MusicVoice* v) {
  if (!v->keyOff) return;
  const XmInstrument* ins = InstrumentOf(song, c);
  v->fadeVolume -= ins ? ins->fadeOut : kFullFade;
  if (v->fadeVolume < 0) v->fadeVolume = 0;
  v->flags |= kVoiceVolume;
}

void StepEnvelopes(MusicSong* song, MusicChannel* c, MusicVoice* v) {
  const XmInstrument* ins = InstrumentOf(song, c);
  if (ins && (ins->volume.flags & kEnvelopeEnabled)) {
    Music_StepEnvelope(ins->volume, &v->envelopes[kEnvelopeVolume], !v->keyOff);
    v->flags |= kVoiceVolume;
  } else if (v->keyOff) {
    v->envelopes[kEnvelopeVolume].current = 0;  // no envelope: a key-off silences at once
    v->flags |= kVoiceVolume;
  }
  if (ins && (ins->pan.flags & kEnvelopeEnabled)) {
    Music_StepEnvelope(ins->pan, &v->envelopes[kEnvelopePan], !v->keyOff);
    v->flags |= kVoicePan;
  }
}

void NoteSetup(MusicSong* song, MusicChannel* c, MusicVoice* v, const MusicCell& cell) {
  if (cell.instrument) {
    const XmSlot* slot = Slot(c);
    v->volume = slot ? slot->volume : 0;
    v->pan = slot ? slot->pan : 128;
    Music_RestartEnvelope(&v->envelopes[kEnvelopeVolume], 64);
    Music_RestartEnvelope(&v->envelopes[kEnvelopePan], 32);
    v->fadeVolume = kFullFade;
    v->keyOff = 0;
    v->autoVibratoPos = v->autoVibratoSweep = 0;
    c->tremorCount = 0;
    Music_ResetWavePositions(c);
    v->flags |= kVoiceVolume | kVoicePan;
  }
  const int b = cell.volume, low = b & 0x0F;
  if (b >= 0x10 && b <= 0x50) {
    v->volume = b - 0x10;
    v->flags |= kVoiceVolume;
  }
  switch (b >> 4) {
    case 0x6: case 0x8: v->volume = Music_ClampVolume(v->volume - low); v->flags |= kVoiceVolume; break;
    case 0x7: case 0x9: v->volume = Music_ClampVolume(v->volume + low); v->flags |= kVoiceVolume; break;
    case 0xA: c->vibratoSpeed = static_cast<uint8_t>(low); break;
    case 0xB: c->vibratoDepth = static_cast<uint8_t>(low); break;
    case 0xC: v->pan = low * 16; v->flags |= kVoicePan; break;
    case 0xD: v->pan = v->pan - low < 0 ? 0 : v->pan - low; v->flags |= kVoicePan; break;
    case 0xE: v->pan = v->pan + low > 255 ? 255 : v->pan + low; v->flags |= kVoicePan; break;
    case 0xF:
      if (low) c->portaSpeed = static_cast<uint8_t>(low * 16);
      c->portaTarget = c->period;
      v->flags &= static_cast<uint8_t>(~kVoiceStart);
      break;
    default: break;
  }
  if (cell.note == kKeyOff || cell.effect == kKeyOffEffect) v->keyOff = 1;
  StepEnvelopes(song, c, v);
  Fade(song, c, v);
}

int RetriggerVolume(int volume, int step) {
  static const int kAdd[16] = {0, -1, -2, -4, -8, -16, 0, 0, 0, 1, 2, 4, 8, 16, 0, 0};
  switch (step) {
    case 6: return volume * 2 / 3;
    case 7: return volume / 2;
    case 14: return volume * 3 / 2;
    case 15: return volume * 2;
    default: return volume + kAdd[step & 15];
  }
}


void ExtendedAtRow(MusicSong* song, MusicChannel* c, MusicVoice* v, int x, int y) {
  switch (x) {
    case kFineUp: v->period -= 4 * Music_Remember(c->memory[kMemFineUp], y); v->flags |= kVoiceFrequency; break;
    case kFineDown: v->period += 4 * Music_Remember(c->memory[kMemFineDown], y); v->flags |= kVoiceFrequency; break;
    case kVibratoWave: Music_SetVibratoWave(c, y); break;
    case kFinetune:
      if (Slot(c)) const_cast<XmSlot*>(Slot(c))->finetune = static_cast<int8_t>(y);
      break;
    case kLoop: Music_PatternLoop(song, c, y); break;
    case kTremoloWave: Music_SetTremoloWave(c, y); break;
    case kPan16: v->pan = y * 16; v->flags |= kVoicePan; break;
    case kFineVolumeUp:
      v->volume = Music_ClampVolume(v->volume + Music_Remember(c->memory[kMemFineVolume], y));
      v->flags |= kVoiceVolume;
      break;
    case kFineVolumeDown:
      v->volume = Music_ClampVolume(v->volume - Music_Remember(c->memory[kMemFineVolume], y));
      v->flags |= kVoiceVolume;
      break;
    case kNoteDelay:
      v->volume = c->rowVolume;
      v->period = c->rowPeriod;
      v->pan = c->rowPan;
      v->flags = 0;
      break;
    case kPatternDelay: song->delayRows = y; break;
    default: break;
  }
}

void EffectAtRow(MusicSong* song, MusicChannel* c, MusicVoice* v, SoundSample* sample) {
  const int param = c->cell.param, x = param >> 4, y = param & 0x0F;
  switch (c->effect) {
    case kSlideUp: Music_Remember(c->memory[kMemUp], param); break;
    case kSlideDown: Music_Remember(c->memory[kMemDown], param); break;
    case kTonePorta:
      Music_Remember(c->portaSpeed, param);
      Music_StartTonePortamento(c, v);
      break;
    case kVibrato:
      if (x) c->vibratoSpeed = static_cast<uint8_t>(x);
      if (y) c->vibratoDepth = static_cast<uint8_t>(y);
      VibratoDelta(c, v, c->vibratoDepth, false);
      break;
    case kPortaVolume:
      Music_Remember(c->volumeSlideMemory, param);
      Music_StartTonePortamento(c, v);
      break;
    case kVibratoVolume:
      Music_Remember(c->volumeSlideMemory, param);
      VibratoDelta(c, v, c->vibratoDepth, false);
      break;
    case kTremolo:
      if (x) c->tremoloSpeed = static_cast<uint8_t>(x);
      if (y) c->tremoloDepth = static_cast<uint8_t>(y);
      break;
    case kPan: v->pan = param; v->flags |= kVoicePan; break;
    case kOffset: {
      if (param) c->offsetMemory = param;
      if (!(v->flags & kVoiceStart) || !v->channel) break;
      const int offset = c->offsetMemory * 256;
      if (offset < sample->loopStart + sample->loopLength)
        v->channel->startOffset = offset;
      else
        v->flags = static_cast<uint8_t>((v->flags & ~kVoiceStart) | kVoiceStop);
      break;
    }
    case kVolumeSlide: Music_Remember(c->volumeSlideMemory, param); break;
    case kJump: Music_PositionJump(song, param); break;
    case kSetVolume: v->volume = Music_ClampVolume(param); v->flags |= kVoiceVolume; break;
    case kBreak: Music_PatternBreak(song, x * 10 + y); break;
    case kExtended: ExtendedAtRow(song, c, v, x, y); break;
    case kSpeed:
      if (param < kTempoFromParam)
        song->speed = param;
      else
        Music_SetTempo(song, param);
      break;
    case kGlobalVolume:
      song->globalVolume = param > kMusicMaxVolume ? kMusicMaxVolume : param;
      v->flags |= kVoiceVolume;
      break;
    case kGlobalSlide: Music_Remember(c->memory[kMemGlobalSlide], param); break;
    case kEnvelopePosition: {
      const XmInstrument* ins = InstrumentOf(song, c);
      if (ins && (ins->volume.flags & kEnvelopeEnabled))
        Music_SetEnvelopeTick(ins->volume, &v->envelopes[kEnvelopeVolume], param);
      break;
    }
    case kPanSlide: Music_Remember(c->memory[kMemPanSlide], param); v->flags |= kVoicePan; break;
    case kMultiRetrigger: Music_SetRetrigger(c, param); break;
    case kTremor:
      Music_SetTremor(c, param);
      Music_Tremor(c, v);
      break;
    case kExtraFine:
      if (x == 1) v->period -= Music_Remember(c->memory[kMemExtraUp], y);
      if (x == 2) v->period += Music_Remember(c->memory[kMemExtraDown], y);
      v->flags |= kVoiceFrequency;
      break;
    case kZxx: Music_QueueCallback(song, param, kMusicCallbackZxx); break;
    default: break;
  }
}

void RowChannel(MusicSong* song, int index, const MusicCell& cell) {
  MusicChannel* c = &song->channels[index];
  MusicVoice* v = Music_CurrentVoice(c);
  const bool porta = cell.effect == kTonePorta || cell.effect == kPortaVolume;
  const bool note = cell.note != 0 && cell.note != kKeyOff;
  c->cell = cell;
  c->rowVolume = v->volume;
  c->rowPeriod = v->period;
  c->rowPan = v->pan;
  if (!porta) {
    if (cell.instrument) c->instrument = static_cast<uint8_t>(cell.instrument - 1);
    if (note) c->note = static_cast<uint8_t>(cell.note - 1);
  }
  if (cell.instrument) Music_QueueCallback(song, cell.instrument - 1, kMusicCallbackInstrument);
  if (!porta) {
    const XmInstrument* ins = InstrumentOf(song, c);
    const int mapped = ins && c->note < kMapNotes ? ins->map[c->note] : kSlots;
    c->slot = mapped < kSlots ? &ins->slots[mapped] : nullptr;
  }
  SoundSample* sample = SampleOf(song, c);
  if (c->effect == kTremolo && cell.effect != kTremolo) v->volume = Music_ClampVolume(v->volume + v->volumeDelta);
  c->effect = cell.effect;
  v->volumeDelta = 0;
  v->flags = 0;
  if (note) {
    v = Music_VoiceForNote(song, c, sample);
    const int real = cell.note + (Slot(c) ? Slot(c)->relativeNote : 0) - 1;
    c->realNote = real < 0 ? 0 : real > kMaxRealNote ? kMaxRealNote : real;
    c->period = NotePeriod(song, c->realNote, Finetune(c));
    if (!porta) v->period = c->period;
    v->flags = kVoiceStart;
  }
  v->flags |= kVoiceFrequency | kVoiceVolume;
  v->periodDelta = 0;
  NoteSetup(song, c, v, cell);
  EffectAtRow(song, c, v, sample);
  AutoVibrato(song, c, v);
  Apply(song, c);
}

void Row(MusicSong* song) { Music_PlayRow(song, RowChannel); }

void VolumeColumnLater(MusicChannel* c, MusicVoice* v) {
  const int b = c->cell.volume, low = b & 0x0F;
  switch (b >> 4) {
    case 0x6: v->volume = Music_ClampVolume(v->volume - low); v->flags |= kVoiceVolume; break;
    case 0x7: v->volume = Music_ClampVolume(v->volume + low); v->flags |= kVoiceVolume; break;
    case 0xB: VibratoDelta(c, v, low, true); break;
    case 0xD: v->pan = v->pan - low < 0 ? 0 : v->pan - low; v->flags |= kVoicePan; break;
    case 0xE: v->pan = v->pan + low > 255 ? 255 : v->pan + low; v->flags |= kVoicePan; break;
    case 0xF: Music_TonePortamento(c, v); break;
    default: break;
  }
}

void NoteDelayTick(MusicSong* song, MusicChannel* c) {
  if (!c->cell.note || c->cell.note == kKeyOff) {
    NoteSetup(song, c, Music_CurrentVoice(c), c->cell);
    return;
  }
  MusicVoice* v = Music_VoiceForNote(song, c, SampleOf(song, c));
  v->period = c->period;
  v->flags = kVoiceStart | kVoiceFrequency;
  NoteSetup(song, c, v, c->cell);
}

void EffectsChannel(MusicSong* song, int /*index*/, MusicChannel* c, MusicVoice* v) {
  const int param = c->cell.param, x = param >> 4, y = param & 0x0F;
  StepEnvelopes(song, c, v);
  Fade(song, c, v);
  VolumeColumnLater(c, v);
  switch (c->effect) {
    case kArpeggio:
      if (param) {
        const int step = song->tick % 3;
        const int up = step == 1 ? x : step == 2 ? y : 0;
        if (Linear(song))
          v->periodDelta = -64 * up;
        else
          v->periodDelta = AmigaPeriod(c->realNote + up, Finetune(c)) - AmigaPeriod(c->realNote, Finetune(c));
        v->flags |= kVoiceFrequency;
      }
      break;
    case kSlideUp:
      v->period = v->period - 4 * c->memory[kMemUp] < kMinSlidePeriod ? kMinSlidePeriod
                                                                      : v->period - 4 * c->memory[kMemUp];
      v->flags |= kVoiceFrequency;
      break;
    case kSlideDown: v->period += 4 * c->memory[kMemDown]; v->flags |= kVoiceFrequency; break;
    case kTonePorta: Music_TonePortamento(c, v); break;
    case kVibrato: VibratoDelta(c, v, c->vibratoDepth, true); break;
    case kPortaVolume:
      Music_TonePortamento(c, v);
      Music_VolumeSlide(v, c->volumeSlideMemory);
      break;
    case kVibratoVolume:
      VibratoDelta(c, v, c->vibratoDepth, true);
      Music_VolumeSlide(v, c->volumeSlideMemory);
      break;
    case kTremolo: Music_Tremolo(c, v); break;
    case kVolumeSlide: Music_VolumeSlide(v, c->volumeSlideMemory); break;
    case kExtended:
      if (x == kRetrigger && y && song->tick % y == 0) v->flags |= kVoiceFrequency | kVoiceVolume | kVoiceStart;
      if (x == kNoteCut) Music_CutAtTick(song, v, y);
      if (x == kNoteDelay) {
        if (song->tick == y)
          NoteDelayTick(song, c);
        else
          v->flags = 0;
      }
      break;
    case kGlobalSlide: {
      const int memory = c->memory[kMemGlobalSlide], gx = memory >> 4, gy = memory & 0x0F;
      if (gx)
        song->globalVolume = song->globalVolume + gx > kMusicMaxVolume ? kMusicMaxVolume : song->globalVolume + gx;
      else if (gy)
        song->globalVolume = song->globalVolume - gy < 0 ? 0 : song->globalVolume - gy;
      v->flags |= kVoiceVolume;
      break;
    }
    case kPanSlide: {
      const int memory = c->memory[kMemPanSlide], px = memory >> 4, py = memory & 0x0F;
      if (px)
        v->pan = v->pan + px > 255 ? 255 : v->pan + px;
      else if (py)
        v->pan = v->pan - py < 0 ? 0 : v->pan - py;
      v->flags |= kVoicePan;
      break;
    }
    case kMultiRetrigger:
      if (c->retrigInterval && song->tick % c->retrigInterval == 0) {
        v->volume = Music_ClampVolume(RetriggerVolume(v->volume, c->retrigStep));
        v->flags |= kVoiceVolume | kVoiceStart;
      }
      break;
    case kTremor: Music_Tremor(c, v); break;
    default: break;
  }
  AutoVibrato(song, c, v);
  Apply(song, c);
}

void Effects(MusicSong* song) { Music_PlayTickEffects(song, EffectsChannel); }

void Tick(MusicSong* song) { Music_RowStep(song, Row, Effects, true); }

}  // namespace

int MusicXm_Load(MusicSong* song, MusicImage* im) {
  if (im->size < kTagBytes) {
    SoundError_Set(kSoundErrReadError);
    return 0;
  }
  if (std::memcmp(im->data, kTag, kTagBytes) != 0) {
    SoundError_Set(kSoundErrUnknownFormat);
    return 0;
  }
  if (im->size < kMarkerAt + 1) {
    SoundError_Set(kSoundErrReadError);
    return 0;
  }
  if (im->data[kMarkerAt] != kMarker) {
    SoundError_Set(kSoundErrUnknownFormat);
    return 0;
  }
  // The file's image is held from before the reader starts; it counts too.
  const SoundLoadBudget budget(im->size, im->size + 1);
  im->Seek(kTagBytes);
  im->Bytes(song->name, kNameBytes);
  im->Seek(kHeaderSizeAt);
  const uint32_t headerSize = im->U32LE();
  const int length = im->U16LE();
  const int restart = im->U16LE();
  const int channels = im->U16LE();
  const int patterns = im->U16LE();
  const int instruments = im->U16LE();
  const int flags = im->U16LE();
  const int speed = im->U16LE();
  const int bpm = im->U16LE();
  im->Bytes(song->orderList, kMusicOrderSlots);
  if (im->overrun || channels < 1 || channels > kMaxChannels) {
    SoundError_Set(kSoundErrReadError);
    return 0;
  }
  song->format = kMusicFormatXm;
  song->channelCount = channels;
  // The order table has 256 entries; a restart outside the song starts it again.
  song->orderCount = length < 1 ? 1 : length > kMusicOrderSlots ? kMusicOrderSlots : length;
  song->restartOrder = static_cast<uint16_t>(restart < song->orderCount ? restart : 0);
  int highest = 0;
  for (int i = 0; i < song->orderCount; ++i)
    if (song->orderList[i] > highest) highest = song->orderList[i];
  song->patternCount = highest + 1;
  song->formatFlags = static_cast<uint16_t>(flags & kLinearFlag);
  song->defaultSpeed = speed > 0 && speed < kTempoFromParam ? speed : 6;
  song->defaultBpm = bpm >= kTempoFromParam ? bpm : 125;
  song->masterVolume = 256;
  song->fadeStart = kFullFade;
  song->defaultGlobalVolume = kMusicMaxVolume;
  song->startGlobalVolume = kMusicMaxVolume;
  for (int i = 0; i < channels; ++i) song->defaultPan[i] = 128;
  song->tickFunction = Tick;
  const int stored = patterns < kMaxPatterns ? patterns : kMaxPatterns;
  const int allocated = stored > song->patternCount ? stored : song->patternCount;
  const int instrumentCount = instruments < kMaxInstruments ? instruments : kMaxInstruments;
  song->instruments = SOUND_CALLOC(sizeof(XmInstrument) * static_cast<size_t>(instrumentCount > 0 ? instrumentCount : 1));
  if (!song->instruments) {
    SoundError_Set(kSoundErrNoMemory);
    return 0;
  }
  song->instrumentCount = instrumentCount;
  if (!Music_AllocChannels(song) || !Music_AllocPatterns(song, allocated) ||
      !Music_AllocSampleTable(song, instrumentCount * kSlots))
    return 0;
  song->sampleCount = 0;  // counts the samples as they are made
  im->Seek(kHeaderSizeAt + static_cast<int64_t>(headerSize));
  for (int p = 0; p < patterns && !im->overrun; ++p) {
    if (p < stored) {
      ReadPattern(song, im, p);
    } else {
      im->Seek(im->pos + 7);
      im->Seek(im->pos + im->U16LE());
    }
    if (SoundError == kSoundErrNoMemory) return 0;
  }
  for (int i = 0; i < instrumentCount && !im->overrun; ++i)
    if (!ReadInstrument(song, im, &Instruments(song)[i], budget)) return 0;
  return 1;
}
