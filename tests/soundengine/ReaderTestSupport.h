#pragma once
// Helpers of the format reader tests: fixture files and their reference PCM, an engine
// on the non-realtime output, and PCM comparisons.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "ReaderFixtures.h"
#include "SoundTestSupport.h"
#include "TestFiles.h"
#include "aural_sample.h"
#include "aural_stream.h"

namespace readertest {

inline std::string Path(const char* file) { return std::string(ReaderFixtures::kDirectory) + file; }

inline std::string Bytes(const char* file) { return soundtest::FixtureBytes(ReaderFixtures::kDirectory, file); }

inline std::vector<int16_t> Raw16(const char* file) {
  const std::string b = Bytes(file);
  std::vector<int16_t> v(b.size() / 2);
  std::memcpy(v.data(), b.data(), v.size() * 2);
  return v;
}

// RMS of the difference over `count` values from a[ai] and b[bi], in 16-bit steps.
inline double RmsDiff(const int16_t* a, const int16_t* b, size_t count) {
  double sum = 0;
  for (size_t i = 0; i < count; ++i) sum += (double(a[i]) - b[i]) * (double(a[i]) - b[i]);
  return count ? std::sqrt(sum / count) : 0;
}

inline double Rms(const int16_t* a, size_t count) {
  double sum = 0;
  for (size_t i = 0; i < count; ++i) sum += double(a[i]) * a[i];
  return count ? std::sqrt(sum / count) : 0;
}

class ReaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    soundtest::ResetEngineRequests(kSoundOutputNonRealtime, kMixerC);
    ASSERT_TRUE(Aural_Init(44100, 8));
  }
  void TearDown() override {
    Aural_Close();
    EXPECT_EQ(SoundMem_GetState().allocationsInUse, 0) << "the readers and the decoders free everything";
  }
  // The ring of a primed stream: the first half holds the data from the stream position.
  static const int16_t* Ring(SoundStream* s) { return static_cast<const int16_t*>(s->ringSample->data); }
  static int HalfFrames(SoundStream* s) { return s->ringSample->length / 2; }
};

}  // namespace readertest
