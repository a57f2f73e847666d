// The level filter on signals made by sox, against an oracle that follows the formulas
// frame by frame: gain steps, levels per block, the hold percentage and the frames the
// voice activator keeps.
#include "GainFilter.h"
#include "wav/WavTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

struct Settings {
    bool gainOn = false;
    int32_t multiplier = 1024;
    bool voiceActivatorOn = false;
    int32_t threshold = 50;
    int32_t hold = 333;
};

struct BlockResult {
    uint32_t count = 0;
    int32_t level1 = 0, level2 = 0, holdPercent = 0;
};

struct FilterRun {
    std::vector<int16_t> kept;
    std::vector<BlockResult> blocks;
};

// The formulas as written: floor division for the gain, clamping only above x1.
FilterRun Oracle(const std::vector<int16_t>& input, int channels, int rate, const Settings& s, uint32_t block) {
    FilterRun run;
    const bool gain = s.gainOn && s.multiplier != 1024;
    const bool activator = s.voiceActivatorOn && s.hold >= 0;
    const int64_t h = std::max<int64_t>(1, int64_t{s.hold == 0 ? 1 : s.hold} * rate / 1024);
    const int t = s.threshold * 327;
    int64_t counter = 0;
    const size_t frames = input.size() / channels;
    for (size_t start = 0; start < frames; start += block) {
        const size_t end = std::min(frames, start + block);
        BlockResult r;
        int lo[2] = {0, 0}, hi[2] = {0, 0};
        for (size_t i = start; i < end; ++i) {
            bool quiet = true;
            for (int ch = 0; ch < channels; ++ch) {
                const int v = input[i * channels + ch];
                lo[ch] = std::min(lo[ch], v);
                hi[ch] = std::max(hi[ch], v);
                if (std::abs(v) > t) quiet = false;
            }
            if (activator) counter = quiet ? counter + 1 : 0;
            if (activator && counter > h) continue;
            ++r.count;
            for (int ch = 0; ch < channels; ++ch) {
                double v = input[i * channels + ch];
                if (gain) {
                    v = std::floor(v * s.multiplier / 1024);
                    if (s.multiplier > 1024) v = std::min(32767.0, std::max(-32768.0, v));
                }
                run.kept.push_back(static_cast<int16_t>(v));
            }
        }
        r.level1 = hi[0] - lo[0];
        r.level2 = channels == 2 ? hi[1] - lo[1] : r.level1;
        r.holdPercent = !activator ? 100 : counter < h ? static_cast<int32_t>((h - counter) * 100 / h) : 0;
        run.blocks.push_back(r);
    }
    return run;
}

int notifications = 0;
void CountNotification() { ++notifications; }

FilterRun Filter(const std::vector<int16_t>& input, int channels, int rate, const Settings& s, uint32_t block) {
    GainFilter filter;
    filter.SetFormat({rate, channels, 16});
    filter.gainOn = s.gainOn;
    filter.multiplier = s.multiplier;
    filter.voiceActivatorOn = s.voiceActivatorOn;
    filter.threshold = s.threshold;
    filter.hold = s.hold;
    filter.levelNotification = CountNotification;
    EXPECT_NE(0, filter.Start());
    FilterRun run;
    std::vector<int16_t> buffer;
    const size_t frames = input.size() / channels;
    for (size_t start = 0; start < frames; start += block) {
        const size_t end = std::min(frames, start + block);
        buffer.assign(input.begin() + start * channels, input.begin() + end * channels);
        int16_t* in = buffer.data();
        uint32_t count = static_cast<uint32_t>(end - start);
        int16_t* out = in;
        uint32_t outCount = 7;
        filter.Process(in, count, out, outCount);
        EXPECT_EQ(nullptr, out);
        EXPECT_EQ(0u, outCount);
        run.kept.insert(run.kept.end(), in, in + count * channels);
        run.blocks.push_back({count, filter.level1, filter.level2, filter.holdPercent});
    }
    return run;
}

