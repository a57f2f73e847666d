// Mixer inner loops against values worked out here from the mixing rules: gains on the
// 16-bit x 256 scale, linear interpolation on the top 15 fraction bits, loop handling.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "aural.h"
#include "aural_channel.h"
#include "aural_sample.h"
#include "sound_mix.h"
#include "sound_software.h"

namespace {

// A sample with guard space on both sides, as the software output lays it out.
template <typename T>
struct TestSample {
  std::vector<T> storage;
  SoundSample s = {};
  TestSample(const std::vector<T>& values, uint32_t mode, int frames) : storage(values.size() + 64, T(0)) {
    std::memcpy(storage.data() + 16, values.data(), values.size() * sizeof(T));
    s.data = storage.data() + 16;
    s.length = frames;
    s.loopStart = 0;
    s.loopLength = frames;
    s.loopEnd = -1;
    s.mode = mode | (sizeof(T) == 1 ? SoundMode::Pcm8 : SoundMode::Pcm16);
    SoundSample_RebuildGuards(&s);
  }
};

struct TestChannel {
  SoundChannel c = {};
  SoundLink list = {};
  TestChannel(SoundSample* sample, double step, int left, int right) {
    SoundLink_Init(&list);
    c.sample = sample;
    c.data = sample->data;
    c.mode = sample->mode;
    c.direction = kChannelForward;
    SetStep(step);
    c.leftGain = left;
    c.rightGain = right;
    c.monoGain = (left + right) / 2;
    SoundLink_InsertBefore(&list, &c.link);
  }
  void SetStep(double step) {
    const int64_t fixed = static_cast<int64_t>(std::llround(step * 4294967296.0));
    c.stepInt = static_cast<int32_t>(fixed >> 32);
    c.stepFrac = static_cast<uint32_t>(fixed);
  }
  double Position() const { return c.position + c.fraction / 4294967296.0; }
};

int32_t Gain16(int32_t s, int32_t g) { return (s * g) >> 8; }

int32_t Lerp(int32_t a, int32_t b, uint32_t fraction) {
  const int32_t w = static_cast<int32_t>(fraction >> 17);
  return ((32768 - w) * a + w * b) >> 15;
}

std::vector<int16_t> Ramp16(int n, int start, int step) {
  std::vector<int16_t> v(n);
  for (int i = 0; i < n; ++i) v[i] = static_cast<int16_t>(start + i * step);
  return v;
}

}  // namespace

TEST(MixInnerLoops, PanLawGivesTheGainsOfTheSquareRootTable) {
  for (int p = 0; p < 256; ++p)
    ASSERT_EQ(SoundPanTable[p], static_cast<int>(std::floor(std::sqrt(256.0 * p) + 1e-9))) << p;
  SoundChannel ch = {};
  ch.volumeScale = 255;
  const struct {
    int volume, pan, left, right;
  } cases[] = {
      {255, 128, SoundPanTable[127], SoundPanTable[128]},  // centre: 180 and 181
      {255, 0, 255, 0},
      {255, 255, 0, 255},
      {200, 64, SoundPanTable[191] * 200 / 255, SoundPanTable[64] * 200 / 255},
  };
  for (const auto& k : cases) {
    ch.driverPan = k.pan;
    SoftwareOutput_ComputeGains(&ch, k.volume);
    EXPECT_EQ(ch.leftGain, k.left) << k.volume << "/" << k.pan;
    EXPECT_EQ(ch.rightGain, k.right) << k.volume << "/" << k.pan;
    EXPECT_EQ(ch.monoGain, (k.left + k.right) / 2);
  }
  ch.driverPan = -1;
  SoftwareOutput_ComputeGains(&ch, 77);
  EXPECT_EQ(ch.leftGain, 77);
  EXPECT_EQ(ch.rightGain, 77);
  EXPECT_EQ(ch.monoGain, 77);
  ch.driverPan = 128;
  ch.flags = kChannelMuted;
  SoftwareOutput_ComputeGains(&ch, 255);
  EXPECT_EQ(ch.leftGain + ch.rightGain, 0);
}

