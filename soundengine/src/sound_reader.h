#pragma once
// What the format readers share when they load a whole file into a sample.
#include <cstdint>

#include "aural_engine.h"
#include "aural_sample.h"
#include "system_file.h"

// A sample of `frames` frames in the reader's `mode` at `rate`: volume 255, pan -1 for
// stereo (128 for mono), its loop over the whole length for now. A stereo file mixed
// down to mono on load cannot stay 3D.
inline SoundSample* SoundReader_AllocSample(int index, int frames, uint32_t mode, int rate) {
  using namespace SoundMode;
  if ((mode & Stereo) && (mode & DownmixMono)) mode &= ~Sound3d;
  SoundSample* s = SoundSample_Alloc(index, frames, mode, rate, 255, (mode & Stereo) ? -1 : 128);
  if (s) SoundSample_SetLoopPoints(s, 0, frames - 1);
  return s;
}

// Loop points from the file: set with the file's loop (forward unless it says back and
// forth) unless the caller's mode asks for none.
inline void SoundReader_ApplyLoop(SoundSample* s, uint32_t mode, int loopStart, int loopEnd,
                                  uint32_t loop = SoundMode::LoopForward) {
  if (loopEnd <= loopStart || !SoundSample_SetLoopPoints(s, loopStart, loopEnd)) {
    SoundSample_SetLoopPoints(s, 0, s->length - 1);
    return;
  }
  if (!(mode & SoundMode::NoLoop)) SoundSample_SetMode(s, (s->mode & ~0x7u) | loop);
}

// The highest rate a file may claim. Above it no file is sound a person hears, and the
// buffers sized from a rate (a stream's ring) would grow without end.
constexpr int kSoundReaderMaxRate = 768000;

// A rate the readers take; they refuse the others (0 would divide, negative and huge
// ones make no sound).
inline bool SoundReader_PlayableRate(int64_t rate) { return rate >= 1 && rate <= kSoundReaderMaxRate; }

// The file's length, leaving its position where it was.
inline int SoundReader_FileLength(SoundFile* f) {
  const int here = AuralFile_Tell(f);
  const int end = AuralFile_Seek(f, 0, 2) < 0 ? 0 : AuralFile_Tell(f);
  AuralFile_Seek(f, here, 0);
  return end;
}
