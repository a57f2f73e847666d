// AIFF files: the big-endian chunk walk ("COMM", "SSND", "MARK", "INST"), the stream
// probe and decode callback, and loading whole samples.
#include "format_wav_aiff.h"

#include <cmath>
#include <cstring>

#include "aural_engine.h"
#include "aural_sample.h"
#include "sound_alloc.h"
#include "sound_reader.h"
#include "system_file.h"

static constexpr char kSoundFileTag[] = "src/format_wav";

namespace {

constexpr int kFormHeaderBytes = 12;
constexpr int kChunkHeaderBytes = 8;
constexpr int kCommBytes = 18;
constexpr int kSsndFieldBytes = 8;  // offset and block size before the data
constexpr int kInstBytes = 20;
constexpr int kInstPlayModeAt = 8, kInstBeginAt = 10, kInstEndAt = 12;  // the sustain loop
constexpr uint16_t kPlayModeNoLooping = 0;
constexpr uint16_t kPlayModeBackAndForth = 2;
constexpr int kMarkerFixedBytes = 7;  // id, position, name length
constexpr int kExponentBias = 16383;
constexpr int kMaxMarkerName = 255;

uint32_t B32(const uint8_t* p) { return static_cast<uint32_t>(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3]; }
uint16_t B16(const uint8_t* p) { return static_cast<uint16_t>(p[0] << 8 | p[1]); }
bool Is(const uint8_t* id, const char* name) { return std::memcmp(id, name, 4) == 0; }

bool ReadAt(SoundFile* f, int64_t offset, void* buffer, int bytes) {
  if (offset < 0 || offset > INT32_MAX) return false;
  AuralFile_Seek(f, static_cast<int>(offset), 0);
  return AuralFile_Read(buffer, 1, bytes, f) == bytes;
}

BOOL Fail(int32_t error) {
  SoundError_Set(error);
  return FALSE;
}

// The loop's two markers (begin, end) as the instrument chunk names them: by identifier,
// and by ordinal (first = 1) for writers that count their markers from 0 instead.
struct Markers {
  bool loop;                // an instrument chunk asks for one
  int32_t wanted[2];        // identifiers
  uint32_t positions[2];
  bool found[2];
  int32_t ordinalWanted[2];
  uint32_t ordinalPositions[2];
  bool ordinalFound[2];
};

// True when the four bytes at `offset` read as a chunk identifier (printable ASCII, not
// starting with a space).
bool ChunkIdAt(SoundFile* f, int64_t offset) {
  uint8_t id[4];
  if (!ReadAt(f, offset, id, sizeof id) || id[0] == ' ') return false;
  for (uint8_t c : id)
    if (c < 0x20 || c > 0x7E) return false;
  return true;
}

// Reads the "MARK" chunk of `size` bytes at the file position: each marker becomes a
// point of `sync`; the positions of the loop's ordinals are noted. The error of a short
// read (11) or of a full memory (12), else 0.
int32_t ReadMarkers(SoundFile* f, int64_t size, uint32_t frames, SoundSyncBatch* sync, Markers* m) {
  uint8_t countBytes[2];
  if (size < 2 || AuralFile_Read(countBytes, 1, 2, f) != 2) return kSoundErrReadError;
  const int count = B16(countBytes);
  int64_t used = 2;
  for (int i = 0; i < count; ++i) {
    uint8_t fixed[kMarkerFixedBytes];
    // A count the chunk cannot hold is a damaged chunk, not a reason to read on.
    if (used + kMarkerFixedBytes > size || AuralFile_Read(fixed, 1, kMarkerFixedBytes, f) != kMarkerFixedBytes)
      return kSoundErrReadError;
    const int length = fixed[6];
    char name[kMaxMarkerName + 1] = {};
    if (AuralFile_Read(name, 1, length, f) != length) return kSoundErrReadError;
    used += kMarkerFixedBytes + length;
    // The count byte and the name take an even number of bytes: a pad byte follows an
    // even-length name (inside the chunk; a writer that left out the last one lost nothing).
    uint8_t pad;
    if (length % 2 == 0 && used < size) {
      if (AuralFile_Read(&pad, 1, 1, f) != 1) return kSoundErrReadError;
      ++used;
    }
    uint32_t position = B32(fixed + 2);
    if (frames > 0 && position > frames - 1) position = frames - 1;
    const int id = static_cast<int16_t>(B16(fixed));
    for (int k = 0; k < 2 && m->loop; ++k) {
      if (id == m->wanted[k] && !m->found[k]) m->positions[k] = position, m->found[k] = true;
      if (i + 1 == m->ordinalWanted[k]) m->ordinalPositions[k] = position, m->ordinalFound[k] = true;
    }
    if (sync && !AuralSync_BatchAdd(sync, position, static_cast<uint32_t>(id), name)) return kSoundErrNoMemory;
  }
  return kSoundErrNone;
}

}  // namespace

