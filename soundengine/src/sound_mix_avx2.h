#pragma once
// AVX2 runs of the mixer's inner loops (sound_mix_avx2.cpp, the one file built for AVX2):
// eight output frames per turn, the same output as the reference loops bit for bit. Only
// called where the processor and the system run AVX2; the caller has checked GainsFitVector.
#include <cstdint>

#include "sound_mix_scalar.h"

namespace soundmix {

template <typename T, int SrcCh, int OutCh, bool Interp>
void RunAvx2(int32_t* out, const T* d, int64_t& pos, int64_t step, int n, const Gains& g);

}  // namespace soundmix
