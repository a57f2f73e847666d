// Sample banks: the bank header and the entry headers, checked once into a table of
// entries, and the stream side (probe, entry selection, decoding through the WAV path).
#include "format_bank.h"

#include <cstring>

#include "aural_engine.h"
#include "sound_alloc.h"
#include "sound_decode.h"
#include "sound_reader.h"
#include "system_file.h"

static constexpr char kSoundFileTag[] = "src/format_bank";

namespace {

using namespace SoundMode;

constexpr int kHeaderBytesV2 = 16;
constexpr int kHeaderBytesV3 = 24;
constexpr int kFixedEntryBytes = 72;       // size, name, the numbers, the two distances
constexpr int kLargeEntryExtra = 16;       // version 0x30001
constexpr int kBasicEntryBytes = 8;        // length and data bytes
constexpr int kBlock14BasicLessV2 = 56;
constexpr int kBlock14BasicLessV3 = 72;
constexpr int kSyncHeaderBytes = 8;        // "SYNC" and the point count
constexpr int kSyncPointBytes = 4 + kSoundSyncNameSize;
constexpr uint32_t kEntryHasSync = 0x80000000;
constexpr int kReadBufferTarget = 2048;
constexpr int kImaFormatBytes = 20;
constexpr int kImaBitsPerSample = 4;
// What an entry's stored mode may say about its data; the rest is the caller's business.
constexpr uint32_t kEntryModeBits = LoopBits | Pcm8 | Pcm16 | Mono | Stereo | Unsigned | Signed | Sound3d | No3d |
                                    ImaAdpcm | Block28 | Block14 | MultiChannel;
constexpr uint32_t kLayoutBits = Mono | Stereo | MultiChannel;
// Bits a stream takes from its caller over the entry's.
constexpr uint32_t kCallerBits = 0x83000 | LoadInBackground | DownmixMono | FromMemory;

uint32_t U32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }
uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

void Put16(uint8_t* p, uint32_t v) { p[0] = static_cast<uint8_t>(v), p[1] = static_cast<uint8_t>(v >> 8); }
void Put32(uint8_t* p, uint32_t v) { Put16(p, v), Put16(p + 2, v >> 16); }

int32_t StoredInt(uint32_t v) { return v > INT32_MAX ? -1 : static_cast<int32_t>(v); }

BankState* Fail(BankState* bank, int32_t error) {
  FsbFormat_Close(bank);
  SoundError_Set(error);
  return nullptr;
}

// The channel layout the channel count allows; false for counts no sample can hold.
bool NormaliseLayout(BankEntry* e) {
  const int c = e->channels;
  const bool multi = (e->mode & MultiChannel) != 0;
  if (c < 1 || c > kSoundMaxSampleChannels || (c > 2 && !multi)) return false;
  const uint32_t layout = c == 1 ? Mono : (c == 2 && !multi) ? Stereo : MultiChannel;
  e->mode = (e->mode & ~kLayoutBits) | layout;
  return true;
}

// Values of a full entry header at `h` (its size already checked to hold them).
void ReadFullHeader(const uint8_t* h, BankEntry* e) {
  std::memcpy(e->name, h + 2, kBankNameSize);
  e->name[kBankNameSize] = 0;
  e->loopStart = StoredInt(U32(h + 40));
  e->loopEnd = StoredInt(U32(h + 44));
  e->mode = U32(h + 48);
  e->rate = static_cast<int32_t>(U32(h + 52));
  e->volume = U16(h + 56);
  e->pan = static_cast<int16_t>(U16(h + 58));
  e->priority = U16(h + 60);
  e->channels = U16(h + 62);
  e->minDistance = static_cast<int32_t>(U32(h + 64));
  e->maxDistance = static_cast<int32_t>(U32(h + 68));
}

// The entry's sync table inside its header of `size` bytes; -1 when it does not fit.
int CountSync(const uint8_t* h, int size, int fixed) {
  if (size - fixed < kSyncHeaderBytes || std::memcmp(h + fixed, "SYNC", 4) != 0) return -1;
  const uint32_t count = U32(h + fixed + 4);
  if (static_cast<int64_t>(count) * kSyncPointBytes > size - fixed - kSyncHeaderBytes) return -1;
  return static_cast<int>(count);
}