int Aiff_ExtendedToRate(const uint8_t x[10]) {
  const int exponent = (x[0] & 0x7F) << 8 | x[1];
  const uint32_t high = B32(x + 2), low = B32(x + 6);
  if ((exponent == 0 && high == 0 && low == 0) || exponent == 0x7FFF || (x[0] & 0x80)) return 0;
  // Beyond these exponents no mantissa gives a value between 1 and the largest rate:
  // the integer conversion never sees an out-of-range value.
  const int shift = exponent - kExponentBias;
  if (shift < -64 || shift > 64) return 0;
  const double value = std::ldexp(static_cast<double>(high), shift - 31) + std::ldexp(static_cast<double>(low), shift - 63);
  if (!(value >= 0 && value < kSoundReaderMaxRate + 1.0)) return 0;
  const int rate = static_cast<int>(value);
  return SoundReader_PlayableRate(rate) ? rate : 0;
}

BOOL AiffFormat_ReadChunks(SoundFile* f, int* dataOffset, int* dataBytes, uint32_t* mode, int* rate,
                           SoundSyncPoint* syncList, AiffLoop* loop) {
  using namespace SoundMode;
  *dataOffset = -1;
  *dataBytes = 0;
  *mode &= ~0x1F8u;
  *rate = 0;
  loop->start = loop->end = -1;
  loop->backAndForth = false;
  uint8_t form[kFormHeaderBytes];
  const int got = AuralFile_Read(form, 1, kFormHeaderBytes, f);
  if (got < 4 || !Is(form, "FORM")) return Fail(kSoundErrUnknownFormat);
  if (got < kFormHeaderBytes) return Fail(kSoundErrReadError);
  if (!Is(form + 8, "AIFF")) return Fail(kSoundErrUnknownFormat);  // AIFC and others
  const int64_t formEnd = static_cast<int64_t>(B32(form + 4)) + kChunkHeaderBytes;
  const int64_t fileLength = SoundReader_FileLength(f);
  bool haveComm = false;
  int channels = 0, bits = 0;
  uint32_t frames = 0;
  int64_t instOffset = -1, markOffset = -1, markSize = 0;
  // A chunk header that ends at the form's end is still inside it.
  for (int64_t off = kFormHeaderBytes; off > 0 && off + kChunkHeaderBytes <= formEnd;) {
    uint8_t h[kChunkHeaderBytes];
    if (!ReadAt(f, off, h, sizeof h)) return Fail(kSoundErrReadError);
    const int64_t size = B32(h + 4);
    if (Is(h, "COMM")) {
      uint8_t c[kCommBytes];
      if (size < kCommBytes || AuralFile_Read(c, 1, kCommBytes, f) != kCommBytes) return Fail(kSoundErrReadError);
      channels = static_cast<int16_t>(B16(c));
      frames = B32(c + 2);
      bits = static_cast<int16_t>(B16(c + 6));
      *rate = Aiff_ExtendedToRate(c + 8);
      if (*rate == 0) return Fail(kSoundErrReadError);
      haveComm = true;
    } else if (Is(h, "SSND") && *dataOffset < 0) {
      if (size < kSsndFieldBytes) return Fail(kSoundErrReadError);
      *dataOffset = static_cast<int>(off + kChunkHeaderBytes + kSsndFieldBytes);
      *dataBytes = static_cast<int>(size - kSsndFieldBytes);
    } else if (Is(h, "INST")) {
      instOffset = off + kChunkHeaderBytes;
    } else if (Is(h, "MARK")) {
      markOffset = off + kChunkHeaderBytes;
      markSize = size;
    }
    // Every chunk ends inside the file. An odd-sized chunk is followed by a pad byte,
    // unless its writer left the pad out and put the next chunk's identifier right there.
    const int64_t next = off + kChunkHeaderBytes + size;
    if (next > fileLength) return Fail(kSoundErrReadError);
    off = (size & 1) && !ChunkIdAt(f, next) ? next + 1 : next;
  }
  if (!haveComm || *dataOffset < 0) {
    if (*dataOffset < 0) *dataOffset = 0;
    return Fail(kSoundErrReadError);
  }
  if ((bits != 8 && bits != 16) || (channels != 1 && channels != 2)) return Fail(kSoundErrUnknownFormat);
  // The "INST" values come first: the markers are matched against them as they are read.
  Markers markers = {};
  uint8_t inst[kInstBytes];
  // A sustain loop marked as not looping is no loop: its markers stay sync points.
  if (instOffset >= 0 && ReadAt(f, instOffset, inst, sizeof inst) &&
      B16(inst + kInstPlayModeAt) != kPlayModeNoLooping) {
    loop->backAndForth = B16(inst + kInstPlayModeAt) == kPlayModeBackAndForth;
    const int begin = static_cast<int16_t>(B16(inst + kInstBeginAt)), end = static_cast<int16_t>(B16(inst + kInstEndAt));
    markers.loop = true;
    markers.wanted[0] = begin;
    markers.wanted[1] = end;
    // A loop from identifier 0 counts its markers from 0: ordinals 1 and end + 1.
    if (begin == 0) markers.ordinalWanted[0] = 1, markers.ordinalWanted[1] = end + 1;
  }
  if (markOffset >= 0) {
    AuralFile_Seek(f, static_cast<int>(markOffset), 0);
    SoundSyncBatch points = {};
    const int32_t error = ReadMarkers(f, markSize, frames, syncList ? &points : nullptr, &markers);
    if (error == kSoundErrNone && syncList) AuralSync_BatchMerge(&points, syncList);
    AuralSync_BatchFree(&points);
    if (error != kSoundErrNone) return Fail(error);
  }
  if (markers.found[0] && markers.found[1]) {
    loop->start = static_cast<int32_t>(markers.positions[0]);
    loop->end = static_cast<int32_t>(markers.positions[1]);
  } else if (markers.ordinalFound[0] && markers.ordinalFound[1]) {
    loop->start = static_cast<int32_t>(markers.ordinalPositions[0]);
    loop->end = static_cast<int32_t>(markers.ordinalPositions[1]);
  }
  *mode |= (bits == 16 ? Pcm16 : Pcm8) | (channels == 2 ? Stereo : Mono);
  return TRUE;
}

