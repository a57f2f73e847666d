#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include <mad.h>

#include "DepsFixtures.h"
#include "FixtureFile.h"
#include "SignalStats.h"

namespace {

struct DecodedMp3 {
    int frames = 0;
    int layer = 0;
    int channels = 0;
    unsigned sampleRate = 0;
    unsigned long bitRate = 0;
    std::vector<double> samples;  // first channel
};

DecodedMp3 DecodeMp3(std::vector<std::uint8_t> bytes)
{
    // libmad needs zero bytes past the end to decode the last frame.
    bytes.resize(bytes.size() + MAD_BUFFER_GUARD, 0);
    DecodedMp3 decoded;
    mad_stream stream;
    mad_frame frame;
    mad_synth synth;
    mad_stream_init(&stream);
    mad_frame_init(&frame);
    mad_synth_init(&synth);
    mad_stream_buffer(&stream, bytes.data(), bytes.size());
    for (;;) {
        if (mad_frame_decode(&frame, &stream) != 0) {
            if (MAD_RECOVERABLE(stream.error))
                continue;
            break;  // MAD_ERROR_BUFLEN at the end of the data, or a fatal error
        }
        ++decoded.frames;
        decoded.layer = frame.header.layer;
        decoded.channels = MAD_NCHANNELS(&frame.header);
        decoded.sampleRate = frame.header.samplerate;
        decoded.bitRate = frame.header.bitrate;
        mad_synth_frame(&synth, &frame);
        for (unsigned i = 0; i < synth.pcm.length; ++i)
            decoded.samples.push_back(double(synth.pcm.samples[0][i]) / MAD_F_ONE);
    }
    mad_synth_finish(&synth);
    mad_frame_finish(&frame);
    mad_stream_finish(&stream);
    return decoded;
}

}  // namespace

TEST(Libmad, DecodesTheToneLameEncoded)
{
    const DecodedMp3 mp3 = DecodeMp3(FixtureFile::Read(L"tone.mp3"));
    const int rate = DepsFixtures::kSampleRate;
    const size_t length = size_t(rate) * DepsFixtures::kToneSeconds;
    EXPECT_EQ(mp3.layer, MAD_LAYER_III);
    EXPECT_EQ(mp3.channels, 1);
    EXPECT_EQ(mp3.sampleRate, unsigned(rate));
    EXPECT_EQ(mp3.bitRate, 128000u);

    // MP3 adds the encoder's delay and pads the last frame: a few frames more than the input.
    const size_t frameSamples = 1152;
    EXPECT_EQ(mp3.samples.size(), mp3.frames * frameSamples);
    EXPECT_GE(mp3.samples.size(), length);
    EXPECT_LE(mp3.samples.size(), length + 3 * frameSamples);

    const size_t from = length / 4, to = length * 3 / 4;
    EXPECT_NEAR(SignalStats::FrequencyHz(mp3.samples, from, to, rate), DepsFixtures::kToneHz, 1.0);
    // lame at 128 kbit/s gives the tone back about 5 % quieter (its own decoder agrees).
    const double sineRms = DepsFixtures::kToneAmplitude / std::sqrt(2.0);
    EXPECT_NEAR(SignalStats::Rms(mp3.samples, from, to), sineRms, sineRms * 0.10);
}

TEST(Libmad, FindsNoFramesInText)
{
    const std::vector<std::uint8_t> text = FixtureFile::Read(L"numbers.txt");
    ASSERT_FALSE(text.empty());
    const DecodedMp3 mp3 = DecodeMp3(text);
    EXPECT_EQ(mp3.frames, 0);
    EXPECT_TRUE(mp3.samples.empty());
}
