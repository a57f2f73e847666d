#pragma once
// The whole software mixer's real-time factor: N channels of one looping 16-bit mono sample
// at rates between 22 and 48 kHz played through the engine on the non-realtime output,
// every block through the DSP chain with one filter unit where the equaliser sits. Uses
// only what the engine has offered from its first version, so the same measurement builds
// against an older revision (bench/mix_against_revision.sh).
#include <cmath>
#include <cstdint>
#include <vector>

#include "BenchClock.h"
#include "aural.h"
#include "aural_channel.h"
#include "aural_engine.h"
#include "aural_sample.h"
#include "sound_software.h"

namespace bench {

// A one-pole low-pass over the block, standing in for the player's equaliser (priority 300).
// The state is kept in locals: kept in `user`, which may alias the block, every sample
// waited on the store of the one before.
inline void* WholeMixerFilter(void*, void* previous, int length, void* user) {
  auto* state = static_cast<int32_t*>(user);
  auto* p = static_cast<int32_t*>(previous);
  const bool stereo = SoundEngine.mixerDesc->channels == 2;
  int32_t left = state[0], right = state[1];
  for (int i = 0; i < length; ++i) {
    left += (*p - left) >> 2;
    *p++ = left;
    if (!stereo) continue;
    right += (*p - right) >> 2;
    *p++ = right;
  }
  state[0] = left;
  state[1] = right;
  return previous;
}

// 20 seconds of sound per round on mixer `mixerType`; 0 when the engine does not start.
inline double WholeMixer(int voices, int mixerType) {
  constexpr int kRate = 44100, kFrames = 44100, kSeconds = 20;
  Aural_SetOutput(kSoundOutputNonRealtime);
  SoundEngine.mixerType = mixerType;
  if (!Aural_Init(kRate, 64)) return 0;
  std::vector<int16_t> tone(kFrames);
  for (int i = 0; i < kFrames; ++i) tone[i] = static_cast<int16_t>(12000 * std::sin(i * 0.031));
  SoundSample* s = SoundSample_Alloc(
      -1, kFrames, SoundMode::Pcm16 | SoundMode::Mono | SoundMode::LoopForward | SoundMode::No3d, kRate, 255, 128);
  if (!s || !SoundSample_UploadAll(s, tone.data(), SoundMode::Pcm16)) {
    Aural_Close();
    return 0;
  }
  for (int n = 0; n < voices; ++n) {
    const int h = Aural_PlaySound(kChannelFree, s);
    Aural_SetChannelRate(h, 22050 + n * 409);
    Aural_SetPan(h, (n * 37) % 256);
    Aural_SetVolume(h, 120);
  }
  int32_t filter[2] = {0, 0};
  SoundDspUnit* unit = AuralDsp_Create(WholeMixerFilter, 300, filter);
  if (unit) unit->active = 1;
  const int blocks = kSeconds * kRate / SoundEngine.blockLength;
  const double factor = RealTimeFactor(static_cast<double>(SoundEngine.blockLength) / kRate, blocks, [&] {
    for (int b = 0; b < blocks; ++b) Aural_Update();
  });
  Aural_Close();
  return factor;
}

}  // namespace bench
