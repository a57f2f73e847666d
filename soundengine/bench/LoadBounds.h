#pragma once
// The load-bound benchmark's bounds and clocks, shared by its byte edits and its
// structure-aware generators (OggMutator.h, LoadBoundStructured.h).
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <random>
#include <string>

#include "BenchClock.h"

namespace loadbound {

// The loading thread's own time: other programs on a busy machine do not count.
using bench::ThreadSeconds;

// No load holds more than 64 MB or 16 times its file, whichever is larger.
constexpr int64_t kFloorBytes = int64_t{64} << 20;
constexpr int64_t kBytesPerFileByte = 16;
// No open of a file under 4 MB takes more than a second; nothing loaded whole over 10 s.
constexpr double kMaxOpenSeconds = 1, kMaxLoadSeconds = 10;
constexpr size_t kTimedBelowBytes = size_t{4} << 20;

inline bool WithinBound(int64_t peak, size_t size) {
  return peak <= std::max(kFloorBytes, kBytesPerFileByte * static_cast<int64_t>(size));
}

// A value for a field that sizes or counts something, picked to lie: zero, small, just
// off what it had, the largest of its width (`top`) and its kin near the sign bit where
// sums overflow, at or just past what the file holds (`room`), or random.
inline uint64_t LyingValue(uint64_t had, uint64_t top, uint64_t room, std::mt19937& rng) {
  switch (rng() % 16) {
    case 0: return 0;
    case 1: return 1 + rng() % 3;
    case 2: return rng() % 256;
    case 3: return had + 1;
    case 4: return had - 1;
    case 5: return had * 2 + rng() % 2;
    case 6: return room;
    case 7: return room + 1 + rng() % 16;
    case 8: return room - 1;
    case 9: return top;
    case 10: return top - rng() % 16;
    case 11: return top / 2 + rng() % 2;
    case 12: return top / 2 - 8 - rng() % 8;
    case 13: return had / 2;
    case 14: return static_cast<uint64_t>(rng()) << 32 | rng();
    default: return had + (rng() % 2 ? 1 : -1) * static_cast<int64_t>(rng() % 64);
  }
}

// Told of each generated file before it loads, so that a crash or a hang names and saves it.
using Starting = std::function<void(const std::string& what, const std::string& bytes)>;

}  // namespace loadbound