namespace {

// The probe's description of the file, and the loop as the instrument chunk has it.
BOOL Describe(SoundFile* f, uint32_t mode, SoundReaderInfo* info, SoundSyncPoint* syncList, AiffLoop& loop) {
  using namespace SoundMode;
  AuralFile_Seek(f, 0, 0);
  int dataOffset = 0, dataBytes = 0, rate = 0;
  uint32_t m = mode;
  if (!AiffFormat_ReadChunks(f, &dataOffset, &dataBytes, &m, &rate, syncList, &loop)) return FALSE;
  // The decode callback turns the file's signed bytes into the unsigned form declared here.
  m |= (m & Pcm8) ? Unsigned : Signed;
  const int channels = (m & Stereo) ? 2 : 1;
  *info = SoundReaderInfo{};
  info->mode = m;
  info->rate = rate;
  info->dataOffset = dataOffset;
  info->dataBytes = info->decodedBytes = dataBytes;
  info->blockAlign = ((m & Pcm16) ? 2 : 1) * channels;
  info->samplesPerBlock = 1;
  info->channels = channels;
  info->decode = AiffFormat_Decode;
  info->loopStart = loop.start;
  info->loopEnd = loop.end;
  info->lengthMs = -1;
  return TRUE;
}

}  // namespace

