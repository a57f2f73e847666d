#pragma once
// SSE2 runs of the mixer's inner loops: four output frames per turn. A resampled walk has
// no fixed stride, so the four frames' source is fetched one by one; interpolation, gains
// and the adds into the mix buffer then work on all four at once, with integer steps that
// give bit for bit what the reference loops (sound_mix_scalar.h) give:
// - interpolation ((32768 - w) x a + w x b) >> 15 is taken as ((32767 - w) x a + w x b + a)
//   >> 15, so both weights fit a signed 16-bit lane of pmaddwd;
// - source x gain is pmaddwd of the value (in 16-bit range) with the gain (0..32767) in the
//   low half of a 32-bit lane and 0 in the high half: the full 32-bit product.
// Every x86-64 processor has SSE2.
#include <emmintrin.h>

#include <cstring>

#include "sound_mix_scalar.h"

namespace soundmix {
namespace {  // one copy per translation unit, as in sound_mix_scalar.h

// The vector runs hold gains in signed 16-bit lanes.
inline bool GainsFitVector(const Gains& g, int outCh) {
  auto fits = [](int32_t v) { return v >= 0 && v <= 32767; };
  return outCh == 2 ? fits(g.left) && fits(g.right) : fits(g.mono);
}

template <typename U>
inline U Bits(const void* p) {
  U v;
  std::memcpy(&v, p, sizeof v);  // sources have no alignment
  return v;
}

// The four frames' source units of `Bytes` bytes each, packed in frame order.
template <int Bytes>
inline void Fetch(const uint8_t* p0, const uint8_t* p1, const uint8_t* p2, const uint8_t* p3, __m128i& a, __m128i& b);

template <>
inline void Fetch<1>(const uint8_t* p0, const uint8_t* p1, const uint8_t* p2, const uint8_t* p3, __m128i& a, __m128i&) {
  a = _mm_cvtsi32_si128(static_cast<int>(*p0 | *p1 << 8 | *p2 << 16 | static_cast<uint32_t>(*p3) << 24));
}
template <>
inline void Fetch<2>(const uint8_t* p0, const uint8_t* p1, const uint8_t* p2, const uint8_t* p3, __m128i& a, __m128i&) {
  a = _mm_cvtsi32_si128(Bits<uint16_t>(p0));
  a = _mm_insert_epi16(a, Bits<uint16_t>(p1), 1);
  a = _mm_insert_epi16(a, Bits<uint16_t>(p2), 2);
  a = _mm_insert_epi16(a, Bits<uint16_t>(p3), 3);
}
template <>
inline void Fetch<4>(const uint8_t* p0, const uint8_t* p1, const uint8_t* p2, const uint8_t* p3, __m128i& a, __m128i&) {
  auto q = [](const uint8_t* x) { return _mm_cvtsi32_si128(static_cast<int>(Bits<uint32_t>(x))); };
  a = _mm_unpacklo_epi64(_mm_unpacklo_epi32(q(p0), q(p1)), _mm_unpacklo_epi32(q(p2), q(p3)));
}
template <>
inline void Fetch<8>(const uint8_t* p0, const uint8_t* p1, const uint8_t* p2, const uint8_t* p3, __m128i& a, __m128i& b) {
  auto q = [](const uint8_t* x) { return _mm_cvtsi64_si128(static_cast<long long>(Bits<uint64_t>(x))); };
  a = _mm_unpacklo_epi64(q(p0), q(p1));
  b = _mm_unpacklo_epi64(q(p2), q(p3));
}

// Signed 16-bit lanes of the low 8 (lo) and high 8 (hi) signed bytes.
inline __m128i WidenLo8(__m128i v) { return _mm_srai_epi16(_mm_unpacklo_epi8(v, v), 8); }
inline __m128i WidenHi8(__m128i v) { return _mm_srai_epi16(_mm_unpackhi_epi8(v, v), 8); }
// The signed low 16 bits of each 32-bit lane.
inline __m128i LowHalf(__m128i v) { return _mm_srai_epi32(_mm_slli_epi32(v, 16), 16); }

// Interpolated values of 32-bit lanes that hold (next << 16 | this) as 16-bit halves, with
// weight lanes of (w << 16 | 32767 - w).
inline __m128i Lerp(__m128i pairs, __m128i weights) {
  return _mm_srai_epi32(_mm_add_epi32(_mm_madd_epi16(pairs, weights), LowHalf(pairs)), 15);
}

template <typename T>
inline __m128i ScaleGain(__m128i values, __m128i gains) {
  const __m128i p = _mm_madd_epi16(values, gains);
  return sizeof(T) == 2 ? _mm_srai_epi32(p, 8) : p;
}

inline void AddTo(int32_t* out, __m128i v) {
  __m128i* o = reinterpret_cast<__m128i*>(out);
  _mm_storeu_si128(o, _mm_add_epi32(_mm_loadu_si128(o), v));
}

// Mixes n output frames from pos on (the caller has checked GainsFitVector).
template <typename T, int SrcCh, int OutCh, bool Interp>
inline void RunSse2(int32_t* out, const T* d, int64_t& pos, int64_t step, int n, const Gains& g) {
  constexpr int kUnit = SrcCh * (Interp ? 2 : 1) * static_cast<int>(sizeof(T));  // source bytes per frame
  const __m128i gains = OutCh == 2 ? _mm_setr_epi32(g.left, g.right, g.left, g.right) : _mm_set1_epi32(g.mono);
  const uint32_t s32 = static_cast<uint32_t>(step);
  const uint32_t p32 = static_cast<uint32_t>(pos);
  // The position's low word is its fraction, which advances on its own modulo 2^32.
  __m128i frac = _mm_setr_epi32(static_cast<int>(p32), static_cast<int>(p32 + s32), static_cast<int>(p32 + 2 * s32),
                                static_cast<int>(p32 + 3 * s32));
  const __m128i frac4 = _mm_set1_epi32(static_cast<int>(4 * s32));
  const __m128i top = _mm_set1_epi32(32767);
  const __m128i ones = _mm_set1_epi16(1);
  int64_t at = pos;
  const auto source = [d](int64_t x) { return reinterpret_cast<const uint8_t*>(d + (x >> 32) * SrcCh); };
  for (; n >= 4; n -= 4, at += 4 * step) {
    __m128i a, b = _mm_setzero_si128();
    Fetch<kUnit>(source(at), source(at + step), source(at + 2 * step), source(at + 3 * step), a, b);
    __m128i weights = _mm_setzero_si128();
    if (Interp) {
      const __m128i w = _mm_srli_epi32(frac, 17);
      weights = _mm_add_epi32(_mm_slli_epi32(w, 16), _mm_sub_epi32(top, w));
      frac = _mm_add_epi32(frac, frac4);
    }
    if (sizeof(T) == 1) {  // to 16-bit lanes
      if (kUnit == 4) b = WidenHi8(a);
      a = WidenLo8(a);
    }
    if (SrcCh == 1) {
      // Four values in 32-bit lanes.
      const __m128i v = Interp ? Lerp(a, weights) : _mm_srai_epi32(_mm_unpacklo_epi16(a, a), 16);
      if (OutCh == 2) {
        AddTo(out, ScaleGain<T>(_mm_shuffle_epi32(v, _MM_SHUFFLE(1, 1, 0, 0)), gains));
        AddTo(out + 4, ScaleGain<T>(_mm_shuffle_epi32(v, _MM_SHUFFLE(3, 3, 2, 2)), gains));
      } else {
        AddTo(out, ScaleGain<T>(v, gains));
      }
    } else {
      // Left, right pairs of frames 0 and 1 (v01) and 2 and 3 (v23).
      __m128i v01, v23;
      if (Interp) {
        // Each frame's (l, r, next l, next r) to (l, next l, r, next r).
        const auto pairUp = [](__m128i x) {
          return _mm_shufflehi_epi16(_mm_shufflelo_epi16(x, _MM_SHUFFLE(3, 1, 2, 0)), _MM_SHUFFLE(3, 1, 2, 0));
        };
        v01 = Lerp(pairUp(a), _mm_shuffle_epi32(weights, _MM_SHUFFLE(1, 1, 0, 0)));
        v23 = Lerp(pairUp(b), _mm_shuffle_epi32(weights, _MM_SHUFFLE(3, 3, 2, 2)));
      } else {
        v01 = _mm_srai_epi32(_mm_unpacklo_epi16(a, a), 16);
        v23 = _mm_srai_epi32(_mm_unpackhi_epi16(a, a), 16);
      }
      if (OutCh == 2) {
        AddTo(out, ScaleGain<T>(v01, gains));
        AddTo(out + 4, ScaleGain<T>(v23, gains));
      } else {
        // (l + r) / 2, rounded toward zero as C divides.
        const __m128i sum = _mm_madd_epi16(Interp ? _mm_packs_epi32(v01, v23) : a, ones);
        const __m128i half = _mm_srai_epi32(_mm_add_epi32(sum, _mm_srli_epi32(sum, 31)), 1);
        AddTo(out, ScaleGain<T>(half, gains));
      }
    }
    out += 4 * OutCh;
  }
  pos = at;
  Run<T, SrcCh, OutCh, Interp, false>(out, d, pos, step, n, g, nullptr);
}

}  // namespace
}  // namespace soundmix