TEST(MixInnerLoops, StereoMixerAddsMonoAndStereoSourcesWithTheirGains) {
  // 16-bit mono at step 1: the same source to both sides, each with its gain; the
  // buffer's earlier contents stay underneath.
  TestSample<int16_t> mono(Ramp16(64, -20000, 625), SoundMode::Mono | SoundMode::NoLoop, 64);
  TestChannel a(&mono.s, 1.0, 200, 37);
  std::vector<int32_t> out(2 * 32, 7);
  SoundMix_MixStereo(out.data(), &a.list, 32);
  for (int i = 0; i < 32; ++i) {
    const int s = -20000 + i * 625;
    ASSERT_EQ(out[2 * i], 7 + Gain16(s, 200)) << i;
    ASSERT_EQ(out[2 * i + 1], 7 + Gain16(s, 37)) << i;
  }
  EXPECT_EQ(a.c.position, 32);

  // 8-bit stereo at step 2: left to left, right to right, unshifted.
  std::vector<int8_t> st;
  for (int i = 0; i < 40; ++i) st.push_back(static_cast<int8_t>(i * 3 - 60)), st.push_back(static_cast<int8_t>(100 - i * 5));
  TestSample<int8_t> stereo(st, SoundMode::Stereo | SoundMode::NoLoop, 40);
  TestChannel b(&stereo.s, 2.0, 255, 128);
  std::vector<int32_t> out2(2 * 16, 0);
  SoundMix_MixStereo(out2.data(), &b.list, 16);
  for (int i = 0; i < 16; ++i) {
    ASSERT_EQ(out2[2 * i], st[4 * i] * 255) << i;
    ASSERT_EQ(out2[2 * i + 1], st[4 * i + 1] * 128) << i;
  }
  EXPECT_EQ(b.c.position, 32);
}

TEST(MixInnerLoops, QualityMixersInterpolateOnTheFraction) {
  TestSample<int16_t> mono(Ramp16(100, 1000, 333), SoundMode::Mono | SoundMode::NoLoop, 100);
  TestChannel a(&mono.s, 0.3, 255, 100);
  std::vector<int32_t> out(2 * 50, 0);
  SoundMix_MixStereoQuality(out.data(), &a.list, 50);
  uint64_t pos = 0;
  const uint64_t step = (uint64_t{static_cast<uint32_t>(a.c.stepInt)} << 32) | a.c.stepFrac;
  for (int i = 0; i < 50; ++i, pos += step) {
    const int idx = static_cast<int>(pos >> 32);
    const int s = Lerp(1000 + idx * 333, 1000 + (idx + 1) * 333, static_cast<uint32_t>(pos));
    ASSERT_EQ(out[2 * i], Gain16(s, 255)) << i;
    ASSERT_EQ(out[2 * i + 1], Gain16(s, 100)) << i;
  }

  // Mono quality of a stereo source: each side interpolated, then averaged.
  std::vector<int16_t> st;
  for (int i = 0; i < 30; ++i) st.push_back(static_cast<int16_t>(i * 900 - 9000)), st.push_back(static_cast<int16_t>(5000 - i * 777));
  TestSample<int16_t> stereo(st, SoundMode::Stereo | SoundMode::NoLoop, 30);
  TestChannel b(&stereo.s, 0.75, 200, 100);  // mono gain 150
  std::vector<int32_t> mout(20, 0);
  SoundMix_MixMonoQuality(mout.data(), &b.list, 20);
  const uint64_t step2 = (uint64_t{0} << 32) | b.c.stepFrac;
  pos = 0;
  for (int i = 0; i < 20; ++i, pos += step2) {
    const int idx = static_cast<int>(pos >> 32);
    const int l = Lerp(st[2 * idx], st[2 * idx + 2], static_cast<uint32_t>(pos));
    const int r = Lerp(st[2 * idx + 1], st[2 * idx + 3], static_cast<uint32_t>(pos));
    ASSERT_EQ(mout[i], Gain16((l + r) / 2, 150)) << i;
  }
}

