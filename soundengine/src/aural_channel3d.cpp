// Positional sound in fixed point (x256): distance attenuation, Doppler shift and pan
// from where a channel stands relative to the listener.
#include <cmath>

#include "aural_engine.h"

namespace {

constexpr int64_t kSpeedOfSound256 = 87040;  // 340 x 256
constexpr int kSpeedOfSound = 340;

int64_t Abs64(int64_t v) { return v < 0 ? -v : v; }

// Distance without a square root: m + (a + b) x 3/8 - m/16, m the largest component.
int64_t ApproxDistance(int64_t x, int64_t y, int64_t z) {
  x = Abs64(x), y = Abs64(y), z = Abs64(z);
  int64_t m = x, a = y, b = z;
  if (y > m) m = y, a = x, b = z;
  if (z > m) m = z, a = x, b = y;
  const int64_t s = a + b;
  return m + (s >> 3) + (s >> 2) - m / 16;
}

uint64_t IntegerSqrt(uint64_t n) {
  uint64_t r = static_cast<uint64_t>(std::sqrt(static_cast<double>(n)));
  while (r * r > n) --r;
  while ((r + 1) * (r + 1) <= n) ++r;
  return r;
}

}  // namespace

int32_t SoundMath_FloatToFixed8(float value) {
  const double v = static_cast<double>(value) * 256.0;
  if (!(v == v)) return 0;  // NaN
  if (v >= 2147483647.0) return INT32_MAX;
  if (v <= -2147483648.0) return INT32_MIN;
  return static_cast<int32_t>(v);
}

BOOL SoundChannel_Update3D(SoundChannel* ch) {
  if (!ch || !ch->sample) return TRUE;
  if (ch->mode & (SoundMode::No3d | SoundMode::DriverSample)) {
    ch->volumeScale = 255;
    ch->frequencyScale = 256;
    return TRUE;
  }
  if ((ch->flags & kChannelInSong) || (ch->sample->mode & SoundMode::Stereo)) return TRUE;
  const SoundListener& l = SoundTables.listener;
  int64_t d[3], moved[3];
  for (int i = 0; i < 3; ++i) {
    d[i] = static_cast<int64_t>(ch->position3d[i]) - l.position[i];
    moved[i] = static_cast<int64_t>(ch->position3d[i]) -
               (static_cast<int64_t>(ch->velocity3d[i]) + l.velocity[i]);
  }
  const int64_t distance = ApproxDistance(d[0], d[1], d[2]);
  const int64_t distance2 = ApproxDistance(moved[0], moved[1], moved[2]);
  int64_t fscale = (kSpeedOfSound256 - (distance - distance2)) / kSpeedOfSound;
  ch->frequencyScale = static_cast<int32_t>(fscale < 1 ? 1 : fscale > INT32_MAX ? INT32_MAX : fscale);

  int64_t r = distance;
  if (r < ch->minDistance) r = ch->minDistance;
  if (r > ch->maxDistance) r = ch->maxDistance;
  if (r < 1) r = 1;
  int64_t q = static_cast<int64_t>(ch->minDistance) * 256 / r;
  q = q < 0 ? 0 : q > 256 ? 256 : q;
  ch->volumeScale = q * 255 > 255 ? static_cast<int32_t>(q * 255 / 256) : 0;

  const uint64_t squares = static_cast<uint64_t>(d[0] * d[0]) + static_cast<uint64_t>(d[1] * d[1]) +
                           static_cast<uint64_t>(d[2] * d[2]);
  const int64_t length = static_cast<int64_t>(IntegerSqrt(squares));
  int64_t p = 0;
  for (int i = 0; i < 3; ++i) p += (length ? d[i] * 256 / length : 0) * l.right[i] / 256;
  int64_t offset = (p << 7) >> 8;
  offset = offset < -128 ? -128 : offset > 127 ? 127 : offset;
  const int pan = static_cast<int>((SoundEngine.panSeparation * offset + 0x8000) >> 8);

  const int volume = (ch->flags & kChannelAbsoluteVolume) ? ch->volume
                                                          : ch->volume * SoundEngine.sfxMasterVolume / 255;
  ch->pan = pan;
  ch->ops.setFrequency(ch, ch->frequency);
  ch->ops.setVolume(ch, volume);
  return ch->ops.setPan(ch, pan);
}

BOOL Aural_Set3DAttributes(int handle, const float* position, const float* velocity) {
  SoundError_Begin();
  if (!SoundEngine.initialised) {
    SoundError_Set(kSoundErrNotInitialised);
    return FALSE;
  }
  auto store = [&](SoundChannel* ch) {
    bool changed = false;
    for (int i = 0; i < 3; ++i) {
      if (position) {
        const int32_t v = SoundMath_FloatToFixed8(position[i]);
        changed = changed || v != ch->position3d[i];
        ch->position3d[i] = v;
      }
      if (velocity) {
        const int32_t v = SoundMath_FloatToFixed8(velocity[i]);
        changed = changed || v != ch->velocity3d[i];
        ch->velocity3d[i] = v;
      }
    }
    return changed ? SoundChannel_Update3D(ch) : TRUE;
  };
  if (handle == kChannelAll) {
    BOOL result = TRUE;
    for (int i = 0; i < SoundTables.channelCount; ++i) result = store(&SoundTables.channels[i]);
    return result;
  }
  SoundChannel* ch = Aural_GetChannel(handle);
  return ch ? store(ch) : FALSE;
}
