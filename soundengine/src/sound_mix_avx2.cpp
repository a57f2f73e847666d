// AVX2 runs of the mixer's inner loops: eight output frames per turn. A resampled walk has
// no fixed stride: a plain forward run at up to two source frames per output frame picks its
// frames out of one or two loaded windows, elsewhere each frame's source is loaded on its
// own (on the processors measured, AMD EPYC, AVX2 gathers made these loops slower than the
// SSE2 ones). The integer steps are the SSE2 runs' (sound_mix_sse2.h) on twice the lanes,
// so the output is the reference loops' bit for bit. Built with -mavx2, and with aligned
// vector moves assembled as unaligned ones: Windows x64 aligns the stack to 16 bytes only,
// which GCC does not honour for spilled 256-bit values. Nothing here runs unless the
// processor and the system have AVX2 (sound_mix.cpp checks).
#include "sound_mix_avx2.h"

#include <immintrin.h>

#include "sound_mix_sse2.h"

namespace soundmix {
namespace {

inline __m256i Lerp8(__m256i pairs, __m256i weights) {
  const __m256i low = _mm256_srai_epi32(_mm256_slli_epi32(pairs, 16), 16);
  return _mm256_srai_epi32(_mm256_add_epi32(_mm256_madd_epi16(pairs, weights), low), 15);
}

template <typename T>
inline __m256i ScaleGain8(__m256i values, __m256i gains) {
  const __m256i p = _mm256_madd_epi16(values, gains);
  return sizeof(T) == 2 ? _mm256_srai_epi32(p, 8) : p;
}

inline void AddTo8(int32_t* out, __m256i v) {
  __m256i* o = reinterpret_cast<__m256i*>(out);
  _mm256_storeu_si256(o, _mm256_add_epi32(_mm256_loadu_si256(o), v));
}

// Per 32-bit lane of 4 source bytes, the signed bytes `first` and `second` as the low and
// high 16-bit halves.
inline __m256i BytePairs(__m256i v, char first, char second) {
  const char z = static_cast<char>(0x80);  // pshufb: a zero byte
  const __m256i pick = _mm256_setr_epi8(z, first, z, second, z, char(first + 4), z, char(second + 4),  //
                                        z, char(first + 8), z, char(second + 8), z, char(first + 12), z,
                                        char(second + 12),  //
                                        z, first, z, second, z, char(first + 4), z, char(second + 4),  //
                                        z, char(first + 8), z, char(second + 8), z, char(first + 12), z,
                                        char(second + 12));
  return _mm256_srai_epi16(_mm256_shuffle_epi8(v, pick), 8);
}

// Each of a stereo 8-bit frame's lane of bytes (l, r, next l, next r), doubled by the
// caller into two lanes, as (l, next l) in the first lane and (r, next r) in the second.
inline __m256i StereoBytePairs(__m256i doubled) {
  const char z = static_cast<char>(0x80);
  const __m256i pick = _mm256_setr_epi8(z, 0, z, 2, z, 5, z, 7, z, 8, z, 10, z, 13, z, 15,  //
                                        z, 0, z, 2, z, 5, z, 7, z, 8, z, 10, z, 13, z, 15);
  return _mm256_srai_epi16(_mm256_shuffle_epi8(doubled, pick), 8);
}

// The eight frames' source units of `Bytes` bytes (what the reference loops read of a
// frame), one 32-bit lane each, or for 8 bytes one 64-bit lane each in two halves.
template <int Bytes, int FrameBytes>
struct Sources {
  const uint8_t* base;
  int64_t step;