// Walks the entry headers in `raw` into the bank's table and copies the sync points.
// The error of a header that lies (11) or of a full memory (12), else 0.
int32_t ReadEntries(BankState* bank, const uint8_t* raw, int rawBytes, int count, int fixed, bool shared,
                    int64_t fileLength) {
  auto* at = static_cast<int32_t*>(SOUND_ALLOC(sizeof(int32_t) * static_cast<size_t>(count)));
  if (!at) return kSoundErrNoMemory;
  int64_t offset = 0, data = bank->dataStart, syncTotal = 0;
  int32_t error = kSoundErrNone;
  for (int i = 0; i < count && error == kSoundErrNone; ++i) {
    BankEntry* e = &bank->entries[i];
    const bool basic = i > 0 && shared;
    const uint8_t* h = raw + offset;
    int size;
    at[i] = static_cast<int32_t>(offset);
    if (basic) {
      // The first entry's values, its own length and size, a loop over all of it.
      *e = bank->entries[0];
      e->syncCount = 0;
      const int less = bank->version == kBankVersionLargeHeader ? kBlock14BasicLessV3 : kBlock14BasicLessV2;
      size = (e->mode & Block14) ? U16(raw) - less : kBasicEntryBytes;
    } else {
      size = offset + 2 <= rawBytes ? U16(h) : 0;
      if (size < fixed) size = -1;  // a header below its fixed part would walk backwards
    }
    if (size < kBasicEntryBytes || offset + size > rawBytes) {
      error = kSoundErrReadError;
      break;
    }
    if (!basic) {
      ReadFullHeader(h, e);
      if (e->mode & kEntryHasSync) {
        e->syncCount = CountSync(h, size, fixed);
        if (e->syncCount < 0) error = kSoundErrReadError;
        syncTotal += e->syncCount;
      }
      e->mode &= kEntryModeBits;
    }
    e->lengthSamples = StoredInt(U32(h + (basic ? 0 : 32)));
    e->dataBytes = StoredInt(U32(h + (basic ? 4 : 36)));
    // A length the data cannot hold would size the sample, not the sound: the data rules.
    if (!(bank->flags & kBankFlagEmbeddedFile) && e->lengthSamples > FsbFormat_FramesInData(e))
      e->lengthSamples = static_cast<int32_t>(FsbFormat_FramesInData(e));
    if (basic) e->loopStart = 0, e->loopEnd = e->lengthSamples - 1;
    e->dataOffset = static_cast<int32_t>(data < INT32_MAX ? data : INT32_MAX);
    data += e->dataBytes < 0 ? 0 : e->dataBytes;
    // Sizes in 64 bits: the decoded size must still fit the stream's 32-bit counts, and
    // the data must lie inside the file.
    if (error == kSoundErrNone &&
        (e->lengthSamples < 0 || e->dataBytes < 0 || !NormaliseLayout(e) || !SoundReader_PlayableRate(e->rate) ||
         static_cast<int64_t>(e->lengthSamples) * FsbFormat_DecodedFrameBytes(e) > INT32_MAX ||
         (!(bank->flags & kBankFlagEmbeddedFile) && data > fileLength)))
      error = kSoundErrReadError;
    offset += size;
  }
  if (error == kSoundErrNone && syncTotal > 0) {
    bank->syncPoints = static_cast<BankSyncPoint*>(SOUND_CALLOC(sizeof(BankSyncPoint) * static_cast<size_t>(syncTotal)));
    if (!bank->syncPoints) error = kSoundErrNoMemory;
  }
  BankSyncPoint* next = bank->syncPoints;
  for (int i = 0; i < count && error == kSoundErrNone; ++i) {
    BankEntry* e = &bank->entries[i];
    if (e->syncCount <= 0) continue;
    e->sync = next;
    const uint8_t* p = raw + at[i] + fixed + kSyncHeaderBytes;
    for (int k = 0; k < e->syncCount; ++k, ++next, p += kSyncPointBytes) {
      next->offset = U32(p);
      std::memcpy(next->name, p + 4, kSoundSyncNameSize - 1);
      next->name[kSoundSyncNameSize - 1] = 0;
    }
  }
  SOUND_FREE(at);
  return error;
}

}  // namespace

int64_t FsbFormat_FramesInData(const BankEntry* e) {
  const int64_t c = e->channels < 1 ? 1 : e->channels;
  const int64_t bytes = e->dataBytes;  // doubled below: 64 bits hold every stored size
  if (bytes <= 0) return 0;
  if (e->mode & ImaAdpcm) return bytes / (kImaBlockBytes36 * c) * kImaSamplesPerBlock36;
  if (e->mode & (Block28 | Block14)) return bytes * 2 / c;  // four bits a sample
  return bytes / (((e->mode & Pcm16) ? 2 : 1) * c);
}

int FsbFormat_DecodedFrameBytes(const BankEntry* e) {
  const int width = (e->mode & (Pcm16 | ImaAdpcm)) ? 2 : 1;
  return width * e->channels;
}

