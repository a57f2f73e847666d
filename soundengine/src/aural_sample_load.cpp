// Sample data in: conversion on upload, uploading through lock and unlock, and loading
// whole samples from files, memory blocks and raw PCM.
#include <cstring>

#include "aural_engine.h"
#include "aural_tag.h"
#include "format_mpeg_mad.h"
#include "format_bank.h"
#include "format_oggvorbis.h"
#include "format_it.h"
#include "format_wav.h"
#include "format_wav_aiff.h"
#include "sound_decode.h"
#include "sound_alloc.h"
#include "system_file.h"

static constexpr char kSoundFileTag[] = "src/aural_sample";

namespace {

using namespace SoundMode;

constexpr uint32_t kModeDelta = 0x200;
constexpr uint32_t kModeItCompressed = 0x400 | 0x800;
constexpr uint32_t kModeBlock = Block28 | Block14;
constexpr char kMemoryFileName[] = "Memory file";
constexpr int kBaseRate = 8363;

int WidthOf(uint32_t mode) { return (mode & Pcm16) ? 2 : 1; }

// One conversion loop for every width pair: delta decoding and the sign flip happen at
// the source width, then the value is widened (<< 8) or narrowed to its high byte.
template <typename S, typename D>
void Convert(D* out, const S* in, int count, bool delta, bool flip) {
  constexpr int kShift = 8 * (static_cast<int>(sizeof(D)) - static_cast<int>(sizeof(S)));
  constexpr uint32_t kSign = sizeof(S) == 2 ? 0x8000u : 0x80u;
  S sum = 0;
  for (int i = 0; i < count; ++i) {
    S v = in[i];
    if (delta) v = sum = static_cast<S>(static_cast<uint32_t>(sum) + static_cast<uint32_t>(v));
    if (flip) v = static_cast<S>(static_cast<uint32_t>(v) ^ kSign);
    const int32_t value = v;
    out[i] = static_cast<D>(kShift >= 0 ? static_cast<int32_t>(static_cast<uint32_t>(value) << (kShift > 0 ? kShift : 0))
                                        : value >> (kShift < 0 ? -kShift : 0));
  }
}

// Frames of one channel part and their bytes; multi-channel data has `channels` parts.
struct Parts {
  int count, bytes;
};

Parts PartsOf(const SoundSample* s) {
  if (s->mode & MultiChannel) return {s->channels, s->length * WidthOf(s->mode)};
  return {1, s->length * SoundSample_FrameBytes(s->mode)};
}

uint8_t* PartData(const SoundSample* s, int part) {
  return static_cast<uint8_t*>(s->data) + static_cast<size_t>(part) * SoundSample_PartStride(s);
}

// A sample of `mode` like `from`: same defaults and loop, in a free slot (or unlisted).
SoundSample* CreateLike(const SoundSample* from, uint32_t mode) {
  const int index = from->index >= 0 ? -1 : from->index;
  SoundSample* s = SoundSample_Alloc(index, from->length, mode, from->frequency, from->volume, from->pan);
  if (!s) return nullptr;
  s->priority = from->priority;
  s->maxPlaybacks = from->maxPlaybacks;
  s->frequencyVariation = from->frequencyVariation;
  s->volumeVariation = from->volumeVariation;
  s->panVariation = from->panVariation;
  s->baseRate = from->baseRate;
  s->minDistance = from->minDistance;
  s->maxDistance = from->maxDistance;
  s->loopStart = from->loopStart;
  s->loopLength = from->loopLength;
  std::memcpy(s->name, from->name, sizeof(s->name));
  return s;
}

// Frees `old` and puts `replacement` in its table slot.
SoundSample* Replace(SoundSample* old, SoundSample* replacement) {
  SoundEngineTables& t = SoundTables;
  const int slot = old->index;
  SoundSample_Free(old);
  if (slot >= 0 && slot < t.sampleSlots && replacement->index >= 0) {
    t.samples[replacement->index] = nullptr;
    replacement->index = slot;
    t.samples[slot] = replacement;
  }
  SoundSample_RebuildGuards(replacement);
  return replacement;
}

SoundSample* Converted(SoundSample* original, SoundSample* result) {
  if (!result) {
    const int32_t error = SoundError;
    SoundSample_Free(original);
    SoundError_Set(error);
  }
  return result;
}

// The 16-bit sample as 8-bit: the high byte of every value.
SoundSample* NarrowTo8(SoundSample* wide) {
  SoundSample* narrow = CreateLike(wide, (wide->mode & ~Pcm16) | Pcm8);
  if (!narrow) return nullptr;
  SoundSample_RemoveGuards(wide);
  const Parts parts = PartsOf(narrow);
  for (int p = 0; p < parts.count; ++p)
    SoundSample_ConvertData(PartData(narrow, p), PartData(wide, p), parts.bytes, narrow->mode, wide->mode, 1);
  return Replace(wide, narrow);
}

SoundSample* DownmixToMono(SoundSample* stereo) {
  SoundSample* mono = CreateLike(stereo, (stereo->mode & ~Stereo) | Mono);
  if (!mono) return nullptr;
  SoundSample_RemoveGuards(stereo);
  SoundConv_StereoToMono(mono->data, stereo->data, stereo->length, stereo->mode);
  return Replace(stereo, mono);
}

// The readers a load tries, in order; one that answers 10 (not its format) passes the
// file on. Exact headers first ("SBK2"/"SBK3", "FORM", "OggS"); the MPEG header search
// accepts almost anything inside a RIFF file too, and WAV only refuses RIFF-wrapped MPEG
// data after it.
typedef SoundSample* (*SampleReader)(int index, SoundFile* file, uint32_t mode, int* error);
const SampleReader kSampleReaders[] = {FsbFormat_LoadSample, AiffFormat_LoadSample, OggFormat_LoadSample,
                                       MpegFormat_LoadSample, WavFormat_LoadSample};

// Raw PCM: the whole window is the data.
SoundSample* LoadRaw(int index, SoundFile* f, uint32_t mode, const char* name) {
  const int64_t bytes = AuralFile_Remaining(f);
  uint32_t sampleMode = mode;
  if ((mode & DownmixMono) && (mode & Stereo)) sampleMode &= ~Sound3d;
  const int frameBytes = ((mode & Stereo) ? 2 : 1) * ((mode & Pcm16) ? 2 : 1);
  const int frames = static_cast<int>(bytes / frameBytes);
  if (frames <= 0) {
    SoundError_Set(kSoundErrReadError);
    return nullptr;
  }
  SoundSample* s = SoundSample_Alloc(index, frames, sampleMode, 44100, 255, (mode & Stereo) ? -1 : 128);
  if (!s) return nullptr;
  s->baseRate = kBaseRate;
  SoundSample_SetLoopPoints(s, 0, frames - 1);
  std::strncpy(s->name, name, kSoundSampleNameSize - 1);
  const int want = frames * frameBytes;
  void* buffer = SOUND_ALLOC(static_cast<size_t>(want));
  if (!buffer) {
    SoundSample_Free(s);
    SoundError_Set(kSoundErrNoMemory);
    return nullptr;
  }
  // Only what the source really holds is uploaded; the rest of the sample stays silent.
  int got = AuralFile_Read(buffer, (mode & Pcm16) ? 2 : 1, want / ((mode & Pcm16) ? 2 : 1), f);
  if (got < 0) got = 0;
  got -= got % frameBytes;
  const BOOL ok = got == 0 || SoundSample_Upload(s, buffer, 0, got, mode);
  SOUND_FREE(buffer);
  if (!ok) {
    const int32_t error = SoundError;
    SoundSample_Free(s);
    SoundError_Set(error);
    return nullptr;
  }
  return s;
}

// IMA ADPCM into 16-bit samples: whole 36-byte blocks of every channel, as many as
// `destBytes` holds.
BOOL DecodeImaAdpcm(void* dest, const void* source, int destBytes, uint32_t sourceMode, int channels) {
  const bool multi = (sourceMode & MultiChannel) != 0 && !(sourceMode & Stereo);
  const int c = (sourceMode & Stereo) ? 2 : multi ? channels : 1;
  if (c < 1 || c > kSoundMaxSampleChannels) {
    SoundError_Set(kSoundErrInvalidParam);
    return FALSE;
  }
  const int blockOut = kImaSamplesPerBlock36 * 2 * c;
  const int blocks = destBytes / blockOut;
  if (blocks == 0) return TRUE;
  const int done = SoundConv_DecodeIma36(static_cast<const uint8_t*>(source), blocks * kImaBlockBytes36 * c,
                                         static_cast<int16_t*>(dest), blocks * blockOut, c, multi);
  if (done != blocks * blockOut) {
    SoundError_Set(kSoundErrReadError);
    return FALSE;
  }
  return TRUE;
}

}  // namespace

