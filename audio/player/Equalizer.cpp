#include "Equalizer.h"

#include <algorithm>
#include <cmath>

namespace {
// The design's own constant, not 2 pi.
constexpr double kTwoPi = 6.28318;
constexpr int32_t kInputTarget = 8192;
constexpr int32_t kFeedbackLimit = 16383;
// Coefficient searches end here: a coefficient that never reaches its range silences the band.
constexpr int kMaxSearchShift = 30;
constexpr int32_t kSilenceLevel = 31;

int32_t Shift(int32_t y, int32_t shift) { return y >> std::min(shift, 31); }

int16_t Clip(int32_t v) { return static_cast<int16_t>(std::clamp(v, -32768, 32767)); }

int32_t Output(int32_t sum, int32_t x) {
    int32_t out = sum + (x >> 2);
    return Clip(out + (out >> 2));
}
}  // namespace

void Equalizer::Design(int32_t rate) {
    rate_ = rate;
    for (Band& band : bands_) {
        if (band.cachedGain != 0) {
            band.cachedGain = 0;
            band.g1 = band.g2 = kSilentShift;
        }
    }
    for (int k = 0; k < kBands; ++k) {
        Band& band = bands_[k];
        band.centreHz = kBandHz[k];
        band.usable = false;
        band.g1 = band.g2 = kSilentShift;
        if (rate <= 0 || band.centreHz * 2 >= rate) continue;
        const double f = band.centreHz;
        const double w = f * kTwoPi / rate;
        const double q = 2.0 / (0.8 - f * 2.0e-5);
        const double tn = std::tan(w / q);
        if (1 + tn == 0) continue;
        const double alpha = (1 - tn) / (1 + tn);
        const double c = (0.5 - alpha * 0.5) * 32768;
        const double d = (alpha + 1) * 0.5 * std::cos(w) * 65536;
        int i = 0;
        while (i <= kMaxSearchShift && static_cast<int32_t>(c * std::ldexp(1.0, i)) < kInputTarget) ++i;
        int j = 0;
        while (j <= kMaxSearchShift && static_cast<int32_t>(d / std::ldexp(1.0, j)) > kFeedbackLimit) ++j;
        if (i > kMaxSearchShift || j > kMaxSearchShift) continue;
        band.a = static_cast<int32_t>(c * std::ldexp(1.0, i));
        band.aShift = i;
        band.b = static_cast<int32_t>(d / std::ldexp(1.0, j));
        band.bShift = 15 - j;
        band.usable = true;
        // A redesign brings the band's gain back with the next load.
        band.cachedGain = -1;
    }
    x_[0] = x_[1] = 0;
    for (Band& band : bands_) band.y[0] = band.y[1] = 0;
    silenceCount_ = switchCount_ = 0;
    t_ = 0;
    u_ = 1;
    // 100 ms, without the product that a damaged rate would overflow.
    silenceLimit_ = switchLimit_ = rate / 10;
    primaryLeft_ = true;
    designed_ = true;
}

void Equalizer::GainShifts(int32_t v, int32_t* g1, int32_t* g2) {
    *g1 = *g2 = kSilentShift;
    int p = 30;
    while (p >= 0 && !(v & (1 << p))) --p;
    if (p < 0) return;
    int q = p - 1;
    while (q >= 0 && !(v & (1 << q))) --q;
    *g1 = 25 - p;
    if (q < 0) return;
    if (q == 0 || !(v & (1 << (q - 1)))) {
        *g2 = 25 - q;
    } else if (q == p - 1) {
        // The top three bits set: the value rounds up to the next power of two.
        *g1 = 25 - (p + 1);
    } else {
        *g2 = 25 - (q + 1);
    }
}

void Equalizer::LoadGains(const int32_t (&settings)[kBands]) {
    for (int k = 0; k < kBands; ++k) {
        Band& band = bands_[k];
        const int32_t s = std::clamp(settings[k], -kMaxGain, kMaxGain);
        const int32_t m = (s + kMaxGain) * 20480 / (2 * kMaxGain);
        if (m == band.cachedGain) continue;
        band.cachedGain = m;
        if (!band.usable) continue;
        const int32_t v = (m * 31 + ((m * m) >> 10)) >> 10;
        GainShifts(v, &band.g1, &band.g2);
    }
}

bool Equalizer::SilenceBypass(int32_t x) {
    if (x >= -kSilenceLevel && x <= kSilenceLevel) {
        if (silenceCount_ > silenceLimit_) return true;
        ++silenceCount_;
    } else {
        silenceCount_ = 0;
    }
    return false;
}

int32_t Equalizer::BandSum(int32_t x, const int32_t* other, int32_t* secondary) {
    int32_t sum = 0;
    for (Band& band : bands_) {
        if (band.g1 > 24) continue;
        const int32_t y1 = band.y[u_], y2 = band.y[t_], x2 = x_[t_];
        const int32_t feedback = band.bShift > 0 ? (y1 + (1 << (band.bShift - 1))) >> band.bShift : y1;
        // 32-bit filter state as designed; the products are formed wider so loud input wraps
        // the state instead of overflowing.
        const int64_t input = static_cast<int64_t>(band.a) * ((y2 >> 14) + x - x2);
        const int32_t y = static_cast<int32_t>(static_cast<int64_t>(feedback) * band.b + (input >> band.aShift) - y2);
        band.y[t_] = y;
        const int32_t contribution = Shift(y, band.g1) + Shift(y, band.g2);
        sum += contribution;
        if (secondary)
            *secondary += contribution - static_cast<int32_t>((static_cast<int64_t>(x - *other) * band.a) >>
                                                             std::min(band.aShift + 15, 62));
    }
    x_[t_] = x;
    std::swap(t_, u_);
    return sum;
}

int16_t Equalizer::FilterMono(int32_t x) {
    if (SilenceBypass(x)) return Clip(x);
    return static_cast<int16_t>(Output(BandSum(x, nullptr, nullptr), x));
}

void Equalizer::FilterStereo(int32_t* left, int32_t* right) {
    const bool rightLouder = std::abs(*right) >= std::abs(*left);
    if (primaryLeft_ == rightLouder) {
        if (++switchCount_ > switchLimit_) {
            switchCount_ = 0;
            primaryLeft_ = !primaryLeft_;
        }
    } else {
        switchCount_ = 0;
    }
    int32_t* primary = primaryLeft_ ? left : right;
    int32_t* other = primaryLeft_ ? right : left;
    const int32_t a = *primary, b = *other;
    if (SilenceBypass(a)) return;
    int32_t secondary = 0;
    const int32_t sum = BandSum(a, &b, &secondary);
    *primary = Output(sum, a);
    *other = Output(secondary, b);
}