BankState* FsbFormat_ReadBank(SoundFile* f) {
  auto* bank = static_cast<BankState*>(SOUND_CALLOC(sizeof(BankState)));
  if (!bank) {
    SoundError_Set(kSoundErrNoMemory);
    return nullptr;
  }
  AuralFile_Seek(f, 0, 0);
  uint8_t header[kHeaderBytesV3];
  const int got = AuralFile_Read(header, 1, kHeaderBytesV3, f);
  const bool v2 = got >= 4 && std::memcmp(header, "SBK2", 4) == 0;
  const bool v3 = got >= 4 && std::memcmp(header, "SBK3", 4) == 0;
  if (!v2 && !v3) return Fail(bank, kSoundErrUnknownFormat);
  const int headerBytes = v2 ? kHeaderBytesV2 : kHeaderBytesV3;
  if (got < headerBytes) return Fail(bank, kSoundErrReadError);
  const int32_t count = static_cast<int32_t>(U32(header + 4));
  const int32_t entryHeaderBytes = static_cast<int32_t>(U32(header + 8));
  bank->soundDataBytes = static_cast<int32_t>(U32(header + 12));
  bank->version = v3 ? static_cast<int32_t>(U32(header + 16)) : 0;
  bank->flags = v3 ? U32(header + 20) : 0;
  const int64_t fileLength = SoundReader_FileLength(f);
  // Counts and sizes come from the file: negative ones, and headers the file cannot
  // hold, are lies (and would size the allocations below).
  if (count < 0 || entryHeaderBytes < 0 || bank->soundDataBytes < 0 ||
      headerBytes + static_cast<int64_t>(entryHeaderBytes) > fileLength)
    return Fail(bank, kSoundErrReadError);
  bank->dataStart = headerBytes + entryHeaderBytes;
  if (count == 0) return bank;
  // Every entry needs at least a basic header, so the count is bounded by the bytes too.
  if (static_cast<int64_t>(count) * kBasicEntryBytes > entryHeaderBytes) return Fail(bank, kSoundErrReadError);

  auto* raw = static_cast<uint8_t*>(SOUND_ALLOC(static_cast<size_t>(entryHeaderBytes)));
  bank->entries = static_cast<BankEntry*>(SOUND_CALLOC(sizeof(BankEntry) * static_cast<size_t>(count)));
  if (!raw || !bank->entries) {
    SOUND_FREE(raw);
    return Fail(bank, kSoundErrNoMemory);
  }
  AuralFile_Seek(f, headerBytes, 0);
  if (AuralFile_Read(raw, 1, entryHeaderBytes, f) != entryHeaderBytes) {
    SOUND_FREE(raw);
    return Fail(bank, kSoundErrReadError);
  }
  const int fixed = kFixedEntryBytes + (bank->version == kBankVersionLargeHeader ? kLargeEntryExtra : 0);
  const bool shared = (bank->flags & kBankFlagSharedHeaders) != 0;
  const int32_t error = ReadEntries(bank, raw, entryHeaderBytes, count, fixed, shared, fileLength);
  SOUND_FREE(raw);
  if (error != kSoundErrNone) return Fail(bank, error);
  bank->entryCount = count;
  return bank;
}

void FsbFormat_Close(void* state) {
  auto* bank = static_cast<BankState*>(state);
  if (!bank) return;
  SOUND_FREE(bank->entries);
  SOUND_FREE(bank->syncPoints);
  SOUND_FREE(bank);
}

const BankEntry* FsbFormat_Entry(const BankState* bank, int index) {
  return bank && index >= 0 && index < bank->entryCount ? &bank->entries[index] : nullptr;
}