void SoundConv_StereoToMono(void* output, const void* input, int frames, uint32_t mode) {
  if (!output || !input || frames <= 0) return;
  if (mode & Pcm16) {
    const auto* in = static_cast<const int16_t*>(input);
    auto* out = static_cast<int16_t*>(output);
    for (int i = 0; i < frames; ++i) out[i] = static_cast<int16_t>((in[2 * i] + in[2 * i + 1]) >> 1);
  } else if (mode & Unsigned) {
    const auto* in = static_cast<const uint8_t*>(input);
    auto* out = static_cast<uint8_t*>(output);
    for (int i = 0; i < frames; ++i) out[i] = static_cast<uint8_t>((in[2 * i] + in[2 * i + 1]) >> 1);
  } else {
    const auto* in = static_cast<const int8_t*>(input);
    auto* out = static_cast<int8_t*>(output);
    for (int i = 0; i < frames; ++i) out[i] = static_cast<int8_t>((in[2 * i] + in[2 * i + 1]) >> 1);
  }
}

BOOL SoundSample_ConvertData(void* dest, const void* source, int destBytes, uint32_t destMode, uint32_t sourceMode,
                             int channels) {
  if (!dest || !source || destBytes < 0) {
    SoundError_Set(kSoundErrInvalidParam);
    return FALSE;
  }
  // IT-compressed sources are decoded by the tracker loaders.
  if ((sourceMode & kModeItCompressed) || (sourceMode & kModeBlock) ||
      ((sourceMode & ImaAdpcm) && !(destMode & ImaAdpcm) && !(destMode & Pcm16))) {
    SoundError_Set(kSoundErrUnknownFormat);
    return FALSE;
  }
  if ((sourceMode & ImaAdpcm) && !(destMode & ImaAdpcm)) return DecodeImaAdpcm(dest, source, destBytes, sourceMode, channels);
  if (sourceMode & ImaAdpcm) {  // ADPCM kept as it is
    std::memcpy(dest, source, static_cast<size_t>(destBytes));
    return TRUE;
  }
  const bool delta = (sourceMode & kModeDelta) != 0;
  const bool flip = ((destMode & Signed) && (sourceMode & Unsigned)) || ((destMode & Unsigned) && (sourceMode & Signed));
  const int count = destBytes / WidthOf(destMode);
  const bool s16 = WidthOf(sourceMode) == 2, d16 = WidthOf(destMode) == 2;
  if (s16 && d16)
    Convert(static_cast<int16_t*>(dest), static_cast<const int16_t*>(source), count, delta, flip);
  else if (s16)
    Convert(static_cast<int8_t*>(dest), static_cast<const int16_t*>(source), count, delta, flip);
  else if (d16)
    Convert(static_cast<int16_t*>(dest), static_cast<const int8_t*>(source), count, delta, flip);
  else
    Convert(static_cast<int8_t*>(dest), static_cast<const int8_t*>(source), count, delta, flip);
  return TRUE;
}