TEST(MixInnerLoops, MonoMixerAveragesStereoAndEightAndSixteenBitAgree) {
  std::vector<int16_t> st = {1000, 3001, -32768, 32767, -5, -8, 20000, 20000};
  TestSample<int16_t> stereo(st, SoundMode::Stereo | SoundMode::NoLoop, 4);
  TestChannel a(&stereo.s, 1.0, 255, 255);
  std::vector<int32_t> out(4, 0);
  SoundMix_MixMono(out.data(), &a.list, 4);
  EXPECT_EQ(out[0], Gain16(2000, 255));
  EXPECT_EQ(out[1], Gain16(0, 255));  // (-32768 + 32767) / 2 truncates to 0
  EXPECT_EQ(out[2], Gain16(-6, 255));
  EXPECT_EQ(out[3], Gain16(20000, 255));

  // The same shape as 8-bit and as 16-bit adds the same at full gain.
  std::vector<int8_t> v8 = {-128, -64, -1, 0, 1, 63, 127, 5};
  std::vector<int16_t> v16;
  for (int8_t v : v8) v16.push_back(static_cast<int16_t>(v * 256));
  TestSample<int8_t> s8(v8, SoundMode::Mono | SoundMode::NoLoop, 8);
  TestSample<int16_t> s16(v16, SoundMode::Mono | SoundMode::NoLoop, 8);
  TestChannel c8(&s8.s, 1.0, 255, 255), c16(&s16.s, 1.0, 255, 255);
  std::vector<int32_t> o8(16, 0), o16(16, 0);
  SoundMix_MixStereo(o8.data(), &c8.list, 8);
  SoundMix_MixStereo(o16.data(), &c16.list, 8);
  EXPECT_EQ(o8, o16);
  EXPECT_EQ(o8[0], -128 * 255);
}

TEST(MixInnerLoops, SilentChannelsKeepTheirTimingAndOneShotsEndMidBlock) {
  TestSample<int16_t> s(Ramp16(10000, 1, 1), SoundMode::Mono | SoundMode::NoLoop, 10000);
  TestChannel quiet(&s.s, 1.37, 0, 0);
  std::vector<int32_t> out(2 * 1024, 0);
  SoundMix_MixStereo(out.data(), &quiet.list, 1024);
  EXPECT_NEAR(quiet.Position(), 1024 * 1.37, 1e-6);
  for (int32_t v : out) ASSERT_EQ(v, 0);

  TestSample<int16_t> shot(Ramp16(10, 100, 100), SoundMode::Mono | SoundMode::NoLoop, 10);
  TestChannel c(&shot.s, 1.0, 256 - 1, 255);
  std::vector<int32_t> block(2 * 32, -3);
  SoundMix_MixStereo(block.data(), &c.list, 32);
  for (int i = 0; i < 10; ++i) ASSERT_EQ(block[2 * i], -3 + Gain16(100 + 100 * i, 255)) << i;
  for (int i = 10; i < 32; ++i) ASSERT_EQ(block[2 * i], -3) << "the rest of the block is untouched, " << i;
  EXPECT_EQ(c.c.sample, nullptr) << "the channel is free";
  EXPECT_EQ(c.c.position, 0);
  SoundMix_MixStereo(block.data(), &c.list, 32);  // nothing left to play
  EXPECT_EQ(block[0], -3 + Gain16(100, 255));
}

