#include <gtest/gtest.h>

#include <cstdio>
#include <cmath>
#include <vector>

#include <tremor/ivorbisfile.h>

#include "DepsFixtures.h"
#include "FixtureFile.h"
#include "SignalStats.h"

namespace {

struct DecodedOgg {
    int channels = 0;
    long rate = 0;
    ogg_int64_t declaredSamples = 0;
    std::vector<double> samples;
};

// Returns ov_open's result; on success the whole stream is decoded.
int DecodeOgg(const wchar_t* name, DecodedOgg& decoded)
{
    FILE* file = _wfopen(FixtureFile::Path(name).c_str(), L"rb");
    if (!file)
        return OV_EREAD;
    OggVorbis_File vorbis;
    const int opened = ov_open(file, &vorbis, nullptr, 0);
    if (opened != 0) {
        fclose(file);  // a failed ov_open leaves the file to its caller
        return opened;
    }
    const vorbis_info* info = ov_info(&vorbis, -1);
    decoded.channels = info->channels;
    decoded.rate = info->rate;
    decoded.declaredSamples = ov_pcm_total(&vorbis, -1);
    std::int16_t pcm[2048];
    int section = 0;
    long got;
    while ((got = ov_read(&vorbis, reinterpret_cast<char*>(pcm), sizeof pcm, &section)) > 0) {
        for (long i = 0; i < got / 2; ++i)
            decoded.samples.push_back(SignalStats::FromPcm16(pcm[i]));
    }
    ov_clear(&vorbis);  // closes the file
    return got == 0 ? 0 : int(got);
}

}  // namespace

TEST(Tremor, DecodesTheToneOggencEncoded)
{
    DecodedOgg ogg;
    ASSERT_EQ(DecodeOgg(L"tone.ogg", ogg), 0);
    const int rate = DepsFixtures::kSampleRate;
    const size_t length = size_t(rate) * DepsFixtures::kToneSeconds;
    EXPECT_EQ(ogg.channels, 1);
    EXPECT_EQ(ogg.rate, rate);
    EXPECT_EQ(ogg.declaredSamples, ogg_int64_t(length));
    ASSERT_EQ(ogg.samples.size(), length);

    const size_t from = length / 4, to = length * 3 / 4;
    EXPECT_NEAR(SignalStats::FrequencyHz(ogg.samples, from, to, rate), DepsFixtures::kToneHz, 1.0);
    const double sineRms = DepsFixtures::kToneAmplitude / std::sqrt(2.0);
    EXPECT_NEAR(SignalStats::Rms(ogg.samples, from, to), sineRms, sineRms * 0.05);

    // Vorbis keeps the timing, so the decoded samples line up with the encoder's input.
    const std::vector<double> source = SignalStats::WavSamples(FixtureFile::Read(L"tone.wav"));
    ASSERT_EQ(source.size(), length);
    std::vector<double> error(length);
    for (size_t i = 0; i < length; ++i)
        error[i] = ogg.samples[i] - source[i];
    EXPECT_LT(SignalStats::Rms(error, from, to), sineRms * 0.05);
}

TEST(Tremor, RefusesAFileThatIsNotOggVorbis)
{
    DecodedOgg ogg;
    EXPECT_EQ(DecodeOgg(L"tone.wav", ogg), OV_ENOTVORBIS);
    EXPECT_TRUE(ogg.samples.empty());
}