BOOL AiffFormat_Open(SoundFile* f, uint32_t mode, SoundReaderInfo* info, SoundSyncPoint* syncList) {
  AiffLoop loop;
  return Describe(f, mode, info, syncList, loop);
}

BOOL AiffFormat_Decode(SoundStream* stream, void* /*readBuffer*/, int /*readBufferSize*/, void* output, int* byteCount) {
  SoundFile* f = stream->file;
  const int room = *byteCount;
  *byteCount = 0;
  if (!f || room < 0) return FALSE;
  int64_t remaining = static_cast<int64_t>(stream->dataOffset) + stream->dataBytes - AuralFile_Tell(f);
  if (remaining < 0) remaining = 0;
  int n = room;
  bool cut = false;
  if (n > remaining) n = static_cast<int>(remaining), cut = true;
  int got = n > 0 ? AuralFile_Read(output, 1, n, f) : 0;
  if (got < 0) got = 0;
  auto* p = static_cast<uint8_t*>(output);
  if (stream->mode & SoundMode::Pcm16) {
    got -= got & 1;
    for (int i = 0; i < got; i += 2) std::swap(p[i], p[i + 1]);
  } else {
    for (int i = 0; i < got; ++i) p[i] = static_cast<uint8_t>(p[i] - 128);
  }
  *byteCount = got;
  if (got < n) stream->readShort = 1;
  return !cut && got == n;
}

SoundSample* AiffFormat_LoadSample(int index, SoundFile* f, uint32_t mode, int* error) {
  using namespace SoundMode;
  SoundReaderInfo info = {};
  AiffLoop loop;
  if (!Describe(f, mode, &info, nullptr, loop)) {
    *error = SoundError;
    return nullptr;
  }
  const uint32_t sampleMode = info.mode & ~Unsigned;  // samples hold signed data, as the file does
  const int frameBytes = SoundSample_FrameBytes(sampleMode);
  const int frames = info.dataBytes / frameBytes;
  if (frames <= 0) {
    *error = kSoundErrReadError;
    SoundError_Set(*error);
    return nullptr;
  }
  SoundSample* s = SoundReader_AllocSample(index, frames, sampleMode, info.rate);
  if (!s) {
    *error = SoundError ? SoundError : kSoundErrNoMemory;
    return nullptr;
  }
  void *p1, *p2;
  uint32_t l1, l2;
  AuralFile_Seek(f, info.dataOffset, 0);
  bool ok = SoundSample_Lock(s, 0, frames * frameBytes, &p1, &l1, &p2, &l2) && p1;
  ok = ok && AuralFile_Read(p1, 1, static_cast<int>(l1), f) == static_cast<int>(l1);
  if (ok && (sampleMode & Pcm16)) {
    auto* p = static_cast<uint8_t*>(p1);
    for (uint32_t i = 0; i + 1 < l1; i += 2) std::swap(p[i], p[i + 1]);
  }
  if (p1) SoundSample_Unlock(s, p1, l1, p2, l2);
  if (!ok) {
    SoundSample_Free(s);
    *error = kSoundErrReadError;
    SoundError_Set(*error);
    return nullptr;
  }
  SoundReader_ApplyLoop(s, mode, info.loopStart, info.loopEnd, loop.backAndForth ? LoopPingPong : LoopForward);
  *error = kSoundErrNone;
  return s;
}