TEST(MixInnerLoops, LoopsWrapAndBounce) {
  // Bidirectional, step 1: up through the data, the guard (last value again), down to
  // the start, and up again.
  std::vector<int16_t> v = {100, 200, 300, 400, 500, 600, 700, 800};
  TestSample<int16_t> bidi(v, SoundMode::Mono | SoundMode::LoopPingPong, 8);
  TestChannel a(&bidi.s, 1.0, 256, 256);
  a.c.leftGain = a.c.rightGain = 256;  // unity: output = source
  std::vector<int32_t> out(2 * 20, 0);
  SoundMix_MixStereo(out.data(), &a.list, 20);
  const int expected[20] = {100, 200, 300, 400, 500, 600, 700, 800, 800, 800,
                            700, 600, 500, 400, 300, 200, 100, 200, 300, 400};
  for (int i = 0; i < 20; ++i) ASSERT_EQ(out[2 * i], expected[i]) << i;
  EXPECT_EQ(a.c.direction, kChannelForward);

  // Normal loop over 2..5 after a one-shot lead-in.
  TestSample<int16_t> loop(v, SoundMode::Mono | SoundMode::LoopForward, 8);
  loop.s.loopStart = 2;
  loop.s.loopLength = 4;
  SoundSample_RebuildGuards(&loop.s);
  TestChannel b(&loop.s, 1.0, 256, 256);
  std::vector<int32_t> out2(2 * 14, 0);
  SoundMix_MixStereo(out2.data(), &b.list, 14);
  const int expected2[14] = {100, 200, 300, 400, 500, 600, 300, 400, 500, 600, 300, 400, 500, 600};
  for (int i = 0; i < 14; ++i) ASSERT_EQ(out2[2 * i], expected2[i]) << i;
  EXPECT_EQ(b.c.position, 2);

  // Played backwards, a normal loop wraps up to its end and never reads below the data.
  TestChannel c(&loop.s, 1.0, 256, 256);
  c.c.direction = kChannelBackward;
  c.c.position = 3;
  std::vector<int32_t> out3(2 * 6, 0);
  SoundMix_MixStereo(out3.data(), &c.list, 6);
  const int expected3[6] = {400, 300, 600, 500, 400, 300};
  for (int i = 0; i < 6; ++i) ASSERT_EQ(out3[2 * i], expected3[i]) << i;
}

TEST(MixInnerLoops, LevelsArePeaksOfTheComingBlockWithoutMovingTheChannel) {
  std::vector<int16_t> v = Ramp16(100, -30000, 500);  // -30000 .. 19500
  TestSample<int16_t> s(v, SoundMode::Mono | SoundMode::NoLoop, 100);
  TestChannel a(&s.s, 1.0, 200, 50);
  a.c.position = 10;
  int left = 0, right = 0;
  SoundMix_GetLevels(&a.c, 20, &left, &right);
  EXPECT_EQ(left, -Gain16(-25000, 200));
  EXPECT_EQ(right, -Gain16(-25000, 50));
  EXPECT_EQ(a.c.position, 10);
  EXPECT_EQ(a.c.sample, &s.s);

  // Paused channels, channels without a sample and empty lengths add nothing.
  std::vector<int32_t> out(8, 1);
  a.c.flags = kChannelPaused;
  SoundMix_MixStereo(out.data(), &a.list, 4);
  a.c.flags = 0;
  SoundMix_MixStereo(out.data(), &a.list, 0);
  SoundMix_MixStereo(out.data(), &a.list, -5);
  for (int32_t o : out) EXPECT_EQ(o, 1);
  EXPECT_EQ(a.c.position, 10);
}

TEST(MixInnerLoops, ClearAndClipSaturateExactlyAtSixteenBits) {
  const int32_t acc[] = {40000, -40000, 32767, -32768, 32768, -32769, 0, INT32_MAX, INT32_MIN, -1};
  int16_t out[10] = {};
  SoundMix_Clip16Mono(out, acc, 10);
  const int16_t want[] = {32767, -32768, 32767, -32768, 32767, -32768, 0, 32767, -32768, -1};
  for (int i = 0; i < 10; ++i) EXPECT_EQ(out[i], want[i]) << i;
  int16_t st[10] = {};
  SoundMix_Clip16Stereo(st, acc, 5);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(st[i], want[i]) << i;

  int16_t untouched[2] = {9, 9};
  SoundMix_Clip16Stereo(untouched, acc, 0);
  SoundMix_Clip16Mono(untouched, nullptr, 2);
  SoundMix_Clip16Mono(nullptr, acc, 2);
  EXPECT_EQ(untouched[0], 9);

  int32_t buffer[10];
  std::fill(buffer, buffer + 10, 5);
  SoundMix_ClearStereo(buffer, 4);  // 4 frames = 8 elements
  for (int i = 0; i < 8; ++i) EXPECT_EQ(buffer[i], 0);
  EXPECT_EQ(buffer[8], 5);
  SoundMix_ClearMono(buffer + 8, 1);
  EXPECT_EQ(buffer[8], 0);
  EXPECT_EQ(buffer[9], 5);
}
