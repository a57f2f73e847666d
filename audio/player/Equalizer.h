#pragma once
// The player's ten-band equaliser: second-order band-pass filters at fixed centres whose
// outputs, each weighted by at most two shifts, are added to a quarter of the input. Integer
// arithmetic only; in stereo only the louder channel is filtered and the other follows it.
// Near-silent input (|x| < 32 for more than 100 ms) passes unfiltered.
#include <cstdint>

class Equalizer {
public:
    static constexpr int kBands = 10;
    static constexpr int32_t kBandHz[kBands] = {32, 63, 125, 250, 500, 1000, 2000, 4000, 8000, 16000};
    // A shift this large takes nothing of the band.
    static constexpr int32_t kSilentShift = 32;
    static constexpr int32_t kMaxGain = 255;

    struct Band {
        int32_t centreHz = 0;
        int32_t a = 0, aShift = 0;  // input coefficient A x 2^-SA
        int32_t b = 0, bShift = 0;  // feedback coefficient B x 2^-SB
        int32_t g1 = kSilentShift, g2 = kSilentShift;
        int32_t cachedGain = -1;
        bool usable = false;  // a centre at or above half the rate stays silent
        int32_t y[2] = {0, 0};
    };

    Equalizer() = default;
    virtual ~Equalizer() = default;

    // Coefficients for the rate; clears the filter history.
    void Design(int32_t rate);
    // Band settings, nominally -255..+255 (0 neutral); values beyond are clamped.
    void LoadGains(const int32_t (&settings)[kBands]);
    int16_t FilterMono(int32_t x);
    void FilterStereo(int32_t* left, int32_t* right);

    bool Designed() const { return designed_; }
    int32_t Rate() const { return rate_; }
    const Band& BandAt(int k) const { return bands_[k]; }
    // The two shifts that stand for a mapped band gain v (0..1020).
    static void GainShifts(int32_t v, int32_t* g1, int32_t* g2);

private:
    // The band filters' contribution for input x, adding to the primary sum and, when
    // secondary is set, the other channel's sum for input b.
    int32_t BandSum(int32_t x, const int32_t* other, int32_t* secondary);
    bool SilenceBypass(int32_t x);

    int32_t rate_ = 0;
    Band bands_[kBands];
    int32_t x_[2] = {0, 0};
    int t_ = 0, u_ = 1;
    int32_t silenceCount_ = 0, silenceLimit_ = 0;
    bool primaryLeft_ = true;
    int32_t switchCount_ = 0, switchLimit_ = 0;
    bool designed_ = false;
};
