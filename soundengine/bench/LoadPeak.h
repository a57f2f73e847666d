#pragma once
// The most memory the engine's allocator held while one file loaded, as a song, as a
// sample and as a stream (from memory; the engine must be initialised). Shared by the
// load-bound tests and the mutation benchmark.
#include <cstdint>
#include <string>

#include "aural_sample.h"
#include "aural_stream.h"
#include "music_song.h"
#include "system_memory.h"

namespace loadpeak {

struct Peaks {
  int64_t song = 0, sample = 0, stream = 0;
  bool songLoaded = false, sampleLoaded = false, streamOpened = false;
  int64_t Largest() const {
    const int64_t a = song > sample ? song : sample;
    return a > stream ? a : stream;
  }
};

// Bytes above what was in use before `work` ran, at its highest.
template <typename Work>
int64_t PeakOf(Work&& work) {
  SoundMem_ResetHighWater();
  const int64_t before = SoundMem_GetState().bytesInUse;
  work();
  return SoundMem_GetState().bytesHighWater - before;
}

inline Peaks LoadEveryWay(const std::string& bytes) {
  Peaks p;
  const int size = static_cast<int>(bytes.size());
  p.song = PeakOf([&] {
    MusicSong song = {};
    p.songLoaded = Music_LoadSong(&song, bytes.data(), SoundMode::FromMemory, 0, size, nullptr, 0) != nullptr;
    Music_FreeSong(&song);
  });
  p.sample = PeakOf([&] {
    SoundSample* s = SoundSample_Load(-1, bytes.data(), SoundMode::FromMemory, 0, size, nullptr);
    p.sampleLoaded = s != nullptr;
    if (s) SoundSample_Free(s);
  });
  p.stream = PeakOf([&] {
    SoundStream* s = AuralStream_Open(bytes.data(), SoundMode::FromMemory, 0, size);
    p.streamOpened = s != nullptr;
    if (s) AuralStream_Close(s);
  });
  return p;
}

}  // namespace loadpeak