// Decompresses IT 2.14 / 2.15 data into `frames` samples of the data's width at `plain`.
static int DecompressIt(const void* source, int bytes, void* plain, int frames, uint32_t sourceMode) {
  const bool it215 = (sourceMode & 0x800) != 0;
  return WidthOf(sourceMode) == 2 ? ItSample_Decompress16(source, bytes, static_cast<int16_t*>(plain), frames, it215)
                                  : ItSample_Decompress8(source, bytes, static_cast<int8_t*>(plain), frames, it215);
}

// IT 2.14 / 2.15 data: decompressed to the rest of the sample from `offset`. Straight into
// the sample's bytes when they lie in one piece at the data's width (only the sign is then
// changed, in place), so a long sample is held once; otherwise through a copy written as
// plain data. Damaged data leave what was decompressed before (error 11).
static BOOL UploadItCompressed(SoundSample* s, const void* source, int offset, int bytes, uint32_t sourceMode) {
  const int sw = WidthOf(sourceMode);
  const int frames = s->length - offset / WidthOf(s->mode);
  if (frames <= 0 || bytes <= 0) return TRUE;
  const uint32_t plainMode = sourceMode & ~(kModeItCompressed | kModeDelta);
  const uint32_t want = static_cast<uint32_t>(frames) * static_cast<uint32_t>(sw);
  void *p1 = nullptr, *p2 = nullptr;
  uint32_t l1 = 0, l2 = 0;
  int ok;
  int32_t error;
  BOOL written;
  if (sw == WidthOf(s->mode) && !(s->mode & MultiChannel) &&
      SoundSample_Lock(s, offset, static_cast<int>(want), &p1, &l1, &p2, &l2) && p1 && l1 == want) {
    ok = DecompressIt(source, bytes, p1, frames, sourceMode);
    error = SoundError;
    written = SoundSample_ConvertData(p1, p1, static_cast<int>(l1), s->mode, plainMode, s->channels);
    s->ops.unlock(s, p1, l1, p2, l2);
  } else {
    if (p1) s->ops.unlock(s, p1, l1, p2, l2);
    void* plain = SOUND_ALLOC(want);
    if (!plain) {
      SoundError_Set(kSoundErrNoMemory);
      return FALSE;
    }
    ok = DecompressIt(source, bytes, plain, frames, sourceMode);
    error = SoundError;
    written = SoundSample_Upload(s, plain, offset, static_cast<int>(want), plainMode);
    SOUND_FREE(plain);
  }
  if (!ok) {
    SoundError_Set(error == kSoundErrNoMemory ? kSoundErrNoMemory : kSoundErrReadError);
    written = FALSE;
  }
  return written;
}

