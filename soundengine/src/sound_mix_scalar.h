#pragma once
// The mixer's per-sample reference loops: one output sample at a time, plain C++. They
// define what every faster run must produce, and they mix whatever a vector run leaves
// over (the odd frames of a run, the level meter).
#include <cstdint>

namespace soundmix {

struct Peaks {
  int32_t left, right;
};

struct Gains {
  int32_t left, right, mono;
};

// The loops are compiled once per instruction set (sound_mix_avx2.cpp builds them for
// AVX2): each translation unit keeps copies of its own, so the linker never gives the
// plain path a copy built for AVX2.
namespace {

// Both sample widths land on the 16-bit x 256 scale.
template <typename T>
inline int32_t Scale(int32_t source, int32_t gain) {
  return sizeof(T) == 2 ? (source * gain) >> 8 : source * gain;
}

template <typename T, int Stride, bool Interp>
inline int32_t Read(const T* d, int64_t pos, int side) {
  const int64_t i = (pos >> 32) * Stride + side;
  if (!Interp) return d[i];
  const int32_t w = static_cast<int32_t>(static_cast<uint32_t>(pos) >> 17);
  return ((32768 - w) * d[i] + w * d[i + Stride]) >> 15;
}

inline int32_t Abs(int32_t v) { return v < 0 ? -v : v; }

// One output sample: SrcCh 1 reads a mono source (or a channel's own part), 2 a stereo one.
template <typename T, int SrcCh, int OutCh, bool Interp, bool Level>
inline void One(int32_t*& out, const T* d, int64_t& pos, int64_t step, const Gains& g, Peaks* pk) {
  if (SrcCh == 1) {
    const int32_t s = Read<T, 1, Interp>(d, pos, 0);
    if (Level) {
      const int32_t l = Abs(Scale<T>(s, g.left)), r = Abs(Scale<T>(s, g.right));
      if (l > pk->left) pk->left = l;
      if (r > pk->right) pk->right = r;
    } else if (OutCh == 2) {
      out[0] += Scale<T>(s, g.left);
      out[1] += Scale<T>(s, g.right);
    } else {
      out[0] += Scale<T>(s, g.mono);
    }
  } else {
    const int32_t l = Read<T, 2, Interp>(d, pos, 0), r = Read<T, 2, Interp>(d, pos, 1);
    if (Level) {
      const int32_t a = Abs(Scale<T>(l, g.left)), b = Abs(Scale<T>(r, g.right));
      if (a > pk->left) pk->left = a;
      if (b > pk->right) pk->right = b;
    } else if (OutCh == 2) {
      out[0] += Scale<T>(l, g.left);
      out[1] += Scale<T>(r, g.right);
    } else {
      out[0] += Scale<T>((l + r) / 2, g.mono);
    }
  }
  if (!Level) out += OutCh;
  pos += step;
}

template <typename T, int SrcCh, int OutCh, bool Interp, bool Level>
inline void Run(int32_t* out, const T* d, int64_t& pos, int64_t step, int n, const Gains& g, Peaks* pk) {
  if (SrcCh == 1) {  // two per turn for mono sources
    for (; n >= 2; n -= 2) {
      One<T, SrcCh, OutCh, Interp, Level>(out, d, pos, step, g, pk);
      One<T, SrcCh, OutCh, Interp, Level>(out, d, pos, step, g, pk);
    }
  }
  for (; n > 0; --n) One<T, SrcCh, OutCh, Interp, Level>(out, d, pos, step, g, pk);
}

}  // namespace
}  // namespace soundmix
