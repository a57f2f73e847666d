#include "Mp3Filterbank.h"

#include "Mp3CodeTables.h"

#include <cmath>
#include <cstdlib>

using namespace mp3;

namespace {

// Matrixing cosines are held in units of 1/1024.
constexpr int32_t kCosineOne = 1024;
// MDCT coefficients are held in units of 2^-18; a line at shift s is the MDCT sum shifted
// right by s + kLineShiftBase, which makes a line at shift 14 the decoder's value x 2^17.
constexpr int kMdctFraction = 18;
constexpr int kLineShiftBase = kMdctFraction - 2;
constexpr int kFirstShift = 14;
constexpr int kSilentShift = 31;
// Alias-reduction coefficients are Q15.
constexpr int kAliasFraction = 15;

struct Tables {
    // Cosines of the 32-point matrixing's odd halves, sizes 1, 2, 4, 8 and 16 by log2:
    // [k * size + m] = cos((2k + 1)(2m + 1) pi / (4 size)).
    int32_t oddHalf[5][16 * 16];
    // Sine window times the MDCT cosine, scaled by 1/9 so that the decoder's inverse
    // transform gives back the subband samples: [line][sample].
    int32_t mdct[kLinesPerSubband][2 * kLinesPerSubband];
    int32_t cs[8];
    int32_t ca[8];
};

Tables MakeTables() {
    const double pi = std::acos(-1.0);
    Tables t{};
    for (int log = 0; log < 5; ++log) {
        const int size = 1 << log;
        for (int k = 0; k < size; ++k)
            for (int m = 0; m < size; ++m)
                t.oddHalf[log][k * size + m] =
                    static_cast<int32_t>(std::lround(kCosineOne * std::cos((2 * k + 1) * (2 * m + 1) * pi / (4 * size))));
    }
    for (int k = 0; k < kLinesPerSubband; ++k)
        for (int n = 0; n < 2 * kLinesPerSubband; ++n) {
            const double window = std::sin(pi * (n + 0.5) / 36);
            const double basis = std::cos(pi / 72 * (2 * n + 19) * (2 * k + 1));
            t.mdct[k][n] = static_cast<int32_t>(std::lround(window * basis / 9 * (1 << kMdctFraction)));
        }
    const double c[8] = {-0.6, -0.535, -0.33, -0.185, -0.095, -0.041, -0.0142, -0.0037};
    for (int i = 0; i < 8; ++i) {
        const double norm = std::sqrt(1 + c[i] * c[i]);
        t.cs[i] = static_cast<int32_t>(std::lround((1 << kAliasFraction) / norm));
        t.ca[i] = static_cast<int32_t>(std::lround((1 << kAliasFraction) * c[i] / norm));
    }
    return t;
}

const Tables& GetTables() {
    static const Tables tables = MakeTables();
    return tables;
}

// A product of the matrixing: the operand rounded to 2^9 times a cosine in 1/1024.
inline int32_t Mul(int32_t x, int32_t cosine) { return ((x + 256) >> 9) * cosine; }

int Log2(int size) { return size >= 16 ? 4 : size >= 8 ? 3 : size >= 4 ? 2 : size >= 2 ? 1 : 0; }

// out[k] = sum of in[n] cos((2k + 1) n pi / (2 size)): even inputs recurse, odd inputs
// form a transform of half the size whose outputs add to the first half and subtract
// from the second.
void Matrix(const int32_t* in, int size, int32_t* out) {
    if (size == 1) {
        out[0] = Mul(in[0], kCosineOne);
        return;
    }
    const int half = size / 2;
    int32_t even[16] = {}, odd[16] = {}, evenOut[16];
    for (int m = 0; m < half; ++m) {
        even[m] = in[2 * m];
        odd[m] = in[2 * m + 1];
    }
    Matrix(even, half, evenOut);
    const int32_t* cosines = GetTables().oddHalf[Log2(half)];
    for (int k = 0; k < half; ++k) {
        int64_t sum = 0;
        for (int m = 0; m < half; ++m) sum += Mul(odd[m], cosines[k * half + m]);
        out[k] = static_cast<int32_t>(evenOut[k] + sum);
        out[size - 1 - k] = static_cast<int32_t>(evenOut[k] - sum);
    }
}

// One step of the polyphase filterbank over 512 samples (oldest first): 32 subband
// samples in units of 2^-29 of full scale.
void Polyphase(const int16_t* samples, int32_t* subbands) {
    int32_t y[64];
    for (int i = 0; i < 64; ++i) {
        int64_t sum = 0;
        for (int j = 0; j < 8; ++j) sum += int64_t{kMp3AnalysisWindow[i + 64 * j]} * samples[511 - i - 64 * j];
        y[i] = static_cast<int32_t>((sum + 128) >> 8);
    }
    // The 64-point matrixing folds into a 32-point one: cos((2k + 1)(i - 16) pi / 64) is
    // even about i = 16 and odd about i = 48.
    int32_t folded[32];
    folded[0] = y[16];
    for (int n = 1; n <= 16; ++n) folded[n] = y[16 + n] + y[16 - n];
    for (int n = 17; n < 32; ++n) folded[n] = y[16 + n] - y[80 - n];
    Matrix(folded, 32, subbands);
}

inline int32_t ShiftRound(int64_t value, int shift) {
    return static_cast<int32_t>((value + (int64_t{1} << (shift - 1))) >> shift);
}

}  // namespace

