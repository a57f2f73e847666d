// A sample bank of one entry loaded whole into a sample; IMA ADPCM entries are decoded
// on upload. A bank that holds one whole sound file hands that file to the general
// loader, one level deep at most.
#include <cstring>

#include "aural_engine.h"
#include "format_bank.h"
#include "sound_alloc.h"
#include "sound_decode.h"
#include "sound_reader.h"
#include "system_file.h"

static constexpr char kSoundFileTag[] = "src/format_bank";

namespace {

using namespace SoundMode;

constexpr int kPieceBytes = 32768;
constexpr int kMultiChannelPieceFrames = 32;
// Bits of the caller's mode a bank's sample takes besides the entry's own.
constexpr uint32_t kCallerSampleBits = ~(0x1F8u | LoopBits | MultiChannel | ImaAdpcm | Block28 | Block14 | RawPcm |
                                         LoadInBackground | StreamBuffer | DriverSample);

// Embedded files that are banks again stop here: a bank inside a bank inside a bank
// would otherwise nest until the stack runs out.
thread_local int g_embeddedDepth = 0;

int Clamp(int v, int low, int high) { return v < low ? low : v > high ? high : v; }

SoundSample* Failed(int32_t code, int* error, SoundSample* s, void* buffer, BankState* bank) {
  if (s) SoundSample_Free(s);
  SOUND_FREE(buffer);
  if (bank) FsbFormat_Close(bank);
  SoundError_Set(code);
  *error = code;
  return nullptr;
}

SoundSample* LoadEmbedded(int index, SoundFile* f, uint32_t mode, int* error, BankState* bank) {
  const int64_t length = bank->entryCount > 0 ? bank->entries[0].dataBytes : bank->soundDataBytes;
  SoundSample* s = FsbFormat_LoadEmbeddedFile(index, f, bank->dataStart, length, mode, error);
  FsbFormat_Close(bank);
  return s;
}

}  // namespace

SoundSample* FsbFormat_LoadEmbeddedFile(int index, SoundFile* f, int64_t offset, int64_t bytes, uint32_t mode,
                                        int* error) {
  if (g_embeddedDepth > 0 || bytes <= 0 || offset + bytes > SoundReader_FileLength(f))
    return Failed(kSoundErrReadError, error, nullptr, nullptr, nullptr);
  const int32_t start = f->startOffset, end = f->endOffset;
  ++g_embeddedDepth;
  AuralFile_Seek(f, 0, 0);
  SoundSample* s =
      SoundSample_Load(index, nullptr, mode & ~(FromMemory | RawPcm), static_cast<int>(offset), static_cast<int>(bytes), f);
  --g_embeddedDepth;
  f->startOffset = start;
  f->endOffset = end;
  AuralFile_Seek(f, 0, 0);
  *error = s ? kSoundErrNone : SoundError;
  return s;
}

SoundSample* FsbFormat_LoadSample(int index, SoundFile* f, uint32_t mode, int* error) {
  BankState* bank = FsbFormat_ReadBank(f);
  if (!bank) {
    *error = SoundError;
    return nullptr;
  }
  if (bank->flags & kBankFlagEmbeddedFile) return LoadEmbedded(index, f, mode, error, bank);
  // Only a bank of one entry is one sample.
  if (bank->entryCount != 1) return Failed(kSoundErrUnknownFormat, error, nullptr, nullptr, bank);
  SoundSample* s = FsbFormat_LoadEntry(index, f, bank, 0, mode, error);
  FsbFormat_Close(bank);
  return s;
}

