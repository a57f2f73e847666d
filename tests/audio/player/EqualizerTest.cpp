#include <gtest/gtest.h>

#include "Equalizer.h"
#include "PlayerTestSupport.h"
#include "TestFiles.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstring>

using namespace playertest;

namespace {
// The response of a band's designed integer coefficients at `hz`: the band-pass
// a (1 - z^-2) / (1 - b z^-1 + (1 - a / 2^14) z^-2), 2^15 at its peak.
std::complex<double> BandResponse(const Equalizer::Band& band, double hz, int rate) {
    const std::complex<double> z1 = std::polar(1.0, -2 * kPi * hz / rate);
    const double a = std::ldexp(double(band.a), -band.aShift);
    const double b = std::ldexp(double(band.b), -band.bShift);
    return a * (1.0 - z1 * z1) / (1.0 - b * z1 + (1 - a / 16384) * z1 * z1);
}

// The whole equaliser at `hz`: every usable band weighted by its two shifts, added to a
// quarter of the input, the sum taken 1.25 times.
double DesignGainDb(const Equalizer& eq, double hz) {
    std::complex<double> sum = 0.25;
    for (int k = 0; k < Equalizer::kBands; ++k) {
        const Equalizer::Band& band = eq.BandAt(k);
        if (band.g1 > 24) continue;
        const double weight = std::ldexp(1.0, -band.g1) + (band.g2 < 32 ? std::ldexp(1.0, -band.g2) : 0);
        sum += weight * BandResponse(band, hz, eq.Rate());
    }
    return 20 * std::log10(std::abs(1.25 * sum));
}

template <typename T>
std::vector<T> Values(const std::wstring& path) {
    std::string bytes;
    if (!testsupport::ReadBytes(path, &bytes)) return {};
    std::vector<T> values(bytes.size() / sizeof(T));
    memcpy(values.data(), bytes.data(), values.size() * sizeof(T));
    return values;
}

// The band's weight: its output, 2^15 times the band-pass's, taken by the two shifts.
double BandWeight(const Equalizer::Band& band) {
    return std::ldexp(1.0, 15 - band.g1) + (band.g2 < 32 ? std::ldexp(1.0, 15 - band.g2) : 0);
}

// An equaliser at 44100 Hz with band k at `setting` and every other band off.
void DesignOneBand(Equalizer* eq, int k, int setting) {
    eq->Design(44100);
    int32_t gains[Equalizer::kBands];
    for (int32_t& gain : gains) gain = -Equalizer::kMaxGain;
    gains[k] = setting;
    eq->LoadGains(gains);
}

double AmplitudeAt(const std::vector<int32_t>& s, size_t from, size_t count, double hz, int rate) {
    double c = 0, q = 0;
    for (size_t i = 0; i < count; ++i) {
        const double w = 2 * kPi * hz * double(i) / rate;
        c += s[from + i] * std::cos(w);
        q += s[from + i] * std::sin(w);
    }
    return 2 * std::sqrt(c * c + q * q) / double(count);
}
}  // namespace

TEST(Equalizer, MapsGainsToShiftsAndSurvivesBandsAboveHalfTheRateAndHugeGains) {
    int32_t g1 = 0, g2 = 0;
    Equalizer::GainShifts(410, &g1, &g2);  // setting 0
    EXPECT_EQ(17, g1);
    EXPECT_EQ(18, g2);
    Equalizer::GainShifts(1020, &g1, &g2);  // +255: the top three bits round up
    EXPECT_EQ(15, g1);
    EXPECT_EQ(32, g2);
    Equalizer::GainShifts(0, &g1, &g2);  // -255: nothing of the band
    EXPECT_EQ(32, g1);
    EXPECT_EQ(32, g2);

    Equalizer eq;
    eq.Design(8000);
    EXPECT_FALSE(eq.BandAt(9).usable);  // 16 kHz
    EXPECT_FALSE(eq.BandAt(8).usable);  // 8 kHz at 8000 Hz
    EXPECT_FALSE(eq.BandAt(7).usable);  // 4 kHz: half the rate
    EXPECT_TRUE(eq.BandAt(6).usable);
    int32_t gains[Equalizer::kBands];
    for (int k = 0; k < Equalizer::kBands; ++k) gains[k] = k % 2 ? 100000 : -100000;
    eq.LoadGains(gains);
    for (int k = 0; k < Equalizer::kBands; ++k) {
        EXPECT_EQ(k % 2 ? 20480 : 0, eq.BandAt(k).cachedGain) << k;
        EXPECT_GE(eq.BandAt(k).g1, 0) << k;
    }
    EXPECT_EQ(32, eq.BandAt(9).g1);
    for (int i = 0; i < 8000; ++i) eq.FilterMono(static_cast<int32_t>(20000 * std::sin(i * 0.3)));
}

