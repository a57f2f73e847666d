#pragma once
// The most memory the engine's allocator held while one file loaded, as a song, as a
// sample and as a stream (from memory; the engine must be initialised), and what each of
// those opens took. Shared by the load-bound tests and the mutation benchmark.
#include <cstdint>
#include <string>

#include "BenchClock.h"
#include "aural_sample.h"
#include "aural_stream.h"
#include "music_song.h"
#include "system_memory.h"

namespace loadpeak {

// What one open took: the loading thread's processor time (a busy machine stretches the
// wall clock, not this) and the wall clock.
struct OpenTime {
  double processor = 0, wall = 0;
};

struct Peaks {
  int64_t song = 0, sample = 0, stream = 0;
  bool songLoaded = false, sampleLoaded = false, streamOpened = false;
  OpenTime songTime, sampleTime, streamTime;
  int64_t Largest() const {
    const int64_t a = song > sample ? song : sample;
    return a > stream ? a : stream;
  }
};

inline double WallSeconds() {
  LARGE_INTEGER t, f;
  QueryPerformanceCounter(&t);
  QueryPerformanceFrequency(&f);
  return static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

// Bytes above what was in use before `work` ran, at its highest; `time`, when given, is
// what the work took.
template <typename Work>
int64_t PeakOf(Work&& work, OpenTime* time = nullptr) {
  SoundMem_ResetHighWater();
  const int64_t before = SoundMem_GetState().bytesInUse;
  const double processor = bench::ThreadSeconds(), wall = WallSeconds();
  work();
  if (time) *time = {bench::ThreadSeconds() - processor, WallSeconds() - wall};
  return SoundMem_GetState().bytesHighWater - before;
}

inline Peaks LoadEveryWay(const std::string& bytes) {
  Peaks p;
  const int size = static_cast<int>(bytes.size());
  p.song = PeakOf(
      [&] {
        MusicSong song = {};
        p.songLoaded = Music_LoadSong(&song, bytes.data(), SoundMode::FromMemory, 0, size, nullptr, 0) != nullptr;
        Music_FreeSong(&song);
      },
      &p.songTime);
  p.sample = PeakOf(
      [&] {
        SoundSample* s = SoundSample_Load(-1, bytes.data(), SoundMode::FromMemory, 0, size, nullptr);
        p.sampleLoaded = s != nullptr;
        if (s) SoundSample_Free(s);
      },
      &p.sampleTime);
  p.stream = PeakOf(
      [&] {
        SoundStream* s = AuralStream_Open(bytes.data(), SoundMode::FromMemory, 0, size);
        p.streamOpened = s != nullptr;
        if (s) AuralStream_Close(s);
      },
      &p.streamTime);
  return p;
}

}  // namespace loadpeak
