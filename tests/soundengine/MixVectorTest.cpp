// The mixers, with each of the vector loops the processor has (SSE2, AVX2), against the
// per-sample reference loops, sample for sample, over random scenes: every source layout
// and loop mode, both directions, gains from silent to full on either side, steps from 1/64
// to 64 (and below the step at which runs are cut), positions anywhere, block lengths of
// every remainder, gains changed between blocks as a caller's volume ramp changes them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "aural.h"
#include "aural_channel.h"
#include "aural_sample.h"
#include "sound_mix.h"

namespace {

constexpr int kGuardBytes = 64;  // random data on both sides: both loops read the same guards

struct SceneSample {
  std::vector<uint8_t> bytes;
  SoundSample s = {};
};

struct Scene {
  std::vector<std::unique_ptr<SceneSample>> samples;
  std::vector<SoundChannel> channels;  // two identical sets: [0, n) reference, [n, 2n) tested
  SoundLink reference = {}, tested = {};
};

int32_t Gain(std::mt19937& rng) {
  switch (rng() % 5) {
    case 0: return 0;
    case 1: return 255;
    default: return static_cast<int32_t>(rng() % 256);
  }
}

void SetGains(std::mt19937& rng, SoundChannel& c) {
  c.leftGain = Gain(rng);
  c.rightGain = Gain(rng);
  if (rng() % 8 == 0) c.leftGain = c.rightGain = 0;  // silent: timing only
  c.monoGain = Gain(rng);
}

std::unique_ptr<SceneSample> MakeSample(std::mt19937& rng) {
  auto x = std::make_unique<SceneSample>();
  const bool eight = rng() % 2;
  const int layout = rng() % 3;  // mono, stereo, one part of multi-channel data (read as mono)
  const int length = rng() % 4 == 0 ? 1 + static_cast<int>(rng() % 8) : 1 + static_cast<int>(rng() % 3000);
  const int frameBytes = (eight ? 1 : 2) * (layout == 1 ? 2 : 1);
  x->bytes.resize(static_cast<size_t>(length) * frameBytes + 2 * kGuardBytes);
  // Full range, extremes included, so the products' edges are met.
  for (auto& b : x->bytes) b = static_cast<uint8_t>(rng() % 16 == 0 ? (rng() % 2 ? 0x80 : 0x7f) : rng());
  if (!eight)
    for (size_t i = 0; i + 1 < x->bytes.size(); i += 2)
      if (rng() % 32 == 0) x->bytes[i] = 0, x->bytes[i + 1] = 0x80;  // -32768
  SoundSample& s = x->s;
  s.data = x->bytes.data() + kGuardBytes;
  s.length = length;
  s.loopStart = static_cast<int32_t>(rng() % length);
  s.loopLength = 1 + static_cast<int32_t>(rng() % (length - s.loopStart));
  if (rng() % 16 == 0) s.loopLength = 0;  // nothing to loop: played once
  const uint32_t loops[] = {SoundMode::NoLoop, SoundMode::LoopForward, SoundMode::LoopPingPong};
  s.mode = (eight ? SoundMode::Pcm8 : SoundMode::Pcm16) | loops[rng() % 3] |
           (layout == 0 ? SoundMode::Mono : layout == 1 ? SoundMode::Stereo : SoundMode::MultiChannel);
  return x;
}

int64_t Step(std::mt19937& rng) {
  switch (rng() % 6) {
    case 0: return 1 + rng() % 300;  // around the step below which runs are not cut
    case 1: return int64_t{1 + static_cast<int>(rng() % 4)} << 32;  // whole steps
    default: {
      std::uniform_real_distribution<double> octaves(-6.0, 6.0);  // 1/64 .. 64
      return static_cast<int64_t>(std::ldexp(1.0, 32) * std::exp2(octaves(rng)));
    }
  }
}

void MakeScene(std::mt19937& rng, Scene& scene) {
  const int n = 1 + static_cast<int>(rng() % 6);
  scene.channels.assign(2 * n, SoundChannel{});
  for (int k = 0; k < n; ++k) {
    if (scene.samples.empty() || rng() % 3) scene.samples.push_back(MakeSample(rng));
    SoundSample* s = &scene.samples[rng() % scene.samples.size()]->s;
    SoundChannel& c = scene.channels[k];
    c.sample = s;
    c.data = s->data;
    c.mode = s->mode;
    c.direction = rng() % 3 ? kChannelForward : kChannelBackward;
    c.position = static_cast<int32_t>(rng() % (s->length + (rng() % 8 == 0 ? 50 : 0)));
    c.fraction = rng() % 4 ? static_cast<uint32_t>(rng()) : 0;
    const int64_t step = Step(rng);
    c.stepInt = static_cast<int32_t>(step >> 32);
    c.stepFrac = static_cast<uint32_t>(step);
    if (rng() % 10 == 0) c.flags = kChannelPaused;
    SetGains(rng, c);
    scene.channels[n + k] = c;
  }
  SoundLink_Init(&scene.reference);
  SoundLink_Init(&scene.tested);
  for (int k = 0; k < n; ++k) {
    SoundLink_InsertBefore(&scene.reference, &scene.channels[k].link);
    SoundLink_InsertBefore(&scene.tested, &scene.channels[n + k].link);
  }
}

struct MixerPair {
  const char* name;
  SoundMixFn tested, reference;
  int outChannels;
};

// Every mixer of the loops in force against its reference over 1200 scenes of 4 blocks.
void CompareOverRandomScenes(const char* loops, int* framesCompared) {
  const MixerPair mixers[] = {
      {"stereo", SoundMix_MixStereo, SoundMix_MixStereoScalar, 2},
      {"stereo quality", SoundMix_MixStereoQuality, SoundMix_MixStereoQualityScalar, 2},
      {"mono", SoundMix_MixMono, SoundMix_MixMonoScalar, 1},
      {"mono quality", SoundMix_MixMonoQuality, SoundMix_MixMonoQualityScalar, 1},
  };
  std::mt19937 rng(20261209);
  for (const MixerPair& m : mixers) {
    for (int sceneNo = 0; sceneNo < 300; ++sceneNo) {
      Scene scene;
      MakeScene(rng, scene);
      const size_t n = scene.channels.size() / 2;
      for (int block = 0; block < 4; ++block) {
        const int length = rng() % 4 == 0 ? 1 + static_cast<int>(rng() % 9) : 1 + static_cast<int>(rng() % 1100);
        std::vector<int32_t> want(static_cast<size_t>(length) * m.outChannels + 8);
        for (auto& v : want) v = static_cast<int32_t>(rng() % 2000001) - 1000000;
        std::vector<int32_t> got = want;  // the elements behind the block stay as they are
        m.reference(want.data(), &scene.reference, length);
        m.tested(got.data(), &scene.tested, length);
        for (size_t i = 0; i < want.size(); ++i)
          ASSERT_EQ(got[i], want[i]) << loops << m.name << ", scene " << sceneNo << ", block " << block
                                     << ", element " << i;
        for (size_t k = 0; k < n; ++k) {
          const SoundChannel &r = scene.channels[k], &t = scene.channels[n + k];
          ASSERT_TRUE(t.sample == r.sample && t.position == r.position && t.fraction == r.fraction &&
                      t.direction == r.direction)
              << loops << m.name << ", scene " << sceneNo << ", block " << block << ", channel " << k;
        }
        *framesCompared += length;
        for (size_t k = 0; k < n; ++k)  // a volume ramp moves the gains between blocks
          if (rng() % 2) {
            SetGains(rng, scene.channels[k]);
            scene.channels[n + k].leftGain = scene.channels[k].leftGain;
            scene.channels[n + k].rightGain = scene.channels[k].rightGain;
            scene.channels[n + k].monoGain = scene.channels[k].monoGain;
          }
      }
    }
  }
}

}  // namespace

