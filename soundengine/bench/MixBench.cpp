// Mixing throughput, timed on the performance counter, as real-time factors (seconds of
// sound mixed per second of processor time):
// - the inner loops alone: N voices of looping 16-bit stereo at 44100 Hz mixed block by
//   block (clear, mix, clip to 16 bits);
// - the whole software mixer: N channels played through the engine on the non-realtime
//   output, every block through the DSP chain (clear, stream, mix, music, clip and one
//   filter unit where the equaliser sits), each voice resampled.
#include <windows.h>

#include <cmath>
#include <cstdio>
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

// A one-pole low-pass over the block, standing in for the player's equaliser (priority 300).
void* FilterUnit(void*, void* previous, int length, void* user) {
  auto* state = static_cast<int32_t*>(user);
  auto* p = static_cast<int32_t*>(previous);
  const int channels = SoundEngine.mixerDesc->channels;
  for (int i = 0; i < length * channels; ++i) {
    int32_t& y = state[i % channels];
    y += (p[i] - y) >> 2;
    p[i] = y;
  }
  return previous;
}

// The whole engine: N channels of one looping 16-bit mono sample at rates between 22 and
// 48 kHz, on mixer `mixerType`, for kSeconds of sound.
double MeasureEngine(int voices, int mixerType) {
  Aural_SetOutput(kSoundOutputNonRealtime);
  SoundEngine.mixerType = mixerType;
  if (!Aural_Init(kRate, 64)) return 0;
  std::vector<int16_t> tone(kSampleFrames);
  for (int i = 0; i < kSampleFrames; ++i) tone[i] = static_cast<int16_t>(12000 * std::sin(i * 0.031));
  SoundSample* s = SoundSample_Alloc(-1, kSampleFrames, SoundMode::Pcm16 | SoundMode::Mono | SoundMode::LoopForward |
                                                            SoundMode::No3d, kRate, 255, 128);
  if (!s || !SoundSample_UploadAll(s, tone.data(), SoundMode::Pcm16)) return 0;
  for (int n = 0; n < voices; ++n) {
    const int h = Aural_PlaySound(kChannelFree, s);
    Aural_SetChannelRate(h, 22050 + n * 409);
    Aural_SetPan(h, (n * 37) % 256);
    Aural_SetVolume(h, 120);
  }
  int32_t filter[2] = {0, 0};
  SoundDspUnit* unit = AuralDsp_Create(FilterUnit, 300, filter);
  if (unit) unit->active = 1;
  const int blocks = kSeconds * kRate / SoundEngine.blockLength;
  LARGE_INTEGER t0, t1;
  QueryPerformanceCounter(&t0);
  for (int b = 0; b < blocks; ++b) Aural_Update();
  QueryPerformanceCounter(&t1);
  const double audio = static_cast<double>(blocks) * SoundEngine.blockLength / kRate;
  Aural_Close();
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
  std::printf("\nchannels  real-time factor of the whole software mixer (DSP chain, resampling)\n");
  std::printf("          AURAL_MIXER_C   AURAL_MIXER_QUALITY_C   AURAL_MIXER_QUALITY_MONO\n");
  for (int voices : {1, 8, 32, 64}) {
    const double plain = MeasureEngine(voices, 10);
    const double quality = MeasureEngine(voices, 11);
    const double mono = MeasureEngine(voices, 9);
    std::printf("%8d  %13.1f   %21.1f   %24.1f\n", voices, plain, quality, mono);
  }
  return 0;
}