  const uint8_t* At(int64_t x) const { return base + (x >> 32) * FrameBytes; }
  int Unit(int64_t x) const {
    const uint8_t* p = At(x);
    return Bytes == 1 ? *p : Bytes == 2 ? Bits<uint16_t>(p) : static_cast<int>(Bits<uint32_t>(p));
  }
  __m256i Units(int64_t at) const {
    auto u = [&](int k) { return Unit(at + k * step); };
    return _mm256_setr_epi32(u(0), u(1), u(2), u(3), u(4), u(5), u(6), u(7));
  }
  void Units(int64_t at, __m256i& a, __m256i& b) const {
    auto u = [&](int k) { return static_cast<long long>(Bits<uint64_t>(At(at + k * step))); };
    a = _mm256_setr_epi64x(u(0), u(1), u(2), u(3));
    b = _mm256_setr_epi64x(u(4), u(5), u(6), u(7));
  }
};

// Eight consecutive frames from `first` on, as the lanes the loops work on: a mono frame's
// value, a stereo frame's (l, r) as 16-bit halves.
template <typename T, int SrcCh>
inline __m256i Window(const T* d, int first) {
  const auto* p = reinterpret_cast<const __m128i*>(d + first * SrcCh);
  if (SrcCh == 2 && sizeof(T) == 2) return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
  if (SrcCh == 2) return _mm256_cvtepi8_epi16(_mm_loadu_si128(p));
  if (sizeof(T) == 2) return _mm256_cvtepi16_epi32(_mm_loadu_si128(p));
  return _mm256_cvtepi8_epi32(_mm_loadl_epi64(p));
}

// Lanes 0-3 and 4-7 each twice. (Functions, not constants: nothing built for AVX2 may run
// while the program starts.)
inline __m256i FirstHalf() { return _mm256_setr_epi32(0, 0, 1, 1, 2, 2, 3, 3); }
inline __m256i SecondHalf() { return _mm256_setr_epi32(4, 4, 5, 5, 6, 6, 7, 7); }

// Adds eight frames' values to the mix: a mono source's in v (one 32-bit lane each); a
// stereo source's (l, r) 16-bit halves in v, or interpolating, frames 0-3 in a and 4-7 in b
// as (l, next l) and (r, next r) lanes.
template <typename T, int SrcCh, int OutCh, bool Interp>
inline void Mix8(int32_t* out, __m256i v, __m256i a, __m256i b, __m256i weights, __m256i gains) {
  const __m256i ones = _mm256_set1_epi16(1);
  if (SrcCh == 1) {
    if (Interp) v = Lerp8(v, weights);
    if (OutCh == 2) {
      AddTo8(out, ScaleGain8<T>(_mm256_permutevar8x32_epi32(v, FirstHalf()), gains));
      AddTo8(out + 8, ScaleGain8<T>(_mm256_permutevar8x32_epi32(v, SecondHalf()), gains));
    } else {
      AddTo8(out, ScaleGain8<T>(v, gains));
    }
  } else if (!Interp) {
    if (OutCh == 2) {
      const __m256i lo = _mm256_srai_epi32(_mm256_unpacklo_epi16(v, v), 16);  // frames 0, 1 | 4, 5
      const __m256i hi = _mm256_srai_epi32(_mm256_unpackhi_epi16(v, v), 16);  // frames 2, 3 | 6, 7
      AddTo8(out, ScaleGain8<T>(_mm256_permute2x128_si256(lo, hi, 0x20), gains));
      AddTo8(out + 8, ScaleGain8<T>(_mm256_permute2x128_si256(lo, hi, 0x31), gains));
    } else {
      // (l + r) / 2, rounded toward zero as C divides.
      const __m256i sum = _mm256_madd_epi16(v, ones);
      const __m256i half = _mm256_srai_epi32(_mm256_add_epi32(sum, _mm256_srli_epi32(sum, 31)), 1);
      AddTo8(out, ScaleGain8<T>(half, gains));
    }
  } else {
    const __m256i va = Lerp8(a, _mm256_permutevar8x32_epi32(weights, FirstHalf()));  // l0 r0 l1 r1 | l2 r2 l3 r3
    const __m256i vb = Lerp8(b, _mm256_permutevar8x32_epi32(weights, SecondHalf()));
    if (OutCh == 2) {
      AddTo8(out, ScaleGain8<T>(va, gains));
      AddTo8(out + 8, ScaleGain8<T>(vb, gains));
    } else {
      // l + r of frames 0 1 4 5 | 2 3 6 7, put in order.
      const __m256i sums = _mm256_madd_epi16(_mm256_packs_epi32(va, vb), ones);
      const __m256i sum = _mm256_permute4x64_epi64(sums, _MM_SHUFFLE(3, 1, 2, 0));
      const __m256i half = _mm256_srai_epi32(_mm256_add_epi32(sum, _mm256_srli_epi32(sum, 31)), 1);
      AddTo8(out, ScaleGain8<T>(half, gains));
    }
  }
}

// Where output frames find their source in a window that starts at the first one's frame,
// for lanes that stand for frames `frames` (lane 0 for frame 0): k x step's whole part,
// plus one where adding k x step's fraction to the first frame's fraction carries, that is
// where lane k's fraction is below the first's. Fractions are kept with the top bit
// flipped, so a signed compare orders them as unsigned.
struct WindowPlaces {
  __m256i fractions, wholes, advance;

