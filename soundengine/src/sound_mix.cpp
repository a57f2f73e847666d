// Mixer inner loops: one templated walk serves every source layout (8/16-bit, mono or
// channel part / stereo), both output layouts, plain and interpolating reads, and the
// level meter, so the variants cannot drift apart. The walk cuts a channel's block into
// runs that cross no loop point; a run is mixed by the widest vector loops the processor
// has (AVX2, else SSE2), else (and as the reference) by the per-sample loops.
#include "sound_mix.h"

#include <cpuid.h>

#include <atomic>
#include <cstring>

#include "aural.h"
#include "aural_channel.h"
#include "aural_sample.h"
#include "sound_mix_scalar.h"
#if defined(__SSE2__)
#include "sound_mix_avx2.h"
#include "sound_mix_sse2.h"
#define SOUND_MIX_VECTOR 1
#else
#define SOUND_MIX_VECTOR 0
#endif

namespace {

using namespace soundmix;

// Below this step (in 1/2^32 samples) a block cannot cross the end, so no run is cut.
constexpr int64_t kMinRunStep = 257;
// Runs of no length in a row before a channel is given up (a defence against loop
// points that leave nothing to play).
constexpr int kMaxEmptyRuns = 4;

// AVX2 needs the processor's instructions and a system that saves the YMM registers
// (XCR0 bits 1 and 2), which the instructions alone do not show.
bool CpuRunsAvx2() {
  unsigned a, b, c, d;
  constexpr unsigned kOsSaves = 1u << 27, kAvx = 1u << 28, kAvx2 = 1u << 5;
  if (!__get_cpuid(1, &a, &b, &c, &d) || (c & (kOsSaves | kAvx)) != (kOsSaves | kAvx)) return false;
  unsigned saved, high;
  __asm__ volatile("xgetbv" : "=a"(saved), "=d"(high) : "c"(0));
  if ((saved & 6) != 6) return false;
  return __get_cpuid_count(7, 0, &a, &b, &c, &d) && (b & kAvx2) != 0;
}

int WidestVector() {
  static const int widest = CpuRunsAvx2() ? kSoundMixAvx2 : kSoundMixSse2;
  return widest;
}

std::atomic<int> g_vector{0};  // 0: the widest

bool UseAvx2() {
  const int v = g_vector.load(std::memory_order_relaxed);
  return (v ? v : WidestVector()) == kSoundMixAvx2;
}

// Walks one channel over `length` output samples. Level walks a copy of the position
// and leaves the channel as it was.
template <typename T, int SrcCh, int OutCh, bool Interp, bool Level, bool Vector>
void Walk(SoundChannel* ch, int32_t* out, int length, Peaks* pk, bool avx2) {
  const SoundSample* s = ch->sample;
  const T* d = static_cast<const T*>(ch->data);
  const int64_t one = int64_t{1} << 32;
  const int64_t sampleEnd = static_cast<int64_t>(s->length) * one;
  int64_t pos = static_cast<int64_t>(ch->position) * one + ch->fraction;
  if (ch->position >= s->length || ch->position < 0) pos = 0;
  bool backward = ch->direction == kChannelBackward;
  const int64_t stepMag = static_cast<int64_t>(static_cast<uint64_t>(static_cast<uint32_t>(ch->stepInt)) << 32 | ch->stepFrac);

  // Loop points, kept inside the data whatever the record says.
  uint32_t loop = ch->mode & SoundMode::LoopBits;
  int32_t ls = s->loopStart, ll = s->loopLength;
  if (ls < 0 || ls >= s->length) ls = 0;
  if (ll > s->length - ls) ll = s->length - ls;
  if (ll <= 0) loop = SoundMode::NoLoop, ll = s->length - ls;
  const int64_t loopStart = static_cast<int64_t>(ls) * one, loopLen = static_cast<int64_t>(ll) * one;
  const int64_t loopEnd = loopStart + loopLen;

  const Gains g = {ch->leftGain, ch->rightGain, ch->monoGain};
  const bool silent = g.left == 0 && g.right == 0;
#if SOUND_MIX_VECTOR
  const bool vector = Vector && !Level && GainsFitVector(g, OutCh);
#endif
  bool ended = false;
  int emptyRuns = 0;
  for (int remaining = length; remaining > 0;) {
    int run = remaining;
    bool atEnd = false;
    if (stepMag >= kMinRunStep) {
      const int64_t dist = backward ? pos - loopStart : (pos < loopEnd ? loopEnd : sampleEnd) - pos;
      const int64_t n = dist <= 0 ? 0 : (dist + stepMag - 1) / stepMag;
      if (n <= remaining) run = static_cast<int>(n), atEnd = true;
    }
    const int64_t step = backward ? -stepMag : stepMag;
    if (run > 0) {
      emptyRuns = 0;
      if (silent)
        pos += step * run;
#if SOUND_MIX_VECTOR
      else if (vector && avx2)
        RunAvx2<T, SrcCh, OutCh, Interp>(out, d, pos, step, run, g);
      else if (vector)
        RunSse2<T, SrcCh, OutCh, Interp>(out, d, pos, step, run, g);
#endif
      else
        Run<T, SrcCh, OutCh, Interp, Level>(out, d, pos, step, run, g, pk);
      if (!Level) out += run * OutCh;
      remaining -= run;
    } else if (++emptyRuns > kMaxEmptyRuns) {
      loop = SoundMode::NoLoop;
    }
    if (!(atEnd || pos >= sampleEnd || pos == 0)) continue;
    if (loop & SoundMode::LoopPingPong) {
      backward = !backward;
    } else if (loop & SoundMode::LoopForward) {
      // Backwards play wraps up to the loop end instead of running below the data.
      pos += backward ? loopLen : -loopLen;
    } else {
      ended = true;
      break;
    }
    // At most the guard frame at the sample's end is read past the data.
    if (pos < 0) pos = 0;
    if (pos > sampleEnd) pos = sampleEnd;
  }
  if (Level) return;
  if (ended) {
    ch->sample = nullptr;
    ch->priority = 0;
    pos = 0;
  }
  ch->position = static_cast<int32_t>(pos >> 32);
  ch->fraction = static_cast<uint32_t>(pos);
  ch->direction = backward ? kChannelBackward : kChannelForward;
}

template <int OutCh, bool Interp, bool Level, bool Vector>
void WalkAny(SoundChannel* ch, int32_t* out, int length, Peaks* pk, bool avx2 = false) {
  const SoundSample* s = ch->sample;
  if (!s || (ch->flags & kChannelPaused) || !ch->data || s->length <= 0) return;
  const bool eight = (s->mode & SoundMode::Pcm8) != 0;
  const bool stereo = (s->mode & SoundMode::Stereo) && !(s->mode & SoundMode::MultiChannel);
  if (eight)
    stereo ? Walk<int8_t, 2, OutCh, Interp, Level, Vector>(ch, out, length, pk, avx2)
           : Walk<int8_t, 1, OutCh, Interp, Level, Vector>(ch, out, length, pk, avx2);
  else
    stereo ? Walk<int16_t, 2, OutCh, Interp, Level, Vector>(ch, out, length, pk, avx2)
           : Walk<int16_t, 1, OutCh, Interp, Level, Vector>(ch, out, length, pk, avx2);
}

template <int OutCh, bool Interp, bool Vector = SOUND_MIX_VECTOR != 0>
void MixList(void* buffer, SoundLink* channels, int length) {
  if (length < 1 || !buffer || !channels) return;
  const bool avx2 = Vector && UseAvx2();
  for (SoundLink* l = channels->next; l && l != channels; l = l->next)
    WalkAny<OutCh, Interp, false, Vector>(SoundChannel_FromLink(l), static_cast<int32_t*>(buffer), length, nullptr,
                                          avx2);
}

inline int16_t Saturate(int32_t v) {
  return static_cast<int16_t>(v > 32767 ? 32767 : v < -32768 ? -32768 : v);
}

}  // namespace