TEST(MixVectorLoops, GiveTheReferenceLoopsOutputSampleForSample) {
  std::vector<int> vectors = {kSoundMixSse2};
  if (SoundMix_WidestVector() == kSoundMixAvx2) vectors.push_back(kSoundMixAvx2);
  std::printf("vector loops compared: SSE2%s\n", vectors.size() > 1 ? ", AVX2" : " (no AVX2 here)");
  for (int vector : vectors) {
    ASSERT_EQ(vector, SoundMix_UseVector(vector));
    int frames = 0;
    CompareOverRandomScenes(vector == kSoundMixAvx2 ? "AVX2 " : "SSE2 ", &frames);
    SoundMix_UseVector(SoundMix_WidestVector());
    if (HasFatalFailure()) return;
    EXPECT_GT(frames, 1000000);
  }
}

TEST(MixVectorLoops, ClipSaturatesEveryLengthAsTheRuleSays) {
  std::mt19937 rng(7);
  for (int samples = 1; samples < 40; ++samples) {
    std::vector<int32_t> acc(samples);
    for (auto& v : acc) v = static_cast<int32_t>(rng() % 3 == 0 ? rng() : rng() % 80000) - (rng() % 3 == 0 ? 0 : 40000);
    std::vector<int16_t> out(samples + 1, 1234);
    SoundMix_Clip16Mono(out.data(), acc.data(), samples);
    for (int i = 0; i < samples; ++i)
      ASSERT_EQ(out[i], acc[i] > 32767 ? 32767 : acc[i] < -32768 ? -32768 : acc[i]) << samples << "/" << i;
    EXPECT_EQ(out[samples], 1234);
  }
}
