// RIFF WAVE files loaded whole into a sample: PCM read straight in, compressed data
// decoded as for streams, the first sampler loop as the sample's loop.
#include <cstring>

#include "format_wav.h"
#include "sound_alloc.h"
#include "sound_reader.h"

static constexpr char kSoundFileTag[] = "src/format_wav";

SoundSample* WavFormat_LoadSample(int index, SoundFile* f, uint32_t mode, int* error) {
  using namespace SoundMode;
  SoundReaderInfo info = {};
  if (!WavFormat_Open(f, mode, &info, nullptr)) {
    *error = SoundError;
    return nullptr;
  }
  auto* state = static_cast<WavDecodeState*>(info.state);
  const auto fail = [&](int32_t code, SoundSample* s, void* buffer) -> SoundSample* {
    if (s) SoundSample_Free(s);
    SOUND_FREE(buffer);
    WavFormat_Close(state);
    SoundError_Set(code);
    *error = code;
    return nullptr;
  };
  const int frameBytes = SoundSample_FrameBytes(info.mode);
  SoundSample* s = SoundReader_AllocSample(index, info.decodedBytes / frameBytes, info.mode, info.rate);
  if (!s) return fail(SoundError ? SoundError : kSoundErrNoMemory, nullptr, nullptr);
  void *p1, *p2;
  uint32_t l1, l2;
  if (!SoundSample_Lock(s, 0, s->length * frameBytes, &p1, &l1, &p2, &l2) || !p1) return fail(kSoundErrNoMemory, s, nullptr);
  AuralFile_Seek(f, info.dataOffset, 0);
  bool ok = true;
  void* buffer = nullptr;
  if (!state->format) {
    // PCM: what the file really holds is read, the rest of the sample stays silent.
    const int item = (info.mode & Pcm16) ? 2 : 1;
    const int want = static_cast<int>(l1) < info.dataBytes ? static_cast<int>(l1) : info.dataBytes;
    AuralFile_Read(p1, item, want / item, f);
  } else {
    buffer = SOUND_ALLOC(static_cast<size_t>(info.dataBytes));
    ok = buffer != nullptr;
    const int got = ok ? AuralFile_Read(buffer, 1, info.dataBytes, f) : 0;
    ok = ok && got > 0 && WavFormat_DecodeBlock(state, static_cast<uint8_t*>(buffer), got, p1, static_cast<int>(l1)) > 0;
  }
  if (ok && (info.mode & Pcm8) && (info.mode & Unsigned)) {
    auto* p = static_cast<uint8_t*>(p1);
    for (uint32_t i = 0; i < l1; ++i) p[i] = static_cast<uint8_t>(p[i] - 128);
    s->mode = (s->mode & ~Unsigned) | Signed;
  }
  SoundSample_Unlock(s, p1, l1, p2, l2);
  if (!ok) return fail(buffer ? kSoundErrReadError : kSoundErrNoMemory, s, buffer);
  SoundReader_ApplyLoop(s, mode, info.loopStart, info.loopEnd);
  SOUND_FREE(buffer);
  WavFormat_Close(state);
  *error = kSoundErrNone;
  return s;
}