int SoundMix_WidestVector() { return WidestVector(); }

int SoundMix_UseVector(int vector) {
  const int used = vector == kSoundMixSse2 ? kSoundMixSse2 : WidestVector();
  g_vector.store(used, std::memory_order_relaxed);
  return used;
}

void SoundMix_ClearStereo(void* buffer, int length) {
  if (buffer && length > 0) std::memset(buffer, 0, static_cast<size_t>(length) * 8);
}

void SoundMix_ClearMono(void* buffer, int length) {
  if (buffer && length > 0) std::memset(buffer, 0, static_cast<size_t>(length) * 4);
}

void SoundMix_MixStereo(void* buffer, SoundLink* channels, int length) { MixList<2, false>(buffer, channels, length); }
void SoundMix_MixStereoQuality(void* buffer, SoundLink* channels, int length) {
  MixList<2, true>(buffer, channels, length);
}
void SoundMix_MixMono(void* buffer, SoundLink* channels, int length) { MixList<1, false>(buffer, channels, length); }
void SoundMix_MixMonoQuality(void* buffer, SoundLink* channels, int length) {
  MixList<1, true>(buffer, channels, length);
}

void SoundMix_MixStereoScalar(void* buffer, SoundLink* channels, int length) {
  MixList<2, false, false>(buffer, channels, length);
}
void SoundMix_MixStereoQualityScalar(void* buffer, SoundLink* channels, int length) {
  MixList<2, true, false>(buffer, channels, length);
}
void SoundMix_MixMonoScalar(void* buffer, SoundLink* channels, int length) {
  MixList<1, false, false>(buffer, channels, length);
}
void SoundMix_MixMonoQualityScalar(void* buffer, SoundLink* channels, int length) {
  MixList<1, true, false>(buffer, channels, length);
}

void SoundMix_GetLevels(const SoundChannel* channel, int length, int* left, int* right) {
  Peaks pk = {0, 0};
  if (channel && length > 0) {
    SoundChannel copy = *channel;  // the walk must not move the channel
    WalkAny<2, false, true, false>(&copy, nullptr, length, &pk);
  }
  *left = pk.left;
  *right = pk.right;
}

void SoundMix_Clip16Stereo(int16_t* output, const int32_t* accumulators, int frames) {
  if (frames > 0 && frames <= INT32_MAX / 2) SoundMix_Clip16Mono(output, accumulators, frames * 2);
}

void SoundMix_Clip16Mono(int16_t* output, const int32_t* accumulators, int samples) {
  if (!output || !accumulators || samples <= 0) return;
  int i = 0;
#if SOUND_MIX_VECTOR
  // packssdw saturates exactly as Saturate does.
  for (; i + 8 <= samples; i += 8) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(accumulators + i));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(accumulators + i + 4));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(output + i), _mm_packs_epi32(a, b));
  }
#endif
  for (; i < samples; ++i) output[i] = Saturate(accumulators[i]);
}
