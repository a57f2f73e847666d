#pragma once
// Helpers of the stream tests: WAV files read back by hand, WAV files built in memory,
// and a DSP unit that records everything the mixer adds up.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "SoundTestSupport.h"
#include "StreamFixtures.h"
#include "TestFiles.h"
#include "aural_stream.h"

namespace streamtest {

inline std::string FixtureName(const char* file) { return std::string(StreamFixtures::kDirectory) + file; }

inline std::string FixtureBytes(const char* file) { return soundtest::FixtureBytes(StreamFixtures::kDirectory, file); }

inline uint32_t U32(const std::string& b, size_t at) {
  return static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8 | static_cast<uint8_t>(b[at + 2]) << 16 |
         static_cast<uint32_t>(static_cast<uint8_t>(b[at + 3])) << 24;
}

// The "data" chunk of a RIFF file: offset and size (0, 0 when missing).
inline std::pair<size_t, size_t> DataChunk(const std::string& b) {
  for (size_t off = 12; off + 8 <= b.size();) {
    const uint32_t size = U32(b, off + 4);
    if (b.compare(off, 4, "data") == 0) return {off + 8, size};
    off += 8 + size + (size & 1);
  }
  return {0, 0};
}

inline std::vector<int16_t> Pcm16(const std::string& wav) {
  const auto d = DataChunk(wav);
  std::vector<int16_t> v(d.second / 2);
  std::memcpy(v.data(), wav.data() + d.first, v.size() * 2);
  return v;
}

inline void Put32(std::string& s, uint32_t v) {
  for (int i = 0; i < 4; ++i) s.push_back(static_cast<char>(v >> (8 * i)));
}
inline void Put16(std::string& s, uint16_t v) {
  s.push_back(static_cast<char>(v));
  s.push_back(static_cast<char>(v >> 8));
}
inline void Chunk(std::string& s, const char* id, const std::string& body) {
  s.append(id, 4);
  Put32(s, static_cast<uint32_t>(body.size()));
  s += body;
  if (body.size() & 1) s.push_back('\0');
}

// A 16-bit PCM WAV of `frames` frames, value = frame index & 0x3FFF per channel (right
// negated), with extra chunks before the data.
inline std::string BuildWav(int channels, int rate, int frames, const std::string& extraChunks = std::string()) {
  std::string fmt;
  Put16(fmt, 1);
  Put16(fmt, static_cast<uint16_t>(channels));
  Put32(fmt, static_cast<uint32_t>(rate));
  Put32(fmt, static_cast<uint32_t>(rate * channels * 2));
  Put16(fmt, static_cast<uint16_t>(channels * 2));
  Put16(fmt, 16);
  std::string data;
  for (int i = 0; i < frames; ++i)
    for (int c = 0; c < channels; ++c) Put16(data, static_cast<uint16_t>(c == 0 ? (i & 0x3FFF) : -(i & 0x3FFF)));
  std::string body = "WAVE";
  Chunk(body, "fmt ", fmt);
  body += extraChunks;
  Chunk(body, "data", data);
  std::string riff = "RIFF";
  Put32(riff, static_cast<uint32_t>(body.size()));
  return riff + body;
}

// Records the mix (32-bit stereo elements) of every block.
struct Recorder {
  std::vector<int32_t> mix;
  static void* Callback(void* /*block*/, void* previous, int length, void* user) {
    auto* self = static_cast<Recorder*>(user);
    const int32_t* p = static_cast<const int32_t*>(previous);
    self->mix.insert(self->mix.end(), p, p + static_cast<size_t>(length) * 2);
    return previous;
  }
  size_t Frames() const { return mix.size() / 2; }
};

// Counts end callbacks and remembers the thread they ran on.
struct EndLog {
  int calls = 0;
  DWORD thread = 0;
  int32_t error = -1;              // the last error as the callback saw it
  static BOOL Callback(SoundStream*, const char* name, int offset, void* user) {
    auto* self = static_cast<EndLog*>(user);
    ++self->calls;
    self->thread = GetCurrentThreadId();
    self->error = SoundError;
    EXPECT_EQ(name, nullptr);
    EXPECT_EQ(offset, 0);
    return TRUE;
  }
};

inline int32_t Gain16(int32_t s, int32_t g) { return (s * g) >> 8; }

}  // namespace streamtest
