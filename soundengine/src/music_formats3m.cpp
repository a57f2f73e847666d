// S3M songs ("SCRM"): enabled channels of the file, samples with their C2 speed, packed
// patterns, and the player with S3M's own slides, tremor, retrigger and fine vibrato.
#include "music_player.h"

namespace {

constexpr int kNameBytes = 28;
constexpr int kTagAt = 44;
constexpr int kHeaderBytes = 96;
constexpr int kChannelSettingsAt = 64;
constexpr int kFileChannels = 32;
constexpr int kOrdersAt = 96;
constexpr int kPanTableMarker = 0xFC;
constexpr int kFastSlidesFlag = 0x40;
constexpr int kFastSlidesVersion = 0x300;
constexpr int kStereoFlag = 0x80;
constexpr int kPanSetBit = 0x20;
constexpr int kParagraph = 16;
constexpr int kMaxSamples = 255;          // a cell names samples 1..255
constexpr int kMaxPatterns = 256;         // order entries name patterns 0..253
constexpr uint8_t kOrderSkip = 254, kOrderEnd = 255;
constexpr uint8_t kCellNoNote = 255, kCellCut = 254;
constexpr int kSampleNameAt = 48;
constexpr int kTempoFromParam = 32;
constexpr int kMaxPan = 255;

enum S3mEffect : uint8_t {
  kSpeed = 1, kJump = 2, kBreak = 3, kVolumeSlide = 4, kSlideDown = 5, kSlideUp = 6, kTonePorta = 7, kVibrato = 8,
  kTremor = 9, kArpeggio = 10, kVibratoVolume = 11, kPortaVolume = 12, kOffset = 15, kRetrigger = 17, kTremolo = 18,
  kSpecial = 19, kTempo = 20, kFineVibrato = 21, kGlobalVolume = 22, kPan = 24, kZxx = 26,
};
enum S3mSpecial : uint8_t {
  kFinetune = 0x2, kVibratoWave = 0x3, kTremoloWave = 0x4, kPan16 = 0x8, kStereoControl = 0xA, kLoop = 0xB,
  kNoteCut = 0xC, kNoteDelay = 0xD, kPatternDelay = 0xE,
};

bool FastSlides(const MusicSong* song) { return (song->formatFlags & 1) != 0; }

// Volume step of a retrigger: x selects it.
int RetriggerVolume(int volume, int step) {
  static const int kAdd[16] = {0, -1, -2, -4, -8, -16, 0, 0, 0, 1, 2, 4, 8, 16, 0, 0};
  if (step == 6) return 0;
  if (step == 7) return volume / 2;
  if (step == 15) return volume * 2;
  return volume + kAdd[step & 15];
}

uint8_t CellNote(uint8_t b) {
  if (b == kCellNoNote) return 0;
  if (b == kCellCut) return kMusicNoteCut;
  const int octave = b >> 4, semitone = b & 0x0F;
  // Octaves above 9 and semitones above 11 name no note of the table.
  if (octave > 9 || semitone > 11) return 0;
  return static_cast<uint8_t>(octave * 12 + semitone + 1);
}

bool ReadSample(MusicSong* song, MusicImage* im, int index, int paragraph, int64_t* budget) {
  const int64_t at = static_cast<int64_t>(paragraph) * kParagraph;
  int64_t length = 0, loopBegin = 0, loopEnd = 0, dataAt = 0;
  int volume = 0, flags = 0, c2 = 0;
  char name[kNameBytes] = {};
  if (paragraph != 0 && at + kSampleNameAt + kNameBytes <= im->size) {
    im->Seek(at + 13);
    const int high = im->U8();
    const int low = im->U16LE();
    dataAt = (static_cast<int64_t>(high) * 65536 + low) * kParagraph;
    length = im->U32LE();
    loopBegin = im->U32LE();
    loopEnd = im->U32LE();
    volume = im->U8();
    im->Seek(at + 31);
    flags = im->U8();
    c2 = im->U16LE();
    im->Seek(at + kSampleNameAt);
    im->Bytes(name, kNameBytes);
  }
  const bool sixteen = (flags & 4) != 0;
  const int width = sixteen ? 2 : 1;
  // Only the frames the file holds: a length beyond its end is not believed; nor more than
  // the song's budget leaves (samples may share their data).
  const int64_t present = dataAt < im->size ? (im->size - dataAt) / width : 0;
  if (length > present) length = present;
  if (length > *budget / width) length = *budget / width;
  *budget -= length * width;
  SoundSample* s = Music_CreateSample(static_cast<int>(length), sixteen);
  if (!s) return false;
  song->samples[index] = s;
  std::memcpy(s->name, name, kNameBytes);
  s->volume = Music_ClampVolume(volume);
  s->baseRate = c2;
  if (length > 0 &&
      !Music_WriteSampleData(s, im->data + dataAt, static_cast<int>(length * width),
                             (sixteen ? SoundMode::Pcm16 : SoundMode::Pcm8) | SoundMode::Unsigned))
    return false;
  const int64_t loopLength = loopEnd - loopBegin;
  const bool loops = (flags & 1) && loopLength >= 3 && loopBegin < length;
  Music_SetSampleLoop(s, loops, static_cast<int>(loops ? loopBegin : 0), static_cast<int>(loops ? loopLength : 0));
  return true;
}

void ReadPattern(MusicSong* song, MusicImage* im, int pattern, int paragraph, const int* channelOf) {
  if (paragraph == 0) return;
  im->Seek(static_cast<int64_t>(paragraph) * kParagraph + 2);
  for (int row = 0; row < kMusicPatternRows && !im->overrun;) {
    const uint8_t b = im->U8();
    if (b == 0) {
      ++row;
      continue;
    }
    // An entry sets only the fields it carries; a second entry for the same channel
    // and row adds to the first.
    const int channel = channelOf[b & 31];
    MusicCell scratch = {};
    MusicCell* cell = channel >= 0 ? Music_Cell(song, pattern, row, channel) : &scratch;
    MusicCell read = *cell;
    if (b & 0x20) {
      read.note = CellNote(im->U8());
      read.instrument = im->U8();
    }
    if (b & 0x40) read.volume = static_cast<uint8_t>(Music_ClampVolume(im->U8()) + 1);
    if (b & 0x80) {
      read.effect = im->U8();
      read.param = im->U8();
    }
    if (!im->overrun) *cell = read;
  }
}

int OutputVolume(const MusicSong* song, const MusicVoice* v) {
  return static_cast<int>(static_cast<int64_t>(v->volume + v->volumeDelta) * song->globalVolume * song->masterVolume /
                          8192);
}


void SlideVolumeLater(MusicVoice* v, int param) {
  const int x = param >> 4, y = param & 0x0F;
  if (y == 0)
    v->volume = Music_ClampVolume(v->volume + x);
  else if (x == 0)
    v->volume = Music_ClampVolume(v->volume - y);
  v->flags |= kVoiceVolume;
}

void SlideVolumeAtRow(const MusicSong* song, MusicVoice* v, int param) {
  const int x = param >> 4, y = param & 0x0F;
  if (y == 15 && x)
    v->volume += x;
  else if (x == 15 && y)
    v->volume -= y;
  else if (FastSlides(song) && y == 0)
    v->volume += x;
  else if (FastSlides(song) && x == 0)
    v->volume -= y;
  v->volume = Music_ClampVolume(v->volume);
}


void SampleSetup(MusicChannel* c, MusicVoice* v, const SoundSample* sample) {
  v->volume = Music_ClampVolume(sample->volume);
  c->tremorCount = 0;
  Music_ResetWavePositions(c);
}

void SpecialAtRow(MusicSong* song, MusicChannel* c, MusicVoice* v, SoundSample* sample, int x, int y) {
  switch (x) {
    case kFinetune:
      if (sample != Music_InvalidSample()) sample->baseRate = Music_FinetuneRate(y);
      break;
    case kVibratoWave:
      Music_SetVibratoWave(c, y);
      break;
    case kTremoloWave:
      Music_SetTremoloWave(c, y);
      break;
    case kPan16:
      v->pan = y * 16;
      v->flags |= kVoiceFrequency | kVoiceVolume | kVoicePan;
      break;
    case kStereoControl:
      v->pan = y < 8 ? (y + 8) * 16 : (y - 8) * 16;
      v->flags |= kVoiceFrequency | kVoiceVolume | kVoicePan;
      break;
    case kLoop:
      Music_PatternLoop(song, c, y);
      break;
    case kNoteDelay:
      v->flags = 0;
      v->volume = c->rowVolume;
      v->period = c->rowPeriod;
      break;
    case kPatternDelay:
      song->delayRows = y;
      break;
    default:
      break;
  }
}

void EffectAtRow(MusicSong* song, MusicChannel* c, MusicVoice* v, SoundSample* sample) {
  const int param = c->cell.param, x = param >> 4, y = param & 0x0F;
  switch (c->effect) {
    case kSpeed:
      song->speed = param;
      break;
    case kJump:
      Music_PositionJump(song, param);
      break;
    case kBreak:
      Music_PatternBreak(song, x * 10 + y);
      break;
    case kVolumeSlide:
      SlideVolumeAtRow(song, v, Music_Remember(c->volumeSlideMemory, param));
      break;
    case kSlideDown:
    case kSlideUp: {
      const int memory = Music_Remember(c->portaMemory, param);
      const int sign = c->effect == kSlideDown ? 1 : -1;
      if (memory >= 0xF0)
        v->period += sign * 4 * (memory & 0x0F);
      else if (memory >= 0xE0)
        v->period += sign * (memory & 0x0F);
      break;
    }
    case kTonePorta:
      Music_Remember(c->portaSpeed, param);
      Music_StartTonePortamento(c, v);
      break;
    case kVibrato:
    case kFineVibrato:
      if (x) c->vibratoSpeed = static_cast<uint8_t>(x);
      if (y) c->vibratoDepth = static_cast<uint8_t>(y);
      break;
    case kTremor:
      Music_SetTremor(c, param);
      Music_Tremor(c, v);
      break;
    case kArpeggio:
      Music_Remember(c->arpeggioMemory, param);
      break;
    case kVibratoVolume:
      Music_Remember(c->volumeSlideMemory, param);
      break;
    case kPortaVolume:
      Music_Remember(c->volumeSlideMemory, param);
      Music_StartTonePortamento(c, v);
      break;
    case kOffset:
      if ((v->flags & kVoiceStart) && v->channel) {
        if (param * 256 < sample->loopStart + sample->loopLength)
          v->channel->startOffset = param * 256;
        else
          v->flags = static_cast<uint8_t>((v->flags & ~kVoiceStart) | kVoiceStop);
      }
      break;
    case kRetrigger: Music_SetRetrigger(c, param); break;
    case kTremolo:
      if (x) c->tremoloSpeed = static_cast<uint8_t>(x);
      if (y) c->tremoloDepth = static_cast<uint8_t>(y);
      break;
    case kSpecial:
      SpecialAtRow(song, c, v, sample, x, y);
      break;
    case kTempo:
      if (param >= kTempoFromParam) Music_SetTempo(song, param);
      break;
    case kGlobalVolume:
      song->globalVolume = param > kMusicMaxVolume ? kMusicMaxVolume : param;
      break;
    case kPan:
      v->pan = param * 2 > kMaxPan ? kMaxPan : param * 2;
      v->flags |= kVoiceFrequency | kVoiceVolume | kVoicePan;
      break;
    case kZxx:
      Music_QueueCallback(song, param, kMusicCallbackZxx);
      break;
    default:
      break;
  }
}

void RowChannel(MusicSong* song, int index, const MusicCell& cell) {
  MusicChannel* c = &song->channels[index];
  SoundSample* sample;
  MusicVoice* v = Music_StartChannelRow(song, c, cell, kTremolo, &sample);
  const bool note = cell.note != 0 && cell.note != kMusicNoteCut;
  if (note) {
    c->note = static_cast<uint8_t>(cell.note - 1);
    v = Music_StartNote(song, index, sample, cell.note, cell.effect == kTonePorta || cell.effect == kPortaVolume);
  }
  if (cell.instrument) SampleSetup(c, v, sample);
  v->periodDelta = 0;
  v->flags |= kVoiceFrequency | kVoiceVolume | kVoicePan;
  if (cell.volume) v->volume = Music_ClampVolume(cell.volume - 1);
  if (cell.note == kMusicNoteCut) v->volume = 0;
  EffectAtRow(song, c, v, sample);
  Music_ApplyChannel(song, c, OutputVolume, false);
}

void Row(MusicSong* song) { Music_PlayRow(song, RowChannel); }

void NoteDelayTick(MusicSong* song, int index, MusicChannel* c, SoundSample* sample) {
  MusicVoice* v = Music_StartDelayedNote(song, index, sample);
  if (!v) return;
  if (c->cell.instrument) {
    SampleSetup(c, v, sample);
    v->flags |= kVoiceVolume;
  }
  if (c->cell.volume) {
    v->volume = Music_ClampVolume(c->cell.volume - 1);
    v->flags |= kVoiceVolume;
  }
}

void EffectsChannel(MusicSong* song, int index, MusicChannel* c, MusicVoice* v) {
  SoundSample* sample = Music_ChannelSample(song, c);
  const int param = c->cell.param, x = param >> 4, y = param & 0x0F;
  switch (c->effect) {
    case kVolumeSlide:
      SlideVolumeLater(v, c->volumeSlideMemory);
      break;
    case kSlideDown:
      if (c->portaMemory < 0xE0) {
        v->period += 4 * c->portaMemory;
        v->flags |= kVoiceFrequency;
      }
      break;
    case kSlideUp:
      if (c->portaMemory < 0xE0) {
        v->period -= 4 * c->portaMemory;
        v->flags |= v->period < 1 ? kVoiceStop : kVoiceFrequency;
      }
      break;
    case kTonePorta:
      Music_TonePortamento(c, v);
      break;
    case kVibrato:
      Music_Vibrato(c, v, false);
      break;
    case kFineVibrato:
      Music_Vibrato(c, v, true);
      break;
    case kTremor:
      Music_Tremor(c, v);
      break;
    case kArpeggio:
      if (c->arpeggioMemory) {
        // The channel keeps the note 0-based; the table counts from 1.
        v->periodDelta = Music_ArpeggioDelta(song, c->note + 1, c->arpeggioMemory, sample->baseRate);
        v->flags |= kVoiceFrequency;
      }
      break;
    case kVibratoVolume:
      Music_Vibrato(c, v, false);
      SlideVolumeLater(v, c->volumeSlideMemory);
      break;
    case kPortaVolume:
      Music_TonePortamento(c, v);
      SlideVolumeLater(v, c->volumeSlideMemory);
      break;
    case kRetrigger:
      if (c->retrigInterval && song->tick % c->retrigInterval == 0) {
        v->volume = Music_ClampVolume(RetriggerVolume(v->volume, c->retrigStep));
        v->pan = song->defaultPan[index];
        v->period = c->period;
        v->flags |= kVoiceFrequency | kVoiceVolume | kVoicePan | kVoiceStart;
      }
      break;
    case kTremolo:
      Music_Tremolo(c, v);
      break;
    case kSpecial:
      if (x == kNoteCut) Music_CutAtTick(song, v, y);
      if (x == kNoteDelay && song->tick == y) NoteDelayTick(song, index, c, sample);
      break;
    default:
      break;
  }
  Music_ApplyChannel(song, c, OutputVolume, false);
}

void Effects(MusicSong* song) { Music_PlayTickEffects(song, EffectsChannel); }

void Tick(MusicSong* song) { Music_RowStep(song, Row, Effects, false); }

}  // namespace