void ExpectSameRun(const FilterRun& want, const FilterRun& got, const char* what) {
    ASSERT_EQ(want.blocks.size(), got.blocks.size()) << what;
    for (size_t b = 0; b < want.blocks.size(); ++b) {
        EXPECT_EQ(want.blocks[b].count, got.blocks[b].count) << what << " block " << b;
        EXPECT_EQ(want.blocks[b].level1, got.blocks[b].level1) << what << " block " << b;
        EXPECT_EQ(want.blocks[b].level2, got.blocks[b].level2) << what << " block " << b;
        EXPECT_EQ(want.blocks[b].holdPercent, got.blocks[b].holdPercent) << what << " block " << b;
    }
    EXPECT_TRUE(want.kept == got.kept) << what;
}

}  // namespace

TEST(GainFilter, MatchesTheFormulasOnSoxSignals) {
    const std::vector<int16_t> pauses = wavtest::Samples16(wavtest::FixtureBytes(L"filter_pauses_stereo.raw"));
    const std::vector<int16_t> tones = wavtest::Samples16(wavtest::FixtureBytes(L"filter_tones_mono.raw"));
    ASSERT_GT(pauses.size(), 44100u * 2);
    ASSERT_EQ(22050u / 2, tones.size());
    struct Case {
        const char* what;
        const std::vector<int16_t>* input;
        int channels, rate;
        Settings settings;
    };
    const Case cases[] = {
        {"levels only", &pauses, 2, 44100, {}},
        {"gain off at x2", &tones, 1, 22050, {false, 2048}},
        {"gain x2 saturates", &tones, 1, 22050, {true, 2048}},
        {"gain x0.5", &tones, 1, 22050, {true, 512}},
        {"voice activator", &pauses, 2, 44100, {false, 1024, true, 10, 333}},
        {"voice activator with gain", &pauses, 2, 44100, {true, 1536, true, 10, 333}},
        {"threshold 0", &pauses, 2, 44100, {false, 1024, true, 0, 100}},
        {"mono voice activator", &tones, 1, 22050, {false, 1024, true, 30, 50}},
        {"negative hold", &pauses, 2, 44100, {false, 1024, true, 10, -1}},
    };
    for (const Case& c : cases) {
        // Capture-sized blocks and odd ones, so that pauses run across blocks.
        for (uint32_t block : {2048u, 1000u}) {
            notifications = 0;
            const FilterRun got = Filter(*c.input, c.channels, c.rate, c.settings, block);
            ExpectSameRun(Oracle(*c.input, c.channels, c.rate, c.settings, block), got, c.what);
            EXPECT_EQ(static_cast<int>(got.blocks.size()), notifications) << c.what;
        }
    }
    // The activator really cut: the two long pauses lose what exceeds the hold time.
    const FilterRun cut = Filter(pauses, 2, 44100, {false, 1024, true, 10, 333}, 2048);
    EXPECT_LT(cut.kept.size(), pauses.size() - 2 * 44100 / 10);
}

TEST(GainFilter, SampleStepsAndDamagedSettings) {
    GainFilter filter;
    filter.SetFormat({44100, 1, 16});
    auto process = [&](std::vector<int16_t> samples) {
        int16_t* in = samples.data();
        uint32_t count = static_cast<uint32_t>(samples.size());
        int16_t* out = nullptr;
        uint32_t outCount = 0;
        filter.Process(in, count, out, outCount);
        samples.resize(count);
        return samples;
    };
    filter.gainOn = true;
    filter.multiplier = 2048;
    EXPECT_EQ((std::vector<int16_t>{32767, -32768, 200}), process({20000, -20000, 100}));
    filter.multiplier = 512;
    EXPECT_EQ((std::vector<int16_t>{-2, 1}), process({-3, 3}));
    // A negative multiplier from a damaged registry value saturates instead of wrapping.
    filter.multiplier = -1024;
    EXPECT_EQ((std::vector<int16_t>{32767, -100}), process({-32768, 100}));
    // A threshold above 100 % counts as 100 %: 32700 and below is quiet.
    filter.gainOn = false;
    filter.voiceActivatorOn = true;
    filter.threshold = 100000;
    filter.hold = 0;  // counts as 1/1024 s: 43 frames at 44100 Hz
    const std::vector<int16_t> kept = process(std::vector<int16_t>(100, 32700));
    EXPECT_EQ(43u, kept.size());
    EXPECT_EQ(0, filter.holdPercent);
}