  WindowPlaces(int64_t at, int64_t step, __m256i frames) {
    alignas(32) int32_t k[8], f[8], w[8];
    _mm256_store_si256(reinterpret_cast<__m256i*>(k), frames);
    for (int i = 0; i < 8; ++i) {
      const int64_t offset = k[i] * step;
      f[i] = static_cast<int32_t>((static_cast<uint32_t>(at) + static_cast<uint32_t>(offset)) ^ 0x80000000u);
      w[i] = static_cast<int32_t>(offset >> 32);
    }
    fractions = _mm256_load_si256(reinterpret_cast<const __m256i*>(f));
    wholes = _mm256_load_si256(reinterpret_cast<const __m256i*>(w));
    advance = _mm256_set1_epi32(static_cast<int32_t>(8 * static_cast<uint32_t>(step)));
  }
  // This turn's places; then on to the next eight frames.
  __m256i Next() {
    const __m256i first = _mm256_broadcastd_epi32(_mm256_castsi256_si128(fractions));
    const __m256i places = _mm256_sub_epi32(wholes, _mm256_cmpgt_epi32(first, fractions));
    fractions = _mm256_add_epi32(fractions, advance);
    return places;
  }
};

// The values at `places` of a window of eight frames, or of sixteen (w0 and w1) when the
// run takes more than one source frame per output frame.
inline __m256i Pick(__m256i w0, __m256i w1, __m256i places, bool wide) {
  const __m256i low = _mm256_permutevar8x32_epi32(w0, places);
  if (!wide) return low;
  const __m256i high = _mm256_permutevar8x32_epi32(w1, places);
  return _mm256_blendv_epi8(low, high, _mm256_cmpgt_epi32(places, _mm256_set1_epi32(7)));
}

// A plain forward run at up to two source frames per output frame finds each turn's eight
// frames among eight (or sixteen) consecutive ones: one or two loads and permutes instead
// of eight loads, for as long as the window stays inside what the run reads (its frames up
// to `lastIndex`). Leaves `at`, `out` and `n` where it stopped.
template <typename T, int SrcCh, int OutCh>
inline void WindowedTurns(int32_t*& out, const T* d, int64_t& at, int64_t step, int& n, int64_t lastIndex,
                          __m256i gains) {
  // A mono source into stereo wants each frame twice: picked in the order 0 1 4 5 | 2 3 6 7,
  // in-lane unpacks then give frames 0-3 and 4-7 doubled, in order (cheaper than the
  // lane-crossing permutes Mix8 uses).
  constexpr bool doubled = SrcCh == 1 && OutCh == 2;
  const bool wide = step > (int64_t{1} << 32);
  const int64_t span = wide ? 15 : 7;
  WindowPlaces places(at, step, doubled ? _mm256_setr_epi32(0, 1, 4, 5, 2, 3, 6, 7)
                                        : _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
  const __m256i none = _mm256_setzero_si256();
  for (; n >= 8 && (at >> 32) + span <= lastIndex; n -= 8, at += 8 * step) {
    const T* window = d + (at >> 32) * SrcCh;
    const __m256i w0 = Window<T, SrcCh>(window, 0), w1 = wide ? Window<T, SrcCh>(window, 8) : none;
    const __m256i v = Pick(w0, w1, places.Next(), wide);
    if (doubled) {
      AddTo8(out, ScaleGain8<T>(_mm256_unpacklo_epi32(v, v), gains));
      AddTo8(out + 8, ScaleGain8<T>(_mm256_unpackhi_epi32(v, v), gains));
    } else {
      Mix8<T, SrcCh, OutCh, false>(out, v, none, none, none, gains);
    }
    out += 8 * OutCh;
  }
}

template <typename T, int SrcCh, int OutCh, bool Interp>
inline void Run8(int32_t* out, const T* d, int64_t& pos, int64_t step, int n, const Gains& g) {
  constexpr int kFrameBytes = SrcCh * static_cast<int>(sizeof(T));
  constexpr int kUnitBytes = kFrameBytes * (Interp ? 2 : 1);
  const __m256i gains = OutCh == 2 ? _mm256_setr_epi32(g.left, g.right, g.left, g.right, g.left, g.right, g.left,
                                                       g.right)
                                   : _mm256_set1_epi32(g.mono);
  int64_t at = pos;
  if (!Interp && step > 0 && step <= (int64_t{2} << 32) && n >= 8)
    WindowedTurns<T, SrcCh, OutCh>(out, d, at, step, n, (pos + (n - 1) * step) >> 32, gains);
  // Elsewhere (and for interpolating reads: a window for them measured slower than the
  // loads) each frame is loaded on its own.
  const Sources<kUnitBytes, kFrameBytes> source = {reinterpret_cast<const uint8_t*>(d), step};
  // The position's low word is its fraction, which advances on its own modulo 2^32.
  const uint32_t s32 = static_cast<uint32_t>(step), p32 = static_cast<uint32_t>(at);
  __m256i frac = _mm256_add_epi32(_mm256_set1_epi32(static_cast<int>(p32)),
                                  _mm256_mullo_epi32(_mm256_set1_epi32(static_cast<int>(s32)),
                                                     _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7)));
  const __m256i frac8 = _mm256_set1_epi32(static_cast<int>(8 * s32));
  const __m256i top = _mm256_set1_epi32(32767);
  for (; n >= 8; n -= 8, at += 8 * step) {
    __m256i weights = _mm256_setzero_si256();
    if (Interp) {
      const __m256i w = _mm256_srli_epi32(frac, 17);
      weights = _mm256_add_epi32(_mm256_slli_epi32(w, 16), _mm256_sub_epi32(top, w));
      frac = _mm256_add_epi32(frac, frac8);
    }
    __m256i v = _mm256_setzero_si256(), a = v, b = v;
    if (SrcCh == 1) {
      v = source.Units(at);
      if (sizeof(T) == 1)
        v = Interp ? BytePairs(v, 0, 1) : _mm256_srai_epi32(_mm256_slli_epi32(v, 24), 24);
      else if (!Interp)
        v = _mm256_srai_epi32(_mm256_slli_epi32(v, 16), 16);
    } else if (!Interp) {
      v = source.Units(at);
      if (sizeof(T) == 1) v = BytePairs(v, 0, 1);
    } else if (sizeof(T) == 2) {
      const auto pairUp = [](__m256i x) {  // each frame's (l, r, next l, next r) to (l, next l, r, next r)
        return _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(x, _MM_SHUFFLE(3, 1, 2, 0)), _MM_SHUFFLE(3, 1, 2, 0));
      };
      source.Units(at, a, b);
      a = pairUp(a);
      b = pairUp(b);
    } else {
      v = source.Units(at);
      a = StereoBytePairs(_mm256_permutevar8x32_epi32(v, FirstHalf()));
      b = StereoBytePairs(_mm256_permutevar8x32_epi32(v, SecondHalf()));
    }
    Mix8<T, SrcCh, OutCh, Interp>(out, v, a, b, weights, gains);
    out += 8 * OutCh;
  }
  pos = at;
  RunSse2<T, SrcCh, OutCh, Interp>(out, d, pos, step, n, g);
}

}  // namespace

