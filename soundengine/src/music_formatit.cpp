// IT songs ("IMPM"): header, instruments ("IMPI"), samples ("IMPS", plain or compressed)
// and packed patterns, read into a song for the IT player (music_formatit_play).
#include "music_formatit.h"
#include "format_it.h"
#include "sound_alloc.h"

#include <algorithm>
#include <vector>

static constexpr char kSoundFileTag[] = "src/music_formatit";

namespace {

constexpr int kNameBytes = 26;
constexpr int kHeaderBytes = 192;
constexpr int kMaxInstruments = 255;
constexpr int kMaxSamples = 255;
constexpr int kMaxPatterns = 256;
constexpr uint8_t kOrderSkip = 254, kOrderEnd = 255;
constexpr int kEmptyPatternRows = 64;
constexpr int kMaxRows = 256;
constexpr uint16_t kIt215Version = 0x215;
constexpr int kDefaultC5 = 8363;
// IT packs a 16-bit frame into one bit at best: no file byte expands to more sample bytes.
constexpr int64_t kMostSampleBytesPerFileByte = 16;

bool Tag(MusicImage* im, int64_t at, const char* tag) {
  return at >= 0 && at + 4 <= im->size && std::memcmp(im->data + at, tag, 4) == 0;
}

void ReadEnvelope(MusicImage* im, MusicEnvelope* e, bool pitch) {
  const uint8_t flags = im->U8();
  const int nodes = im->U8();
  e->loopStart = im->U8();
  e->loopEnd = im->U8();
  e->sustainStart = im->U8();
  e->sustainEnd = im->U8();
  for (int i = 0; i < kItEnvelopeNodes; ++i) {
    e->y[i] = static_cast<int8_t>(im->U8());
    e->x[i] = im->U16LE();
  }
  im->U8();
  e->count = static_cast<uint8_t>(nodes > kItEnvelopeNodes ? kItEnvelopeNodes : nodes);
  e->flags = static_cast<uint8_t>(((flags & 1) ? kEnvelopeEnabled : 0) | ((flags & 2) ? kEnvelopeLoops : 0) |
                                  ((flags & 4) ? kEnvelopeSustains : 0) | ((flags & 8) ? kEnvelopeCarries : 0));
  if (pitch && (flags & 0x80)) e->flags &= ~kEnvelopeEnabled;  // a filter envelope: not played
  Music_CheckEnvelope(e, kItEnvelopeNodes);
}

bool ReadInstrument(MusicImage* im, int64_t at, ItInstrument* ins) {
  if (!Tag(im, at, "IMPI")) {
    SoundError_Set(kSoundErrUnknownFormat);
    return false;
  }
  im->Seek(at + 17);
  ins->newNoteAction = im->U8() & 3;
  ins->duplicateType = im->U8();
  ins->duplicateAction = im->U8();
  if (ins->duplicateType > 3) ins->duplicateType = 0;
  if (ins->duplicateAction > 2) ins->duplicateAction = 0;
  ins->fadeOut = im->U16LE();
  ins->pitchPanSeparation = static_cast<int8_t>(im->U8());
  ins->pitchPanCentre = im->U8();
  ins->globalVolume = im->U8();
  if (ins->globalVolume > 128) ins->globalVolume = 128;
  ins->defaultPan = im->U8();
  im->Seek(at + 64);
  for (auto& pair : ins->map) {
    pair[0] = im->U8();
    pair[1] = im->U8();
    if (pair[0] >= kItNotes) pair[0] = kItNotes - 1;
  }
  for (int k = 0; k < kEnvelopeKinds; ++k) ReadEnvelope(im, &ins->envelopes[k], k == kEnvelopePitch);
  return true;
}

// Sample data: plain or compressed, from the data offset, at most `stored` bytes.
bool ReadSampleData(MusicImage* im, SoundSample* s, int64_t dataAt, int64_t stored, uint32_t mode, int64_t full) {
  if (dataAt <= 0 || dataAt >= im->size) return true;
  const int64_t left = im->size - dataAt;
  const int64_t bytes = stored < left ? stored : left;
  const bool compressed = (mode & 0xC00) != 0;
  const int64_t write = compressed ? bytes : (bytes < full ? bytes : full);
  if (write <= 0 || write > INT32_MAX) return true;
  const int32_t before = SoundError;
  if (!SoundSample_Upload(s, im->data + dataAt, 0, static_cast<int>(write), mode)) {
    if (SoundError == kSoundErrNoMemory) return false;
    SoundError_Set(before);  // damaged compressed data: the sample keeps what came out
  }
  return true;
}

// What one sample's data can give: its frames (nothing past the end of the file, no more
// than its plain bytes or its compressed blocks give; 64-bit, so a lying length cannot
// wrap) and the file bytes they come from.
struct SampleSpan {
  int64_t frames = 0, from = 0, to = 0;
  int width = 1;
  bool Overlaps(const SampleSpan& o) const { return from < o.to && o.from < to; }
};

SampleSpan DataSpan(MusicImage* im, int64_t at, int64_t nextData) {
  SampleSpan span;
  if (!Tag(im, at, "IMPS")) return span;
  im->Seek(at + 18);
  const int flags = im->U8();
  im->Seek(at + 48);
  const uint32_t length = im->U32LE();
  im->Seek(at + 72);
  const int64_t dataAt = im->U32LE();
  const bool sixteen = (flags & 2) != 0, stereo = (flags & 4) != 0, compressed = (flags & 8) != 0;
  span.width = sixteen ? 2 : 1;
  if (!(flags & 1) || dataAt == 0 || dataAt >= im->size) return span;
  span.from = dataAt;
  if (compressed) {
    int64_t used = 0;
    span.frames = ItSample_MaxFrames(im->data + dataAt, nextData - dataAt, sixteen, length, &used);
    span.to = dataAt + used;
  } else {
    const int frameBytes = span.width * (stereo ? 2 : 1);
    span.frames = std::min<int64_t>(length, (im->size - dataAt) / frameBytes);
    span.to = dataAt + span.frames * frameBytes;
  }
  if (span.frames > INT32_MAX / 4) span = SampleSpan{0, 0, 0, span.width};
  return span;
}

// Reads a sample header and `frames` frames of its data.
bool ReadSample(MusicSong* song, MusicImage* im, int index, int64_t at, int64_t nextData, uint16_t cmwt,
                int64_t frames) {
  if (!Tag(im, at, "IMPS")) {
    SoundError_Set(kSoundErrUnknownFormat);
    return false;
  }
  ItSampleInfo& info = ItData(song)->sampleInfo[index];
  im->Seek(at + 17);
  info.globalVolume = static_cast<uint8_t>(Music_ClampVolume(im->U8()));
  const int flags = im->U8();
  const int volume = im->U8();
  char name[kNameBytes];
  im->Bytes(name, kNameBytes);
  const int convert = im->U8();
  info.defaultPan = im->U8();
  const uint32_t length = im->U32LE();
  const uint32_t loopBegin = im->U32LE();
  const uint32_t loopEnd = im->U32LE();
  const uint32_t c5 = im->U32LE();
  im->U32LE();
  im->U32LE();
  const uint32_t dataAt = im->U32LE();
  info.vibratoSpeed = im->U8();
  info.vibratoDepth = im->U8();
  info.vibratoRate = im->U8();
  info.vibratoType = im->U8();
  info.c5Speed = c5 == 0 || c5 > 9999999 ? kDefaultC5 : static_cast<int32_t>(c5);

  const bool sixteen = (flags & 2) != 0, stereo = (flags & 4) != 0;
  const bool compressed = (flags & 8) != 0;
  const int64_t full = static_cast<int64_t>(length) * (sixteen ? 2 : 1) * (stereo ? 2 : 1);
  SoundSample* s = Music_CreateSample(static_cast<int>(frames), sixteen);
  if (!s) {
    SoundError_Set(kSoundErrSongSample);
    return false;
  }
  song->samples[index] = s;
  std::memcpy(s->name, name, kNameBytes);
  s->volume = Music_ClampVolume(volume);
  s->baseRate = info.c5Speed;
  if (frames > 0) {
    uint32_t mode = (sixteen ? SoundMode::Pcm16 : SoundMode::Pcm8) | ((convert & 1) ? SoundMode::Signed : SoundMode::Unsigned);
    if (compressed) mode |= (cmwt >= kIt215Version && (convert & 4)) ? 0x800 : 0x400;
    const int64_t stored = nextData > dataAt ? nextData - dataAt : full;
    if (!ReadSampleData(im, s, dataAt, stored > full || compressed ? stored : full, mode, full)) return false;
  }
  const int64_t loopLength = static_cast<int64_t>(loopEnd) - loopBegin;
  const bool loops = (flags & 0x10) && loopEnd > loopBegin && loopLength > 0 && loopBegin < frames;
  Music_SetSampleLoop(s, loops, static_cast<int>(loops ? loopBegin : 0), static_cast<int>(loops ? loopLength : 0));
  if (loops && (flags & 0x40) && (s->mode & SoundMode::LoopForward)) SoundSample_SetMode(s, SoundMode::LoopPingPong);
  return true;
}

// Keeps a pattern's packed bytes (bounded by the file) after their 32-bit length.
bool ReadPattern(MusicSong* song, MusicImage* im, int pattern, int64_t at) {
  MusicPattern& p = song->patterns[pattern];
  if (at <= 0 || at + 8 > im->size) return true;
  im->Seek(at);
  int64_t packed = im->U16LE();
  const int rows = im->U16LE();
  if (packed > im->size - (at + 8)) packed = im->size - (at + 8);
  auto* block = static_cast<uint8_t*>(SOUND_ALLOC(static_cast<size_t>(packed) + sizeof(uint32_t)));
  if (!block) {
    SoundError_Set(kSoundErrNoMemory);
    return false;
  }
  const uint32_t length = static_cast<uint32_t>(packed);
  std::memcpy(block, &length, sizeof(length));
  std::memcpy(block + sizeof(length), im->data + at + 8, static_cast<size_t>(packed));
  SOUND_FREE(p.cells);
  p.cells = reinterpret_cast<MusicCell*>(block);
  p.rows = rows < 1 ? 1 : rows > kMaxRows ? kMaxRows : rows;
  return true;
}

bool AllocSongData(MusicSong* song, int instruments, int samples) {
  const size_t bytes = sizeof(ItSongData) + sizeof(ItInstrument) * static_cast<size_t>(instruments) +
                       sizeof(ItSampleInfo) * static_cast<size_t>(samples);
  auto* block = static_cast<uint8_t*>(SOUND_CALLOC(bytes));
  if (!block) {
    SoundError_Set(kSoundErrNoMemory);
    return false;
  }
  auto* data = reinterpret_cast<ItSongData*>(block);
  data->instruments = reinterpret_cast<ItInstrument*>(block + sizeof(ItSongData));
  data->sampleInfo = reinterpret_cast<ItSampleInfo*>(block + sizeof(ItSongData) + sizeof(ItInstrument) * instruments);
  data->cursorPattern = -1;
  song->instruments = data;
  song->instrumentCount = instruments;
  return true;
}

}  // namespace

