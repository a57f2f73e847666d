// Recording through Wine's wave input, which reads a 1 kHz tone (ALSA's file plugin,
// set up by scripts/wine-prefix.sh): a 1 s sample without loop stops after 1 s of
// 5 ms blocks holding the tone; with a loop it wraps and goes on; the error cases.
#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "SoundTestSupport.h"
#include "TestFiles.h"
#include "aural_record.h"
#include "sound_output.h"

using namespace soundtest;
using namespace SoundMode;

namespace {

class Record : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetEngineRequests(kSoundOutputWaveOut, 11);
    ASSERT_TRUE(Aural_Init(44100, 4)) << SoundError;
  }
  void TearDown() override {
    Aural_Close();
    EXPECT_FALSE(WaveInRecord_Status().threadRunning);
    EXPECT_EQ(SoundMem_GetState().allocationsInUse, 0);
  }
  // One channel's values (16-bit scale) of the first `frames` frames.
  static std::vector<int> Values(SoundSample* s, int frames, int channel) {
    void *p1, *p2;
    uint32_t l1, l2;
    const int width = (s->mode & Pcm16) ? 2 : 1, step = (s->mode & Stereo) ? 2 : 1;
    std::vector<int> v;
    if (!SoundSample_Lock(s, 0, frames * width * step, &p1, &l1, &p2, &l2)) return v;
    for (int i = 0; i < frames; ++i) {
      const int at = i * step + channel;
      v.push_back(width == 2 ? static_cast<const int16_t*>(p1)[at] : static_cast<const int8_t*>(p1)[at] * 256);
    }
    SoundSample_Unlock(s, p1, l1, p2, l2);
    return v;
  }
  // The sample rate over the median distance of upward zero crossings (a gap where the
  // device dropped data moves no median).
  static double Frequency(const std::vector<int>& v, int rate) {
    std::vector<int> periods;
    for (int i = 1, last = -1; i < static_cast<int>(v.size()); ++i) {
      if (!(v[i - 1] < 0 && v[i] >= 0)) continue;
      if (last >= 0) periods.push_back(i - last);
      last = i;
    }
    if (periods.size() < 10) return 0;
    std::nth_element(periods.begin(), periods.begin() + periods.size() / 2, periods.end());
    return static_cast<double>(rate) / periods[periods.size() / 2];
  }
  static double Share(const std::vector<int>& v, int below) {
    return static_cast<double>(std::count_if(v.begin(), v.end(), [&](int x) { return std::abs(x) < below; })) / v.size();
  }
};

}  // namespace

TEST_F(Record, OneSecondWithoutLoopEndsAfterOneSecondOfBlocks) {
  SoundSample* s = SoundSample_Alloc(-1, 8000, Pcm16 | Mono | NoLoop, 8000, 255, 128);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(Aural_GetRecordPosition(), -1) << "before any start";
  ASSERT_TRUE(Aural_RecordStart(s, FALSE)) << SoundError;
  WaveInRecordStatus st = WaveInRecord_Status();
  EXPECT_EQ(st.blockBytes, 80) << "5 ms of 16-bit mono at 8000 Hz";
  EXPECT_EQ(st.frameBytes, 2);
  EXPECT_TRUE(st.hasEvent);
  void *p1, *p2;
  uint32_t l1, l2;
  ASSERT_TRUE(WaveInRecord_Lock(7990, 20, &p1, &l1, &p2, &l2)) << "the ring holds 8000 bytes";
  EXPECT_EQ(l1, 10u);
  EXPECT_EQ(l2, 10u);
  EXPECT_FALSE(WaveInRecord_Lock(8000, 1, &p1, &l1, &p2, &l2));
  EXPECT_FALSE(WaveInRecord_Lock(0, -1, &p1, &l1, &p2, &l2));

  const DWORD started = GetTickCount();
  ASSERT_TRUE(testsupport::PollUntil(20000, [] { return !WaveInRecord_Status().recording; })) << "ends by itself";
  RecordProperty("one_second_took_ms", static_cast<int>(GetTickCount() - started));
  ASSERT_TRUE(testsupport::PollUntil(5000, [] { return !WaveInRecord_Status().threadRunning; }));
  st = WaveInRecord_Status();
  EXPECT_EQ(st.processedBlocks, 200) << "one second of 5 ms blocks, not one more";
  EXPECT_EQ(st.writePosition, 8000);
  EXPECT_EQ(Aural_GetRecordPosition(), 0) << "block 200 of a ring of 100";
  Sleep(100);
  EXPECT_EQ(WaveInRecord_Status().processedBlocks, 200) << "nothing is copied after the end";
  const std::vector<int> tone = Values(s, 8000, 0);
  EXPECT_NEAR(Frequency(tone, 8000), 1000.0, 30.0) << "the tone";
  EXPECT_LT(Share(tone, 1), 0.02) << "to the last block";
  EXPECT_TRUE(Aural_RecordStop());
  st = WaveInRecord_Status();
  EXPECT_FALSE(st.hasEvent);
  EXPECT_FALSE(st.threadRunning);
}

