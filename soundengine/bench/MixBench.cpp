// Mixing throughput as real-time factors (seconds of sound mixed per second of the mixing
// thread's processor time, so other work on a shared machine does not count):
// - the inner loops alone: N voices of looping 16-bit stereo at 44100 Hz mixed block by
//   block (clear, mix, clip to 16 bits);
// - the whole software mixer: N channels played through the engine on the non-realtime
//   output, every block through the DSP chain (clear, stream, mix, music, clip and one
//   filter unit where the equaliser sits), each voice resampled (WholeMixer.h; beside an
//   older revision's engine: bench/mix_against_revision.sh).
// Each figure is measured by turns with the mixers of this build (the widest vector loops
// the processor has), with the SSE2 loops, and with the per-sample reference loops and
// scalar clip (the mixers as they were before the vector loops), and reported as median
// [lowest-highest] over the runs with the ratios of the medians to the reference's.
// Usage: sound_mix_bench [runs (default 5)]
#include <windows.h>

#include "BenchClock.h"
#include "WholeMixer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "aural.h"
#include "aural_engine.h"
#include "aural_channel.h"
#include "aural_sample.h"
#include "sound_mix.h"
#include "sound_software.h"

namespace {

constexpr int kRate = 44100;
constexpr int kBlock = 1024;
constexpr int kSeconds = 20;                 // of sound mixed per round
constexpr int kSampleFrames = kRate;         // one second of source per voice

struct Voice {
  std::vector<int16_t> storage;
  SoundSample sample = {};
  SoundChannel channel = {};
};


// The mixers of this build, or the reference loops and scalar clip.
struct Loops {
  SoundMixFn stereo, stereoQuality, mono, monoQuality;
  SoundMixClipFn clipStereo, clipMono;
  int vector;  // the vector loops the mixers use
};
const Loops kVector = {SoundMix_MixStereo, SoundMix_MixStereoQuality, SoundMix_MixMono, SoundMix_MixMonoQuality,
                       SoundMix_Clip16Stereo, SoundMix_Clip16Mono, kSoundMixAvx2};
const Loops kSse2 = {SoundMix_MixStereo, SoundMix_MixStereoQuality, SoundMix_MixMono, SoundMix_MixMonoQuality,
                     SoundMix_Clip16Stereo, SoundMix_Clip16Mono, kSoundMixSse2};

void Clip16MonoScalar(int16_t* output, const int32_t* accumulators, int samples) {
  for (int i = 0; i < samples; ++i) {
    const int32_t v = accumulators[i];
    output[i] = static_cast<int16_t>(v > 32767 ? 32767 : v < -32768 ? -32768 : v);
  }
}
void Clip16StereoScalar(int16_t* output, const int32_t* accumulators, int frames) {
  Clip16MonoScalar(output, accumulators, frames * 2);
}
const Loops kReference = {SoundMix_MixStereoScalar, SoundMix_MixStereoQualityScalar, SoundMix_MixMonoScalar,
                          SoundMix_MixMonoQualityScalar, Clip16StereoScalar, Clip16MonoScalar, kSoundMixSse2};

void UseLoops(const Loops& l) {
  SoundMix_UseVector(l.vector);
  SoundMixerDescs[kMixerC].mix = l.stereo;
  SoundMixerDescs[kMixerQualityC].mix = l.stereoQuality;
  SoundMixerDescs[kMixerMono].mix = l.mono;
  SoundMixerDescs[kMixerQualityMono].mix = l.monoQuality;
  for (int type : {kMixerC, kMixerQualityC}) SoundMixerDescs[type].clip = l.clipStereo;
  for (int type : {kMixerMono, kMixerQualityMono}) SoundMixerDescs[type].clip = l.clipMono;
}

double Measure(int voices, bool quality, const Loops& loops) {
  SoundMix_UseVector(loops.vector);
  const SoundMixFn mix = quality ? loops.stereoQuality : loops.stereo;
  std::vector<Voice> v(voices);
  SoundLink list;
  SoundLink_Init(&list);
  for (int n = 0; n < voices; ++n) {
    Voice& x = v[n];
    x.storage.assign(2 * kSampleFrames + 64, 0);
    int16_t* data = x.storage.data() + 16;
    for (int i = 0; i < kSampleFrames; ++i) {
      data[2 * i] = static_cast<int16_t>(12000 * std::sin(i * (0.01 + n * 0.001)));
      data[2 * i + 1] = static_cast<int16_t>(12000 * std::cos(i * (0.013 + n * 0.001)));
    }
    x.sample.data = data;
    x.sample.length = kSampleFrames;
    x.sample.loopStart = 0;
    x.sample.loopLength = kSampleFrames;
    x.sample.loopEnd = -1;
    x.sample.mode = SoundMode::Pcm16 | SoundMode::Stereo | SoundMode::LoopForward;
    SoundSample_RebuildGuards(&x.sample);
    SoundChannel& c = x.channel;
    c.sample = &x.sample;
    c.data = data;
    c.mode = x.sample.mode;
    c.direction = kChannelForward;
    // Rates around 44100 Hz, so most voices resample.
    const double step = 1.0 + (n % 7) * 0.0137;
    const int64_t fixed = static_cast<int64_t>(step * 4294967296.0);
    c.stepInt = static_cast<int32_t>(fixed >> 32);
    c.stepFrac = static_cast<uint32_t>(fixed);
    c.volumeScale = 255;
    c.driverPan = (n * 37) % 256;
    SoftwareOutput_ComputeGains(&c, 180);
    SoundLink_InsertBefore(&list, &c.link);
  }
  std::vector<int32_t> acc(2 * kBlock + 8);
  std::vector<int16_t> out(2 * kBlock);
  const int blocks = kSeconds * kRate / kBlock;
  return bench::RealTimeFactor(static_cast<double>(kBlock) / kRate, blocks, [&] {
    for (int b = 0; b < blocks; ++b) {
      SoundMix_ClearStereo(acc.data(), kBlock);
      mix(acc.data(), &list, kBlock);
      loops.clipStereo(out.data(), acc.data(), kBlock);
    }
  });
}

double MeasureEngine(int voices, int mixerType, const Loops& loops) {
  UseLoops(loops);
  return bench::WholeMixer(voices, mixerType);
}

struct Figures {
  std::vector<double> vector, sse2, reference;
};

// Median [lowest-highest] of this build, of the SSE2 loops and of the reference; the
// ratios of the first two medians to the reference's.
void Report(Figures& f) {
  const double a = bench::Median(f.vector), s = bench::Median(f.sse2), b = bench::Median(f.reference);
  std::printf(" %6.0f [%5.0f-%5.0f] %6.0f [%5.0f-%5.0f] %6.0f [%5.0f-%5.0f] %5.2f %5.2f", a, f.vector.front(),
              f.vector.back(), s, f.sse2.front(), f.sse2.back(), b, f.reference.front(), f.reference.back(), a / b,
              s / b);
}

template <typename Measurement>
Figures Runs(int runs, Measurement measure) {
  Figures f;
  for (int r = 0; r < runs; ++r) {  // by turns, so the machine's load falls on both alike
    f.reference.push_back(measure(kReference));
    f.sse2.push_back(measure(kSse2));
    f.vector.push_back(measure(kVector));
  }
  return f;
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  const char* widest = SoundMix_WidestVector() == kSoundMixAvx2 ? "AVX2" : "SSE2";
  std::printf("real-time factors, median [lowest-highest] of %d runs: this build (%s loops), the SSE2 loops,\n"
              "the reference loops and scalar clip; ratios of this build's and the SSE2 medians to the reference's\n\n",
              runs, widest);
  std::printf("inner loops: voices of 16-bit stereo at steps 1..1.08 to 44100 Hz stereo, blocks of %d\n", kBlock);
  for (int voices : {1, 8, 32, 64}) {
    for (bool quality : {false, true}) {
      std::printf("%3d %-24s", voices, quality ? "AURAL_MIXER_QUALITY_C" : "AURAL_MIXER_C");
      Figures f = Runs(runs, [&](const Loops& l) { return Measure(voices, quality, l); });
      Report(f);
      std::printf("\n");
      std::fflush(stdout);
    }
  }
  std::printf("\nwhole software mixer: channels of 16-bit mono at 22050..48000 Hz, DSP chain\n");
  // No channels: what the mixer spends outside its inner loops.
  for (int voices : {0, 1, 8, 32, 64}) {
    for (int type : {kMixerC, kMixerQualityC, kMixerQualityMono}) {
      std::printf("%3d %-24s", voices,
                  type == kMixerC ? "AURAL_MIXER_C" : type == kMixerQualityC ? "AURAL_MIXER_QUALITY_C"
                                                                             : "AURAL_MIXER_QUALITY_MONO");
      Figures f = Runs(runs, [&](const Loops& l) { return MeasureEngine(voices, type, l); });
      Report(f);
      std::printf("\n");
      std::fflush(stdout);
    }
  }
  return 0;
}
