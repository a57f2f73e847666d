#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "MadDecode.h"

#include "DepsFixtures.h"
#include "FixtureFile.h"
#include "SignalStats.h"

namespace {

// The first channel's samples as fractions of full scale.
std::vector<double> FirstChannel(const mp3test::MadDecoded& mp3)
{
    std::vector<double> samples;
    for (size_t i = 0; i < mp3.samples.size(); i += std::max(mp3.channels, 1))
        samples.push_back(mp3.samples[i] / 32768.0);
    return samples;
}

mp3test::MadDecoded DecodeMp3(const std::vector<std::uint8_t>& bytes)
{
    return mp3test::DecodeWithLibmad(std::string(bytes.begin(), bytes.end()));
}

}  // namespace

TEST(Libmad, DecodesTheToneLameEncoded)
{
    const mp3test::MadDecoded mp3 = DecodeMp3(FixtureFile::Read(L"tone.mp3"));
    const int rate = DepsFixtures::kSampleRate;
    const size_t length = size_t(rate) * DepsFixtures::kToneSeconds;
    EXPECT_EQ(mp3.layer, MAD_LAYER_III);
    EXPECT_EQ(mp3.channels, 1);
    EXPECT_EQ(mp3.sampleRate, unsigned(rate));
    EXPECT_EQ(mp3.bitrate, 128000u);
    EXPECT_EQ(mp3.errors, 0);
    const std::vector<double> samples = FirstChannel(mp3);

    // MP3 adds the encoder's delay and pads the last frame: a few frames more than the input.
    const size_t frameSamples = 1152;
    EXPECT_EQ(samples.size(), mp3.frames * frameSamples);
    EXPECT_GE(samples.size(), length);
    EXPECT_LE(samples.size(), length + 3 * frameSamples);

    const size_t from = length / 4, to = length * 3 / 4;
    EXPECT_NEAR(SignalStats::FrequencyHz(samples, from, to, rate), DepsFixtures::kToneHz, 1.0);
    // lame at 128 kbit/s gives the tone back about 5 % quieter (its own decoder agrees).
    const double sineRms = DepsFixtures::kToneAmplitude / std::sqrt(2.0);
    EXPECT_NEAR(SignalStats::Rms(samples, from, to), sineRms, sineRms * 0.10);
}

TEST(Libmad, FindsNoFramesInText)
{
    const std::vector<std::uint8_t> text = FixtureFile::Read(L"numbers.txt");
    ASSERT_FALSE(text.empty());
    const mp3test::MadDecoded mp3 = DecodeMp3(text);
    EXPECT_EQ(mp3.frames, 0);
    EXPECT_TRUE(mp3.samples.empty());
}