BOOL FsbFormat_SelectEntry(BankState* bank, int index, uint32_t callerMode, SoundReaderInfo* info) {
  const BankEntry* e = FsbFormat_Entry(bank, index);
  if (!e) {
    SoundError_Set(kSoundErrInvalidParam);
    return FALSE;
  }
  if (e->mode & (Block28 | Block14)) {
    SoundError_Set(kSoundErrUnknownFormat);
    return FALSE;
  }
  const bool adpcm = (e->mode & ImaAdpcm) != 0;
  const int c = e->channels;
  uint32_t m = e->mode;
  if (callerMode & LoopBits) m = (m & ~LoopBits) | (callerMode & LoopBits);
  m |= callerMode & kCallerBits;
  // IMA ADPCM reaches the stream decoded: 16-bit, and never mixed down.
  if (adpcm) m = (m & ~(ImaAdpcm | Pcm8 | DownmixMono)) | Pcm16;
  if (!(m & (Pcm8 | Pcm16))) m |= Pcm8;

  WavDecodeState& wav = bank->wav;
  wav = WavDecodeState{};
  std::memset(bank->format, 0, sizeof bank->format);
  wav.channels = c;
  wav.formatTag = adpcm ? kWavTagImaAdpcm36 : kWavTagPcm;
  wav.blockAlign = adpcm ? kImaBlockBytes36 * c : FsbFormat_DecodedFrameBytes(e);
  wav.samplesPerBlock = adpcm ? kImaSamplesPerBlock36 : 1;
  wav.adpcm36 = (e->mode & MultiChannel) ? 1 : 0;
  if (adpcm) {
    // The format block a WAV file of this data would carry.
    Put16(bank->format, kWavTagImaAdpcm36);
    Put16(bank->format + 2, static_cast<uint32_t>(c));
    Put32(bank->format + 4, static_cast<uint32_t>(e->rate));
    Put32(bank->format + 8, static_cast<uint32_t>(e->rate / kImaSamplesPerBlock36 * kImaBlockBytes36 * c));
    Put16(bank->format + 12, static_cast<uint32_t>(wav.blockAlign));
    Put16(bank->format + 14, kImaBitsPerSample);
    Put16(bank->format + 16, kImaFormatBytes - 18);
    Put16(bank->format + 18, kImaSamplesPerBlock36);
    wav.format = bank->format;
  }
  bank->current = index;

  *info = SoundReaderInfo{};
  info->mode = m;
  info->rate = e->rate;
  info->dataOffset = e->dataOffset;
  info->dataBytes = e->dataBytes;
  info->decodedBytes = e->lengthSamples * FsbFormat_DecodedFrameBytes(e);
  info->blockAlign = wav.blockAlign;
  info->samplesPerBlock = wav.samplesPerBlock;
  info->channels = c;
  info->state = bank;
  info->decode = FsbFormat_Decode;
  info->close = FsbFormat_Close;
  info->loopStart = e->loopStart;
  info->loopEnd = e->loopEnd;
  info->lengthMs = -1;
  if (adpcm) {
    int read = wav.blockAlign;
    while (read < kReadBufferTarget) read *= 2;
    info->readBufferSize = read;
    info->decodeBufferSize = read / wav.blockAlign * kImaSamplesPerBlock36 * 2 * c;
  }
  return TRUE;
}

BOOL FsbFormat_AddSyncPoints(const BankState* bank, int index, SoundSyncPoint* list) {
  const BankEntry* e = FsbFormat_Entry(bank, index);
  if (!e || !list) return TRUE;
  SoundSyncBatch points = {};
  bool ok = true;
  for (int k = 0; k < e->syncCount && ok; ++k) ok = AuralSync_BatchAdd(&points, e->sync[k].offset, 0, e->sync[k].name);
  if (ok) AuralSync_BatchMerge(&points, list);
  AuralSync_BatchFree(&points);
  return ok ? TRUE : FALSE;
}

BOOL FsbFormat_Open(SoundFile* f, uint32_t mode, SoundReaderInfo* info, SoundSyncPoint* syncList) {
  BankState* bank = FsbFormat_ReadBank(f);
  if (!bank) return FALSE;
  // A whole embedded file is no stream of entries; nor is a bank without entries.
  const int32_t refusal = (bank->flags & kBankFlagEmbeddedFile) ? kSoundErrUnknownFormat
                          : bank->entryCount == 0                ? kSoundErrReadError
                                                                 : kSoundErrNone;
  if (refusal != kSoundErrNone || !FsbFormat_SelectEntry(bank, 0, mode, info)) {
    const int32_t error = refusal != kSoundErrNone ? refusal : SoundError;
    FsbFormat_Close(bank);
    SoundError_Set(error);
    return FALSE;
  }
  if (!FsbFormat_AddSyncPoints(bank, 0, syncList)) {
    FsbFormat_Close(bank);
    SoundError_Set(kSoundErrNoMemory);
    return FALSE;
  }
  return TRUE;
}

BOOL FsbFormat_Decode(SoundStream* stream, void* readBuffer, int readBufferSize, void* output, int* byteCount) {
  auto* bank = static_cast<BankState*>(stream->ringSample ? stream->ringSample->user : nullptr);
  if (!bank) {
    *byteCount = 0;
    return FALSE;
  }
  return WavFormat_DecodeWith(stream, &bank->wav, readBuffer, readBufferSize, output, byteCount);
}

bool FsbFormat_IsBankStream(const SoundStream* stream) {
  return stream && stream->readerDecode == FsbFormat_Decode && stream->ringSample && stream->ringSample->user;
}