int MusicS3m_Load(MusicSong* song, MusicImage* im) {
  if (im->size < kTagAt + 4 || std::memcmp(im->data + kTagAt, "SCRM", 4) != 0) {
    SoundError_Set(kSoundErrUnknownFormat);
    return 0;
  }
  if (im->size < kHeaderBytes) {
    SoundError_Set(kSoundErrReadError);
    return 0;
  }
  im->Seek(0);
  im->Bytes(song->name, kNameBytes);
  im->Seek(32);
  const int orderEntries = im->U16LE();
  const int instruments = im->U16LE();
  const int patterns = im->U16LE();
  const int flags = im->U16LE();
  const int version = im->U16LE();
  im->Seek(48);
  const int globalVolume = im->U8();
  const int speed = im->U8();
  const int tempo = im->U8();
  const int master = im->U8();
  im->U8();
  const int panMarker = im->U8();

  int channelOf[kFileChannels];
  int channels = 0;
  uint8_t settings[kFileChannels];
  im->Seek(kChannelSettingsAt);
  im->Bytes(settings, kFileChannels);
  for (int i = 0; i < kFileChannels; ++i) {
    channelOf[i] = settings[i] < 16 ? channels : -1;
    if (settings[i] < 16) song->defaultPan[channels++] = settings[i] < 8 ? 0 : 255;
  }

  // At most 256 order entries are kept; the markers 254 and 255 drop out.
  im->Seek(kOrdersAt);
  int kept = 0, highest = -1;
  for (int i = 0; i < orderEntries; ++i) {
    const uint8_t o = im->U8();
    if (o == kOrderSkip || o == kOrderEnd || kept >= kMusicOrderSlots) continue;
    song->orderList[kept++] = o;
    if (o > highest) highest = o;
  }
  const int64_t pointersAt = kOrdersAt + static_cast<int64_t>(orderEntries);
  if (pointersAt + 2 * (static_cast<int64_t>(instruments) + patterns) > im->size) {
    SoundError_Set(kSoundErrReadError);
    return 0;
  }
  im->Seek(pointersAt + 2 * (static_cast<int64_t>(instruments) + patterns));
  if (panMarker == kPanTableMarker) {
    uint8_t pans[kFileChannels];
    im->Bytes(pans, kFileChannels);
    for (int i = 0; i < kFileChannels; ++i)
      if (channelOf[i] >= 0 && (pans[i] & kPanSetBit)) song->defaultPan[channelOf[i]] = (pans[i] & 0x0F) * 16;
  }
  if (!(master & kStereoFlag))
    for (int i = 0; i < channels; ++i) song->defaultPan[i] = 128;

  song->format = kMusicFormatS3m;
  song->channelCount = channels;
  song->orderCount = kept;
  song->patternCount = patterns;
  song->restartOrder = 0;
  song->masterVolume = 256;
  song->defaultGlobalVolume = kMusicMaxVolume;
  song->startGlobalVolume = Music_ClampVolume(globalVolume);
  song->defaultSpeed = speed ? speed : 6;
  song->defaultBpm = tempo >= kTempoFromParam ? tempo : 125;
  song->formatFlags = ((flags & kFastSlidesFlag) || (version & 0xFFF) == kFastSlidesVersion) ? 1 : 0;
  song->tickFunction = Tick;
  if (channels < 1) {
    SoundError_Set(kSoundErrReadError);
    return 0;
  }
  // Patterns past 255 can never play.
  const int readPatterns = patterns < kMaxPatterns ? patterns : kMaxPatterns;
  const int allocated = readPatterns > highest + 1 ? readPatterns : highest + 1;
  const int samples = instruments < kMaxSamples ? instruments : kMaxSamples;
  if (!Music_AllocChannels(song) || !Music_AllocPatterns(song, allocated > 0 ? allocated : 1) ||
      !Music_AllocSampleTable(song, samples))
    return 0;
  int64_t budget = kMusicSampleBytesPerFileByte * im->size;
  for (int i = 0; i < samples; ++i) {
    im->Seek(pointersAt + 2 * i);
    if (!ReadSample(song, im, i, im->U16LE(), &budget)) return 0;
  }
  for (int p = 0; p < readPatterns; ++p) {
    im->Seek(pointersAt + 2 * (static_cast<int64_t>(instruments) + p));
    const int paragraph = im->U16LE();
    im->overrun = false;
    ReadPattern(song, im, p, paragraph, channelOf);
  }
  return 1;
}
