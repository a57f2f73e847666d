#pragma once
// How much one load may make the engine hold: 64 MB, or 16 bytes for every byte of its
// file, whichever is more. A sample is held whole, so a sound longer than that loads
// only as a stream, which holds a ring of it.
#include <algorithm>
#include <cstdint>

#include "system_memory.h"

constexpr int64_t kSoundLoadFloorBytes = int64_t{64} << 20;
constexpr int64_t kSoundLoadBytesPerFileByte = 16;

inline int64_t SoundLoad_Bound(int64_t fileBytes) {
  return std::max(kSoundLoadFloorBytes, kSoundLoadBytesPerFileByte * std::max<int64_t>(fileBytes, 0));
}

// One bound for a whole song: everything the engine's allocator holds above what it held
// when the song began loading counts against it (the file's image, which is already held
// when the reader starts, its patterns, instruments and samples, and the decoder's tables
// while an Ogg Vorbis sample decodes). The song's loader thread is the one allocating
// while it runs.
class SoundLoadBudget {
 public:
  SoundLoadBudget(int64_t fileBytes, int64_t alreadyHeld)
      : bound_(SoundLoad_Bound(fileBytes)), start_(SoundMem_GetState().bytesInUse - alreadyHeld) {}
  int64_t Left() const { return bound_ - (SoundMem_GetState().bytesInUse - start_); }

 private:
  int64_t bound_;
  int64_t start_;
};