BOOL SoundSample_Upload(SoundSample* s, const void* source, int offset, int bytes, uint32_t sourceMode) {
  SoundError_Begin();
  if (!s || !source || offset < 0 || bytes < 0) {
    SoundError_Set(kSoundErrInvalidParam);
    return FALSE;
  }
  if ((sourceMode & kModeItCompressed) && !s->ops.upload && !(s->mode & ImaAdpcm))
    return UploadItCompressed(s, source, offset, bytes, sourceMode);
  if (sourceMode & Pcm16) sourceMode &= ~Pcm8;
  if (sourceMode & Stereo) sourceMode &= ~(Mono | MultiChannel);
  if (s->ops.upload) return s->ops.upload(s, source, offset, bytes, sourceMode);
  const int sw = WidthOf(sourceMode), dw = WidthOf(s->mode);
  int64_t destBytes = static_cast<int64_t>(bytes) / sw * dw;
  if ((sourceMode & ImaAdpcm) && !(s->mode & ImaAdpcm)) destBytes = static_cast<int64_t>(bytes) * 64 / 36 * 2;
  if (destBytes > INT32_MAX) destBytes = INT32_MAX;
  if (destBytes == 0) return TRUE;
  void *p1, *p2;
  uint32_t l1, l2;
  if (!SoundSample_Lock(s, offset, static_cast<int>(destBytes), &p1, &l1, &p2, &l2)) return FALSE;
  const auto* in = static_cast<const uint8_t*>(source);
  BOOL ok = SoundSample_ConvertData(p1, in, static_cast<int>(l1), s->mode, sourceMode, s->channels);
  if (ok && p2) ok = SoundSample_ConvertData(p2, in + l1 / dw * sw, static_cast<int>(l2), s->mode, sourceMode, s->channels);
  s->ops.unlock(s, p1, l1, p2, l2);  // not the entry point: it would clear a conversion error
  return ok;
}