TEST(Equalizer, ABandAtPlusAndMinus12DbGivesItsDesignedGainAtItsCentre) {
    const int rate = 44100;
    const size_t count = rate / 2;
    const double in = 0.1 * 32767;
    // The mono channel's share on each side, with the equaliser off.
    double share = 0;
    {
        UsePlayback(rate);
        RecorderSettings_Global().equalizer.on = 0;
        SoundPlayer plain;
        Capture raw;
        ASSERT_TRUE(StartRendered(plain, Fixture(L"player_eq_1000.wav"), &raw));
        RenderToEnd(plain);
        share = AmplitudeAt(raw.left, FirstSound(raw.left) + rate / 4, count, 1000, rate) / in;
        ASSERT_GT(share, 0.3);
    }
    RecorderSettings_Global().equalizer.on = 1;
    for (int k = 0; k < Equalizer::kBands; ++k) {
        for (int setting : {-255 / 2, 255 / 2}) {  // about -12 and +12 dB of the band
            SCOPED_TRACE(testing::Message() << Equalizer::kBandHz[k] << " Hz, setting " << setting);
            UsePlayback(rate);
            for (int32_t& gain : RecorderSettings_Global().equalizer.gains) gain = 0;
            RecorderSettings_Global().equalizer.gains[k] = setting;
            SoundPlayer player;
            Capture capture;
            const std::wstring file = L"player_eq_" + std::to_wstring(Equalizer::kBandHz[k]) + L".wav";
            ASSERT_TRUE(StartRendered(player, Fixture(file), &capture));
            RenderToEnd(player);
            // Past the filters' settling.
            const size_t from = FirstSound(capture.left) + rate / 4;
            ASSERT_GT(capture.left.size(), from + count);
            const double out = AmplitudeAt(capture.left, from, count, Equalizer::kBandHz[k], rate);
            const double expected = DesignGainDb(player.EqualizerState(), Equalizer::kBandHz[k]);
            const double measured = 20 * std::log10(out / (in * share));
            printf("%5d Hz setting %4d: designed %+.2f dB, measured %+.2f dB\n", Equalizer::kBandHz[k], setting, expected,
                   measured);
            // The three lowest bands at this level are in their filters' dead band (see below).
            if (Equalizer::kBandHz[k] >= 250) {
                EXPECT_NEAR(expected, measured, 0.5);
            }
        }
    }
}

// One band alone against sox's band-pass of the same noise: 1.25 (weight x band-pass + x / 4).
TEST(Equalizer, ABandFollowsSoxsBandPass) {
    const std::vector<int16_t> noise = Values<int16_t>(Fixture(L"player_eq_noise.raw"));
    ASSERT_EQ(noise.size(), 44100u);
    for (int k = 3; k < Equalizer::kBands; ++k) {
        const std::vector<float> bandPass =
            Values<float>(Fixture(L"player_eq_bp_" + std::to_wstring(Equalizer::kBandHz[k]) + L".f32"));
        ASSERT_EQ(bandPass.size(), noise.size());
        for (int setting : {-127, 127}) {
            SCOPED_TRACE(testing::Message() << Equalizer::kBandHz[k] << " Hz, setting " << setting);
            Equalizer eq;
            DesignOneBand(&eq, k, setting);
            const double weight = BandWeight(eq.BandAt(k));
            double error = 0, power = 0;
            for (size_t i = 0; i < noise.size(); ++i) {
                const double expected =
                    std::clamp(1.25 * (weight * bandPass[i] * 32768.0 + noise[i] / 4.0), -32768.0, 32767.0);
                const double ours = eq.FilterMono(noise[i]);
                error += (ours - expected) * (ours - expected);
                power += expected * expected;
            }
            EXPECT_LT(10 * std::log10(error / power), -40.0);
        }
    }
}

// The three lowest bands round their feedback state to 2^-13 before the multiply, so below
// some level their resonance cannot build up: at -20 dBFS the 32 Hz band is silent. Loud,
// they give their coefficients' response.
TEST(Equalizer, LowBandsGiveTheirDesignWhenLoudAndHaveADeadBandWhenQuiet) {
    const int rate = 44100;
    auto bandAmplitude = [&](int k, double in) {
        Equalizer eq;
        DesignOneBand(&eq, k, -127);
        std::vector<int32_t> band;
        for (int i = 0; i < rate; ++i) {
            const int32_t x = static_cast<int32_t>(in * std::sin(2 * kPi * Equalizer::kBandHz[k] * i / rate));
            // Without the x / 4 path: what the band itself adds.
            band.push_back(static_cast<int32_t>(std::lround(eq.FilterMono(x) / 1.25 - x / 4.0)));
        }
        return AmplitudeAt(band, rate / 2, rate / 2, Equalizer::kBandHz[k], rate) / in / BandWeight(eq.BandAt(k));
    };
    for (int k = 0; k < 3; ++k) {
        SCOPED_TRACE(testing::Message() << Equalizer::kBandHz[k] << " Hz");
        Equalizer eq;
        DesignOneBand(&eq, k, -127);
        const double designed = std::abs(BandResponse(eq.BandAt(k), Equalizer::kBandHz[k], rate)) / 32768;
        EXPECT_NEAR(20 * std::log10(bandAmplitude(k, 29000)), 20 * std::log10(designed), 0.5);
    }
    EXPECT_LT(bandAmplitude(0, 3277), 0.01);
}