TEST_F(Record, WithLoopItWrapsAndGoesOn) {
  // 8-bit stereo: the device's unsigned bytes arrive signed; 55 frames per block.
  SoundSample* s = SoundSample_Alloc(-1, 5000, Pcm8 | Stereo | LoopForward, 22050, 255, -1);
  ASSERT_NE(s, nullptr);
  ASSERT_TRUE(Aural_RecordStart(s, TRUE)) << SoundError;
  EXPECT_EQ(WaveInRecord_Status().blockBytes, 110);
  ASSERT_TRUE(testsupport::PollUntil(20000, [] { return WaveInRecord_Status().processedBlocks >= 250; }));
  const WaveInRecordStatus st = WaveInRecord_Status();
  EXPECT_TRUE(st.recording) << "a looping recording goes on past the sample's end";
  EXPECT_LT(st.writePosition, 5000);
  const int position = Aural_GetRecordPosition();
  EXPECT_GE(position, 0);
  EXPECT_LT(position, 100 * 110 / 2);
  EXPECT_TRUE(Aural_RecordStop());
  EXPECT_FALSE(WaveInRecord_Status().recording);
  for (int channel = 0; channel < 2; ++channel) {
    const std::vector<int> tone = Values(s, 5000, channel);
    EXPECT_NEAR(Frequency(tone, 22050), 1000.0, 50.0);
    // A sine of half the range spends about a sixth of its time within an eighth of it;
    // unsigned bytes taken as signed would never come near 0.
    EXPECT_GT(Share(tone, 4096), 0.1) << "8-bit data made signed";
  }

  // Started again, it records from the sample's start.
  ASSERT_TRUE(Aural_RecordStart(s, FALSE)) << SoundError;
  EXPECT_EQ(WaveInRecord_Status().processedBlocks, 0);
  EXPECT_TRUE(Aural_RecordStop());
}

TEST_F(Record, RefusalsAndOtherMessages) {
  EXPECT_FALSE(Aural_RecordStart(nullptr, FALSE));
  EXPECT_EQ(SoundError, kSoundErrInvalidParam);
  EXPECT_FALSE(SoundEngine.driver->recordStart(0, Pcm16 | Mono, 8000));
  EXPECT_EQ(SoundError, kSoundErrInvalidParam) << "a first argument not above 0";
  EXPECT_EQ(Aural_GetRecordPosition(), -1);

  // Only returned buffers count: a thousand other messages while recording add nothing
  // (the device itself returns at most a few hundred blocks meanwhile).
  SoundSample* s = SoundSample_Alloc(-1, 4000, Pcm16 | Mono, 8000, 255, 128);
  ASSERT_TRUE(Aural_RecordStart(s, TRUE));
  const LONG before = WaveInRecord_Status().filledBlocks;
  for (int i = 0; i < 1000; ++i) WaveInRecord_Callback(nullptr, i % 2 ? MM_WIM_OPEN : MM_WIM_CLOSE, 0, 0, 0);
  EXPECT_LT(WaveInRecord_Status().filledBlocks - before, 1000);
  EXPECT_TRUE(Aural_RecordStop());
  const LONG filled = WaveInRecord_Status().filledBlocks;
  WaveInRecord_Callback(nullptr, MM_WIM_DATA, 0, 0, 0);
  EXPECT_EQ(WaveInRecord_Status().filledBlocks, filled) << "nothing counts once the recording is over";

  // The null output records nothing.
  Aural_Close();
  ResetEngineRequests(kSoundOutputNonRealtime, 11);
  ASSERT_TRUE(Aural_Init(44100, 4));
  s = SoundSample_Alloc(-1, 4000, Pcm16 | Mono, 8000, 255, 128);
  EXPECT_FALSE(Aural_RecordStart(s, FALSE));
  EXPECT_EQ(SoundError, kSoundErrNotSupported);
  EXPECT_EQ(Aural_GetRecordPosition(), -1);
}
