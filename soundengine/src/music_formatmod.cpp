// MOD songs: 31-sample files with 1 to 32 channels ("M.K." and its variants), read
// into a song and played by a row function, a tick-effect function and their tick.
#include "music_player.h"
#include "sound_alloc.h"

static constexpr char kSoundFileTag[] = "src/music_formatmod";

namespace {

constexpr int kNameBytes = 20;
constexpr int kSampleHeaders = 31;
constexpr int kSampleHeaderBytes = 30;
constexpr int kSampleNameBytes = 22;
constexpr int kSongLengthAt = 950;
constexpr int kOrderListAt = 952;
constexpr int kOrderEntries = 128;
constexpr int kTagAt = 1080;
constexpr int kPatternsAt = 1084;
constexpr int kCellBytes = 4;
constexpr int kMaxChannels = 32;
constexpr int kMinSlidePeriod = 56;
constexpr int kMaxPan = 255;
constexpr int kFirstNoteEntry = 24;   // a cell's period is the table entry 24 notes up
constexpr int kCellNotes = 108;

enum ModEffect : uint8_t {
  kArpeggio = 0x0, kSlideUp = 0x1, kSlideDown = 0x2, kTonePorta = 0x3, kVibrato = 0x4, kPortaVolume = 0x5,
  kVibratoVolume = 0x6, kTremolo = 0x7, kPan = 0x8, kOffset = 0x9, kVolumeSlide = 0xA, kJump = 0xB,
  kSetVolume = 0xC, kBreak = 0xD, kExtended = 0xE, kSpeed = 0xF,
};
enum ModExtended : uint8_t {
  kFineUp = 0x1, kFineDown = 0x2, kVibratoWave = 0x4, kFinetune = 0x5, kLoop = 0x6, kTremoloWave = 0x7,
  kPan16 = 0x8, kRetrigger = 0x9, kFineVolumeUp = 0xA, kFineVolumeDown = 0xB, kNoteCut = 0xC, kNoteDelay = 0xD,
  kPatternDelay = 0xE,
};
constexpr int kTempoFromParam = 32;

// Channels named by the format tag; 0 when the tag is not one of MOD's.
int ChannelsOfTag(const uint8_t* t) {
  auto is = [t](const char* tag) { return std::memcmp(t, tag, 4) == 0; };
  auto digit = [](uint8_t c) { return c >= '0' && c <= '9'; };
  if (is("M.K.") || is("M!K!") || is("FLT4")) return 4;
  if (is("6CHN")) return 6;
  if (is("8CHN")) return 8;
  if (t[2] == 'C' && t[3] == 'H' && digit(t[0]) && digit(t[1])) return (t[0] - '0') * 10 + (t[1] - '0');
  if (t[1] == 'C' && t[2] == 'H' && t[3] == 'N' && digit(t[0])) return t[0] - '0';
  return 0;
}

int NoteOfPeriod(int period) {
  for (int n = 1; n <= kCellNotes; ++n)
    if (period >= kMusicPeriods[n + kFirstNoteEntry]) return n;
  return 0;
}

struct SampleHeader {
  char name[kSampleNameBytes];
  int length, finetune, volume, loopStart, loopLength;  // bytes
};

SampleHeader ReadSampleHeader(MusicImage* im) {
  SampleHeader h = {};
  im->Bytes(h.name, kSampleNameBytes);
  for (char& c : h.name)
    if (static_cast<unsigned char>(c) < 32) c = 0;
  h.length = im->U16BE() * 2;
  h.finetune = im->U8();
  h.volume = im->U8();
  h.loopStart = im->U16BE() * 2;
  h.loopLength = im->U16BE() * 2;
  return h;
}

bool ReadSamples(MusicSong* song, MusicImage* im, const SampleHeader* headers) {
  int64_t total = 0;
  int largest = 0;
  for (int i = 0; i < kSampleHeaders; ++i) {
    total += headers[i].length;
    if (headers[i].length > largest) largest = headers[i].length;
  }
  // A file cut short in its sample data keeps its samples at its end.
  if (im->Left() < total && im->size - total > kTagAt) im->Seek(im->size - total);
  auto* scratch = static_cast<uint8_t*>(SOUND_ALLOC(static_cast<size_t>(largest) + 1));
  if (!scratch) {
    SoundError_Set(kSoundErrNoMemory);
    return false;
  }
  bool ok = true;
  for (int i = 0; i < kSampleHeaders && ok; ++i) {
    const SampleHeader& h = headers[i];
    SoundSample* s = Music_CreateSample(h.length, false);
    if (!s) {
      ok = false;
      break;
    }
    song->samples[i] = s;
    std::memcpy(s->name, h.name, kSampleNameBytes);
    s->baseRate = Music_FinetuneRate(h.finetune);
    s->volume = Music_ClampVolume(h.volume);
    if (h.length > 0) {
      im->Bytes(scratch, h.length);
      ok = Music_WriteSampleData(s, scratch, h.length, SoundMode::Pcm8 | SoundMode::Signed);
    }
    Music_SetSampleLoop(s, true, h.loopStart, h.loopLength);
  }
  SOUND_FREE(scratch);
  return ok;
}

void ReadPatterns(MusicSong* song, MusicImage* im) {
  for (int p = 0; p < song->patternCount; ++p)
    for (int r = 0; r < kMusicPatternRows; ++r)
      for (int ch = 0; ch < song->channelCount; ++ch) {
        uint8_t b[kCellBytes];
        im->Bytes(b, kCellBytes);
        MusicCell* cell = Music_Cell(song, p, r, ch);
        cell->instrument = static_cast<uint8_t>((b[0] & 0xF0) | (b[2] >> 4));
        cell->note = static_cast<uint8_t>(NoteOfPeriod((b[0] & 0x0F) << 8 | b[1]));
        cell->volume = 0;
        cell->effect = b[2] & 0x0F;
        cell->param = b[3];
      }
}

int OutputVolume(const MusicSong* song, const MusicVoice* v) {
  return (song->masterVolume * (v->volume + v->volumeDelta)) >> 7;
}


void SetStartOffset(MusicChannel* c, MusicVoice* v, SoundSample* sample) {
  if (!(v->flags & kVoiceStart) || !v->channel) return;
  int offset = c->offsetMemory * 256;
  const int loopEnd = sample->loopStart + sample->loopLength;
  if (offset >= loopEnd) offset = loopEnd - 1;
  v->channel->startOffset = offset < 0 ? 0 : offset;
}

void ExtendedAtRow(MusicSong* song, MusicChannel* c, MusicVoice* v, SoundSample* sample, int x, int y) {
  switch (x) {
    case kFineUp:
      v->period -= 4 * y;
      break;
    case kFineDown:
      v->period += 4 * y;
      break;
    case kVibratoWave:
      Music_SetVibratoWave(c, y);
      break;
    case kFinetune:
      if (sample != Music_InvalidSample()) sample->baseRate = Music_FinetuneRate(y);
      break;
    case kLoop:
      Music_PatternLoop(song, c, y);
      break;
    case kTremoloWave:
      Music_SetTremoloWave(c, y);
      break;
    case kPan16:
      v->pan = y * 16;
      v->flags |= kVoiceFrequency | kVoiceVolume | kVoicePan;
      break;
    case kFineVolumeUp:
      v->volume = Music_ClampVolume(v->volume + y);
      break;
    case kFineVolumeDown:
      v->volume = Music_ClampVolume(v->volume - y);
      break;
    case kNoteDelay:
      v->volume = c->rowVolume;
      v->period = c->rowPeriod;
      v->flags = 0;
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
    case kTonePorta:
      if (param) c->portaSpeed = static_cast<uint8_t>(param);
      Music_StartTonePortamento(c, v);
      break;
    case kVibrato:
      if (x) c->vibratoSpeed = static_cast<uint8_t>(x);
      if (y) c->vibratoDepth = static_cast<uint8_t>(y);
      break;
    case kPortaVolume:
      Music_StartTonePortamento(c, v);
      break;
    case kTremolo:
      if (x) c->tremoloSpeed = static_cast<uint8_t>(x);
      if (y) c->tremoloDepth = static_cast<uint8_t>(y);
      v->flags &= static_cast<uint8_t>(~kVoiceVolume);
      break;
    case kPan:
      v->pan = param * 2 > kMaxPan ? kMaxPan : param * 2;
      break;
    case kOffset:
      if (param) c->offsetMemory = param;
      SetStartOffset(c, v, sample);
      break;
    case kJump:
      Music_PositionJump(song, param);
      break;
    case kSetVolume:
      v->volume = Music_ClampVolume(param);
      break;
    case kBreak:
      Music_PatternBreak(song, x * 10 + y);
      break;
    case kExtended:
      ExtendedAtRow(song, c, v, sample, x, y);
      break;
    case kSpeed:
      if (param < kTempoFromParam)
        song->speed = param;
      else
        Music_SetTempo(song, param);
      break;
    default:
      break;
  }
}

void RowChannel(MusicSong* song, int index, const MusicCell& cell) {
  MusicChannel* c = &song->channels[index];
  SoundSample* sample;
  MusicVoice* v = Music_StartChannelRow(song, c, cell, kTremolo, &sample);
  if (cell.note) {
    c->note = cell.note;
    Music_ResetWavePositions(c);
    v = Music_StartNote(song, index, sample, cell.note, cell.effect == kTonePorta || cell.effect == kPortaVolume);
  }
  if (cell.instrument) v->volume = Music_ClampVolume(sample->volume);
  v->periodDelta = 0;
  v->flags |= kVoiceFrequency | kVoiceVolume | kVoicePan;
  EffectAtRow(song, c, v, sample);
  Music_ApplyChannel(song, c, OutputVolume, false);
}

void Row(MusicSong* song) { Music_PlayRow(song, RowChannel); }

void NoteDelayTick(MusicSong* song, int index, MusicChannel* c, SoundSample* sample) {
  MusicVoice* v = Music_StartDelayedNote(song, index, sample);
  if (v && c->cell.instrument) {
    v->volume = Music_ClampVolume(sample->volume);
    v->flags |= kVoiceVolume;
  }
}

void EffectsChannel(MusicSong* song, int index, MusicChannel* c, MusicVoice* v) {
  SoundSample* sample = Music_ChannelSample(song, c);
  const int param = c->cell.param, x = param >> 4, y = param & 0x0F;
  switch (c->effect) {
    case kArpeggio:
      if (param) {
        v->periodDelta = Music_ArpeggioDelta(song, c->note, param, sample->baseRate);
        v->flags |= kVoiceFrequency;
      }
      break;
    case kSlideUp:
      v->period = v->period - 4 * param < kMinSlidePeriod ? kMinSlidePeriod : v->period - 4 * param;
      v->flags |= kVoiceFrequency;
      break;
    case kSlideDown:
      v->period += 4 * param;
      v->flags |= kVoiceFrequency;
      break;
    case kTonePorta:
      Music_TonePortamento(c, v);
      break;
    case kVibrato:
      Music_Vibrato(c, v, false);
      break;
    case kPortaVolume:
      Music_TonePortamento(c, v);
      Music_VolumeSlide(v, param);
      break;
    case kVibratoVolume:
      Music_Vibrato(c, v, false);
      Music_VolumeSlide(v, param);
      break;
    case kTremolo:
      Music_Tremolo(c, v);
      break;
    case kVolumeSlide:
      Music_VolumeSlide(v, param);
      break;
    case kExtended:
      if (x == kRetrigger && y && song->tick % y == 0) v->flags |= kVoiceVolume | kVoicePan | kVoiceStart;
      if (x == kNoteCut) Music_CutAtTick(song, v, y);
      if (x == kNoteDelay && song->tick == y) NoteDelayTick(song, index, c, sample);
      break;
    default:
      break;
  }
  Music_ApplyChannel(song, c, OutputVolume, true);
}

void Effects(MusicSong* song) { Music_PlayTickEffects(song, EffectsChannel); }

void Tick(MusicSong* song) { Music_RowStep(song, Row, Effects, true); }

}  // namespace