template <typename T, int SrcCh, int OutCh, bool Interp>
void RunAvx2(int32_t* out, const T* d, int64_t& pos, int64_t step, int n, const Gains& g) {
  Run8<T, SrcCh, OutCh, Interp>(out, d, pos, step, n, g);
}

// Every layout the mixer walks.
#define SOUND_MIX_AVX2_RUNS(T)                                                                  \
  template void RunAvx2<T, 1, 1, false>(int32_t*, const T*, int64_t&, int64_t, int, const Gains&); \
  template void RunAvx2<T, 1, 1, true>(int32_t*, const T*, int64_t&, int64_t, int, const Gains&);  \
  template void RunAvx2<T, 1, 2, false>(int32_t*, const T*, int64_t&, int64_t, int, const Gains&); \
  template void RunAvx2<T, 1, 2, true>(int32_t*, const T*, int64_t&, int64_t, int, const Gains&);  \
  template void RunAvx2<T, 2, 1, false>(int32_t*, const T*, int64_t&, int64_t, int, const Gains&); \
  template void RunAvx2<T, 2, 1, true>(int32_t*, const T*, int64_t&, int64_t, int, const Gains&);  \
  template void RunAvx2<T, 2, 2, false>(int32_t*, const T*, int64_t&, int64_t, int, const Gains&); \
  template void RunAvx2<T, 2, 2, true>(int32_t*, const T*, int64_t&, int64_t, int, const Gains&);
SOUND_MIX_AVX2_RUNS(int8_t)
SOUND_MIX_AVX2_RUNS(int16_t)
#undef SOUND_MIX_AVX2_RUNS

}  // namespace soundmix