SoundSample* FsbFormat_LoadEntry(int index, SoundFile* f, const BankState* bank, int entry, uint32_t mode, int* error) {
  const BankEntry* e = FsbFormat_Entry(bank, entry);
  if (!e || (e->mode & (Block28 | Block14))) return Failed(kSoundErrUnknownFormat, error, nullptr, nullptr, nullptr);
  if (e->lengthSamples <= 0) return Failed(kSoundErrReadError, error, nullptr, nullptr, nullptr);

  const bool adpcm = (e->mode & ImaAdpcm) != 0;
  const bool multi = (e->mode & MultiChannel) != 0;
  const int c = e->channels;
  // The software output holds no ADPCM: the sample is 16-bit and the data decoded on upload.
  uint32_t sampleMode = (e->mode & ~ImaAdpcm) | (mode & kCallerSampleBits);
  if (mode & LoopBits) sampleMode = (sampleMode & ~LoopBits) | (mode & LoopBits);
  if (adpcm) sampleMode = (sampleMode & ~Pcm8) | Pcm16;
  if ((sampleMode & Stereo) && (sampleMode & DownmixMono)) sampleMode &= ~Sound3d;
  SoundSample* s = SoundSample_AllocChannels(index, e->lengthSamples, sampleMode, e->rate, Clamp(e->volume, 0, 255),
                                             Clamp(e->pan, -1, 255), Clamp(e->priority, 0, 255), multi ? c : 1);
  if (!s) return Failed(SoundError ? SoundError : kSoundErrNoMemory, error, nullptr, nullptr, nullptr);
  std::memcpy(s->name, e->name, kBankNameSize);
  s->name[kBankNameSize] = 0;
  if (bank->version == kBankVersionLargeHeader) {
    s->minDistance = e->minDistance;
    s->maxDistance = e->maxDistance;
  }
  if (!SoundSample_SetLoopPoints(s, e->loopStart, e->loopEnd)) SoundSample_SetLoopPoints(s, 0, s->length - 1);

  // Pieces of whole ADPCM blocks, or of whole frames (multi-channel data in groups).
  const int frameBytes = FsbFormat_DecodedFrameBytes(e);
  const int unit = adpcm ? kImaBlockBytes36 * c : multi ? frameBytes * kMultiChannelPieceFrames : frameBytes;
  const int piece = kPieceBytes / unit * unit;
  auto* buffer = static_cast<uint8_t*>(SOUND_ALLOC(static_cast<size_t>(piece)));
  if (!buffer) return Failed(kSoundErrNoMemory, error, s, nullptr, nullptr);
  const uint32_t sourceMode = (e->mode & (Pcm8 | Pcm16 | Mono | Stereo | MultiChannel | ImaAdpcm | Unsigned)) |
                              ((e->mode & Unsigned) ? 0 : Signed);
  AuralFile_Seek(f, e->dataOffset, 0);
  int frames = 0;
  for (int64_t remaining = e->dataBytes; remaining > 0 && frames < s->length;) {
    const int want = remaining < piece ? static_cast<int>(remaining) : piece;
    if (AuralFile_Read(buffer, 1, want, f) != want) return Failed(kSoundErrReadError, error, s, buffer, nullptr);
    remaining -= want;
    const int room = s->length - frames;
    if (!adpcm) {
      const int n = want / frameBytes < room ? want / frameBytes : room;
      if (!SoundSample_Upload(s, buffer, frames * frameBytes, n * frameBytes, sourceMode))
        return Failed(SoundError ? SoundError : kSoundErrReadError, error, s, buffer, nullptr);
      frames += n;
      continue;
    }
    // Blocks the sample holds whole go up as they are; the block the sample ends inside
    // is decoded here and cut.
    const int blocks = want / unit;
    const int whole = blocks < room / kImaSamplesPerBlock36 ? blocks : room / kImaSamplesPerBlock36;
    if (whole > 0 && !SoundSample_Upload(s, buffer, frames * frameBytes, whole * unit, sourceMode))
      return Failed(SoundError ? SoundError : kSoundErrReadError, error, s, buffer, nullptr);
    frames += whole * kImaSamplesPerBlock36;
    if (whole < blocks && frames < s->length) {
      int16_t last[kImaSamplesPerBlock36 * kSoundMaxSampleChannels];
      if (SoundConv_DecodeIma36(buffer + static_cast<size_t>(whole) * unit, unit, last, static_cast<int>(sizeof last), c,
                                multi) <= 0 ||
          !SoundSample_Upload(s, last, frames * frameBytes, (s->length - frames) * frameBytes,
                              (sourceMode & ~ImaAdpcm) | Pcm16))
        return Failed(kSoundErrReadError, error, s, buffer, nullptr);
      frames = s->length;
    }
  }
  SOUND_FREE(buffer);
  *error = kSoundErrNone;
  return s;
}