int MusicIt_Load(MusicSong* song, MusicImage* im) {
  if (!Tag(im, 0, "IMPM")) {
    SoundError_Set(kSoundErrUnknownFormat);
    return 0;
  }
  if (im->size < kHeaderBytes) {
    SoundError_Set(kSoundErrReadError);
    return 0;
  }
  im->Seek(4);
  im->Bytes(song->name, kNameBytes);
  im->Seek(32);
  const int orders = im->U16LE();
  const int instruments = im->U16LE();
  const int samples = im->U16LE();
  const int patterns = im->U16LE();
  im->U16LE();
  const uint16_t cmwt = im->U16LE();
  const uint16_t flags = im->U16LE();
  im->U16LE();
  const int globalVolume = im->U8();
  const int mixVolume = im->U8();
  const int speed = im->U8();
  const int tempo = im->U8();
  im->Seek(64);
  im->Bytes(song->defaultPan, kItChannels);
  uint8_t channelVolume[kItChannels];
  im->Bytes(channelVolume, kItChannels);

  // Only 256 order entries fit; the list plays up to its last entry other than 255.
  const int kept = orders < kMusicOrderSlots ? orders : kMusicOrderSlots;
  im->Seek(kHeaderBytes);
  im->Bytes(song->orderList, kept);
  int count = 0, highest = -1;
  for (int i = 0; i < kept; ++i) {
    if (song->orderList[i] != kOrderEnd) count = i + 1;
    if (song->orderList[i] < kOrderSkip && song->orderList[i] > highest) highest = song->orderList[i];
  }
  const int64_t offsetsAt = kHeaderBytes + static_cast<int64_t>(orders);
  const int instrumentCount = instruments < kMaxInstruments ? instruments : kMaxInstruments;
  const int sampleCount = samples < kMaxSamples ? samples : kMaxSamples;
  const int stored = patterns < kMaxPatterns ? patterns : kMaxPatterns;
  if (offsetsAt + 4 * (static_cast<int64_t>(instruments) + samples + patterns) > im->size) {
    SoundError_Set(kSoundErrReadError);
    return 0;
  }
  song->format = kMusicFormatIt;
  song->channelCount = kItChannels;
  song->orderCount = count;
  song->formatFlags = flags;
  song->defaultGlobalVolume = static_cast<uint8_t>(globalVolume > 128 ? 128 : globalVolume);
  song->startGlobalVolume = song->defaultGlobalVolume;
  song->masterVolume = (mixVolume > 128 ? 128 : mixVolume) * 2;
  song->fadeStart = kItFullFade;
  song->defaultSpeed = speed ? speed : 6;
  song->defaultBpm = tempo >= 32 ? tempo : 125;
  song->restartOrder = 0;
  song->tickFunction = MusicIt_Tick;
  song->orderStep = MusicIt_OrderStep;
  song->startFunction = MusicIt_Start;
  for (uint8_t& pan : song->defaultPan)
    if ((pan & 0x7F) > 64 && (pan & 0x7F) != kItSurroundPan) pan = static_cast<uint8_t>((pan & kItChannelMuted) | 32);
  const int allocated = stored > highest + 1 ? stored : highest + 1;
  song->patternCount = patterns;
  if (!AllocSongData(song, instrumentCount, sampleCount) || !Music_AllocChannels(song) ||
      !Music_AllocSampleTable(song, sampleCount))
    return 0;
  ItSongData* data = ItData(song);
  data->compatibleVersion = cmwt;
  for (int i = 0; i < kItChannels; ++i) data->channelVolume[i] = static_cast<uint8_t>(Music_ClampVolume(channelVolume[i]));
  song->patterns = static_cast<MusicPattern*>(SOUND_CALLOC(sizeof(MusicPattern) * static_cast<size_t>(allocated > 0 ? allocated : 1)));
  if (!song->patterns) {
    SoundError_Set(kSoundErrNoMemory);
    return 0;
  }
  song->patternsAllocated = allocated;
  for (int i = 0; i < allocated; ++i) song->patterns[i].rows = kEmptyPatternRows;

  auto offset = [&](int64_t slot) {
    im->Seek(offsetsAt + 4 * slot);
    return static_cast<int64_t>(im->U32LE());
  };
  for (int i = 0; i < instrumentCount; ++i)
    if (!ReadInstrument(im, offset(i), &data->instruments[i])) return 0;
  // Each sample's data run to the next sample's data (the last to the end of the file).
  std::vector<int64_t> dataAt(static_cast<size_t>(sampleCount));
  for (int i = 0; i < sampleCount; ++i) {
    const int64_t at = offset(instruments + i);
    if (!Tag(im, at, "IMPS")) continue;
    im->Seek(at + 72);
    dataAt[i] = im->U32LE();
  }
  auto nextData = [&](int i) {
    int64_t next = im->size;
    for (int j = 0; j < sampleCount; ++j)
      if (dataAt[j] > dataAt[i] && dataAt[j] < next) next = dataAt[j];
    return next;
  };
  // A sample whose bytes no earlier sample used loads whole: what its own data expand to.
  // Samples that share bytes draw on the song's budget, and all of them together never
  // hold more than the file's bytes could expand to.
  std::vector<SampleSpan> spans(static_cast<size_t>(sampleCount));
  std::vector<bool> shared(static_cast<size_t>(sampleCount));
  int64_t unshared = 0;
  for (int i = 0; i < sampleCount; ++i) {
    spans[i] = DataSpan(im, offset(instruments + i), nextData(i));
    for (int j = 0; j < i && !shared[i]; ++j) shared[i] = spans[i].Overlaps(spans[j]);
    if (!shared[i]) unshared += spans[i].frames * spans[i].width;
  }
  int64_t budget = std::min(kMusicSampleBytesPerFileByte * im->size, kMostSampleBytesPerFileByte * im->size - unshared);
  for (int i = 0; i < sampleCount; ++i) {
    int64_t frames = spans[i].frames;
    if (shared[i]) {
      frames = std::min(frames, std::max<int64_t>(budget, 0) / spans[i].width);
      budget -= frames * spans[i].width;
    }
    if (!ReadSample(song, im, i, offset(instruments + i), nextData(i), cmwt, frames)) return 0;
  }
  for (int p = 0; p < stored; ++p)
    if (!ReadPattern(song, im, p, offset(instruments + samples + p))) return 0;
  return 1;
}
