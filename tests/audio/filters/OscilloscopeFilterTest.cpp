// The oscilloscope rings on a sox signal against the last samples written, resizing as
// the settings do, and registry values far outside the ring's range.
#include "OscilloscopeFilter.h"
#include "wav/WavTestSupport.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace {

void Feed(OscilloscopeFilter& filter, std::vector<int16_t> samples, int channels, uint32_t block) {
    const uint32_t frames = static_cast<uint32_t>(samples.size() / channels);
    for (uint32_t start = 0; start < frames; start += block) {
        int16_t* in = samples.data() + static_cast<size_t>(start) * channels;
        uint32_t count = std::min(block, frames - start);
        const uint32_t given = count;
        int16_t* out = nullptr;
        uint32_t outCount = 0;
        filter.Process(in, count, out, outCount);
        ASSERT_EQ(given, count);
    }
}

}  // namespace

TEST(OscilloscopeFilter, RingsHoldTheLatestSamplesScaledDown) {
    const std::vector<int16_t> pauses = wavtest::Samples16(wavtest::FixtureBytes(L"filter_pauses_stereo.raw"));
    for (int channels : {2, 1}) {
        OscilloscopeFilter filter;
        filter.SetFormat({44100, channels, 16});
        filter.Resize(700);
        Feed(filter, pauses, channels, 2048);
        const size_t written = pauses.size() / channels;
        ASSERT_EQ(static_cast<int32_t>(written % 700), filter.Position());
        for (size_t i = written - 700; i < written; ++i) {
            const int32_t at = static_cast<int32_t>(i % 700);
            ASSERT_EQ(pauses[i * channels] >> 5, filter.RingA()[at]) << i;
            ASSERT_EQ(pauses[i * channels + channels - 1] >> 5, filter.RingB()[at]) << i;
        }
    }
}

TEST(OscilloscopeFilter, ResizingKeepsOrClearsAndClampsDamagedLengths) {
    OscilloscopeFilter filter;
    filter.SetFormat({44100, 1, 16});
    filter.Resize(100);
    Feed(filter, std::vector<int16_t>(170, 3200), 1, 64);
    ASSERT_EQ(70, filter.Position());
    filter.Resize(50);
    EXPECT_EQ(0, filter.Position());
    EXPECT_EQ(50, filter.Length());
    filter.Resize(100);
    for (int i = 0; i < 50; ++i) EXPECT_EQ(100, filter.RingA()[i]) << i;
    for (int i = 50; i < 100; ++i) EXPECT_EQ(0, filter.RingA()[i]) << i;

    // A negative length from the registry empties the rings: nothing is written.
    const int16_t* ring = filter.RingA();
    filter.Resize(-5);
    EXPECT_EQ(0, filter.Length());
    Feed(filter, std::vector<int16_t>(5000, 1000), 1, 1000);
    EXPECT_EQ(0, filter.Position());
    EXPECT_EQ(ring, filter.RingA());
    // A huge one is held to the longest ring.
    filter.Resize(INT_MAX);
    EXPECT_EQ(OscilloscopeFilter::kMaxLength, filter.Length());
    Feed(filter, std::vector<int16_t>(OscilloscopeFilter::kMaxLength + 1234, 64), 1, 4096);
    EXPECT_EQ(1234, filter.Position());
    EXPECT_EQ(2, filter.RingA()[OscilloscopeFilter::kMaxLength - 1]);
}
