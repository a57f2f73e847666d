// Mutated WAV, MP3, Ogg Vorbis and tagged files, opened as streams (and played a little)
// and loaded as samples: no crash, no hang, and every refusal is one of the readers'
// error codes. A fixed number of mutations per file; the seed is fixed so a failure
// repeats. The slowest mutation of each file is recorded.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <chrono>
#include <random>

#include "ReaderTestSupport.h"

using namespace readertest;

namespace {

// Far beyond any open of these small files: only a stall gets there.
constexpr double kHangSeconds = 10.0;

bool ReaderError(int32_t e) {
  return e == kSoundErrUnknownFormat || e == kSoundErrReadError || e == kSoundErrNoMemory || e == kSoundErrInvalidParam;
}

class ReaderFuzzTest : public ReaderTest {};

}  // namespace

TEST_F(ReaderFuzzTest, MutatedFilesFailCleanly) {
  std::mt19937 rng(12);
  // The MP3 files carry an ID3v2 tag at the start and an ID3v1 block at the end; the
  // Ogg file has audio pages beside its header pages, so some mutations leave it playable.
  const std::pair<const char*, int> files[] = {{"wav8_mono.wav", 2000},  {"mp3_128_stereo.mp3", 2000},
                                               {"ogg_stereo.ogg", 2000}, {"mp3_64_mono.mp3", 300},
                                               {"mp2_stereo.mp2", 300}};
  for (const auto& [file, mutations] : files) {
    SCOPED_TRACE(file);
    std::string original = Bytes(file);
    ASSERT_FALSE(original.empty());
    if (original.size() > 12000) original.resize(12000);
    int opened = 0;
    double slowest = 0;
    for (int run = 0; run < mutations; ++run) {
      const auto start = std::chrono::steady_clock::now();
      std::string m = original;
      const int edits = 1 + static_cast<int>(rng() % 16);
      for (int e = 0; e < edits; ++e) {
        const size_t at = rng() % m.size();
        switch (rng() % 4) {
          case 0: m[at] = static_cast<char>(rng()); break;
          case 1: m[at] = static_cast<char>(0xFF); break;
          case 2: m[at] ^= static_cast<char>(1 << (rng() % 8)); break;
          default: m.resize(at > 16 ? at : 16); break;  // truncated
        }
      }
      const int size = static_cast<int>(m.size());
      SoundStream* s = AuralStream_Open(m.data(), SoundMode::FromMemory | SoundMode::MpegFrameTable, 0, size);
      if (s) {
        ++opened;
        const int h = AuralStream_Play(-1, s, nullptr, FALSE);
        for (int i = 0; i < 20 && h != -1; ++i) Aural_Update();
        AuralStream_SetTime(s, AuralStream_GetLengthMs(s) / 2);
        EXPECT_TRUE(AuralStream_Close(s));
      } else {
        ASSERT_TRUE(ReaderError(SoundError)) << SoundError;
      }
      SoundSample* sample = SoundSample_Load(-1, m.data(), SoundMode::FromMemory, 0, size, nullptr);
      if (sample)
        SoundSample_Free(sample);
      else
        ASSERT_TRUE(ReaderError(SoundError)) << SoundError;
      slowest = std::max(slowest, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    RecordProperty(std::string(file) + "_slowest_ms", std::to_string(slowest * 1000));
    std::printf("%s: %d mutations, %d opened, slowest %.1f ms\n", file, mutations, opened, slowest * 1000);
    EXPECT_LT(slowest, kHangSeconds);
    EXPECT_GT(opened, 0) << "some mutations leave a playable file";
  }
}