int MusicMod_Load(MusicSong* song, MusicImage* im) {
  if (im->size < kPatternsAt) {
    SoundError_Set(kSoundErrUnknownFormat);
    return 0;
  }
  const int channels = ChannelsOfTag(im->data + kTagAt);
  if (channels < 1 || channels > kMaxChannels) {
    SoundError_Set(kSoundErrUnknownFormat);
    return 0;
  }
  im->Seek(0);
  im->Bytes(song->name, kNameBytes);
  SampleHeader headers[kSampleHeaders];
  for (SampleHeader& h : headers) h = ReadSampleHeader(im);
  im->Seek(kSongLengthAt);
  const int length = im->U8();
  im->U8();
  im->Bytes(song->orderList, kOrderEntries);
  int highest = 0;
  for (int i = 0; i < kOrderEntries; ++i)
    if (song->orderList[i] > highest) highest = song->orderList[i];

  song->format = kMusicFormatMod;
  song->channelCount = channels;
  // Only 128 order entries exist in the file.
  song->orderCount = length > kOrderEntries ? kOrderEntries : length;
  song->patternCount = highest + 1;
  song->restartOrder = 0;
  song->defaultSpeed = 6;
  song->defaultBpm = 125;
  song->masterVolume = 256;
  song->defaultGlobalVolume = kMusicMaxVolume;
  song->startGlobalVolume = kMusicMaxVolume;
  for (int i = 0; i < channels; ++i) song->defaultPan[i] = (i % 4 == 0 || i % 4 == 3) ? 0 : 255;
  song->tickFunction = Tick;
  if (!Music_AllocChannels(song) || !Music_AllocPatterns(song, song->patternCount) ||
      !Music_AllocSampleTable(song, kSampleHeaders))
    return 0;
  im->Seek(kPatternsAt);
  ReadPatterns(song, im);
  return ReadSamples(song, im, headers) ? 1 : 0;
}