BOOL SoundSample_UploadAll(SoundSample* s, const void* source, uint32_t sourceMode) {
  SoundError_Begin();
  if (!s) {
    SoundError_Set(kSoundErrInvalidParam);
    return FALSE;
  }
  int64_t bytes = s->length;
  if (sourceMode & kModeBlock)
    bytes = bytes * 4 / 7;
  else if (sourceMode & ImaAdpcm)
    bytes = bytes * 36 / 64;
  else if ((sourceMode & Pcm16) && !(sourceMode & kModeItCompressed))
    bytes *= 2;
  if (sourceMode & Stereo)
    bytes *= 2;
  else if (sourceMode & MultiChannel)
    bytes *= s->channels;
  if (bytes > INT32_MAX) {
    SoundError_Set(kSoundErrInvalidParam);
    return FALSE;
  }
  return SoundSample_Upload(s, source, 0, static_cast<int>(bytes), sourceMode);
}

SoundSample* SoundSample_Load(int index, const void* name, uint32_t mode, int offset, int length, SoundFile* file) {
  SoundError_Begin();
  if (!SoundEngine.initialised) {
    SoundError_Set(kSoundErrNotInitialised);
    return nullptr;
  }
  if (!name && !file) {
    SoundError_Set(kSoundErrInvalidParam);
    return nullptr;
  }
  SoundFile* f = file;
  if (!f) {
    const uint32_t kind = (mode & FromMemory) ? kSoundFileMemory
                          : Aural_FileCallbacksSet() ? kSoundFileCallbacks
                                                     : kSoundFileSystem;
    f = AuralFile_Open(name, kind, length);
    if (!f) {
      SoundError_Set(kSoundErrFileOpen);
      return nullptr;
    }
  }
  SoundTag_SkipLeading(f);
  // A file passed in may already be a window of a larger one: the new window lies inside it.
  const int64_t start =
      static_cast<int64_t>(f->startOffset) + AuralFile_Tell(f) + (offset > 0 ? offset : 0);
  f->startOffset = static_cast<int32_t>(start < f->length ? start : f->length);
  if (length > 0) {
    const int64_t end = static_cast<int64_t>(f->startOffset) + length - 1;
    f->endOffset = static_cast<int32_t>(end < f->length - 1 ? end : f->length - 1);
  }
  AuralFile_Seek(f, 0, 0);

  SoundSample* s = nullptr;
  if (mode & RawPcm) {
    const char* label = (mode & FromMemory) || !name ? kMemoryFileName : static_cast<const char*>(name);
    s = LoadRaw(index, f, mode, label);
  } else {
    int32_t error = kSoundErrUnknownFormat;
    for (SampleReader load : kSampleReaders) {
      AuralFile_Seek(f, 0, 0);
      s = load(index, f, mode, &error);
      if (s || error != kSoundErrUnknownFormat) break;
    }
    SoundError_Set(s ? kSoundErrNone : error);
  }
  if (!file) AuralFile_Close(f);
  if (!s || (s->mode & (ImaAdpcm | kModeBlock))) return s;

  // A failed conversion leaves no sample behind.
  if ((mode & Pcm8) && (s->mode & Pcm16)) s = Converted(s, NarrowTo8(s));
  if (s && (mode & DownmixMono) && (s->mode & Stereo)) s = Converted(s, DownmixToMono(s));
  return s;
}