void Mp3Filterbank::Reset() {
    for (auto& subband : previous_)
        for (auto& sample : subband) sample = 0;
}

void Mp3Filterbank::Analyse(const int16_t* samples, int codedSubbands, Granule* out) {
    const Tables& tables = GetTables();
    int32_t subbands[kLinesPerSubband][kSubbands];
    for (int t = 0; t < kLinesPerSubband; ++t) {
        Polyphase(samples + 32 * t, subbands[t]);
        // The decoder inverts the odd subbands' spectra; undo that here.
        if (t % 2 == 1)
            for (int sb = 1; sb < kSubbands; sb += 2) subbands[t][sb] = -subbands[t][sb];
    }

    int64_t sums[kLinesPerGranule] = {};
    int64_t largest = 0;
    for (int sb = 0; sb < codedSubbands; ++sb) {
        int32_t z[2 * kLinesPerSubband];
        for (int n = 0; n < kLinesPerSubband; ++n) {
            z[n] = previous_[sb][n];
            z[kLinesPerSubband + n] = subbands[n][sb];
        }
        for (int k = 0; k < kLinesPerSubband; ++k) {
            int64_t sum = 0;
            for (int n = 0; n < 2 * kLinesPerSubband; ++n) sum += int64_t{z[n]} * tables.mdct[k][n];
            sums[sb * kLinesPerSubband + k] = sum;
            const int64_t magnitude = sum < 0 ? -sum : sum;
            if (magnitude > largest) largest = magnitude;
        }
    }
    for (int sb = 0; sb < kSubbands; ++sb)
        for (int n = 0; n < kLinesPerSubband; ++n) previous_[sb][n] = subbands[n][sb];

    // Quiet granules are taken again with a smaller shift, so that their peak lies near the
    // top of the quantiser's range.
    int shift = kFirstShift;
    const int64_t peak14 = ShiftRound(largest, kFirstShift + kLineShiftBase);
    if (peak14 == 0) {
        shift = kSilentShift;
    } else if (peak14 < kFullScalePeak) {
        int j = 0;
        while ((peak14 << j) < kFullScalePeak) ++j;
        shift = 12 - j;
        if (shift < 0) shift = kSilentShift;
    }
    out->blockScale = 4 * (kFirstShift - shift);
    for (int i = 0; i < kLinesPerGranule; ++i) out->lines[i] = ShiftRound(sums[i], shift + kLineShiftBase);

    for (int sb = 1; sb < codedSubbands; ++sb) {
        for (int i = 0; i < 8; ++i) {
            int32_t& upper = out->lines[sb * kLinesPerSubband - 1 - i];
            int32_t& lower = out->lines[sb * kLinesPerSubband + i];
            const int64_t u = upper, d = lower;
            upper = static_cast<int32_t>((u * tables.cs[i] + d * tables.ca[i] + (1 << 14)) >> kAliasFraction);
            lower = static_cast<int32_t>((d * tables.cs[i] - u * tables.ca[i] + (1 << 14)) >> kAliasFraction);
        }
    }
    int32_t peak = 0;
    for (int i = 0; i < codedSubbands * kLinesPerSubband; ++i) {
        const int32_t magnitude = std::abs(out->lines[i]);
        if (magnitude > peak) peak = magnitude;
    }
    out->peak = peak;
}
