// Mixing throughput of the inner loops: N voices of looping 16-bit stereo at 44100 Hz
// mixed block by block (clear, mix, clip to 16 bits), timed on the performance counter.
// Prints the real-time factor (seconds of sound mixed per second of processor time).
#include <windows.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "aural.h"
#include "aural_channel.h"
#include "aural_sample.h"
#include "sound_mix.h"
#include "sound_software.h"

namespace {

constexpr int kRate = 44100;
constexpr int kBlock = 1024;
constexpr int kSeconds = 20;                 // of sound mixed per measurement
constexpr int kSampleFrames = kRate;         // one second of source per voice

struct Voice {
  std::vector<int16_t> storage;
  SoundSample sample = {};
  SoundChannel channel = {};
};

double Seconds(const LARGE_INTEGER& a, const LARGE_INTEGER& b) {
  LARGE_INTEGER f;
  QueryPerformanceFrequency(&f);
  return static_cast<double>(b.QuadPart - a.QuadPart) / static_cast<double>(f.QuadPart);
}

double Measure(int voices, SoundMixFn mix) {
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
  LARGE_INTEGER t0, t1;
  QueryPerformanceCounter(&t0);
  for (int b = 0; b < blocks; ++b) {
    SoundMix_ClearStereo(acc.data(), kBlock);
    mix(acc.data(), &list, kBlock);
    SoundMix_Clip16Stereo(out.data(), acc.data(), kBlock);
  }
  QueryPerformanceCounter(&t1);
  const double audio = static_cast<double>(blocks) * kBlock / kRate;
  return audio / Seconds(t0, t1);
}

}  // namespace

int main() {
  std::printf("voices  real-time factor (16-bit stereo sources, 44100 Hz, blocks of %d)\n", kBlock);
  std::printf("        AURAL_MIXER_C   AURAL_MIXER_QUALITY_C\n");
  for (int voices : {1, 8, 32, 64}) {
    const double plain = Measure(voices, SoundMix_MixStereo);
    const double quality = Measure(voices, SoundMix_MixStereoQuality);
    std::printf("%6d  %13.1f   %21.1f\n", voices, plain, quality);
  }
  return 0;
}
