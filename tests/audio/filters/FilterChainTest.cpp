// The filter chain: slots in order, empty slots skipped, a failing start.
#include "DenoiseFilter.h"
#include "FilterChain.h"
#include "SilenceFilter.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string calls;

// Records its calls and removes its number of frames from every block.
class ProbeFilter : public AudioFilter {
public:
    ProbeFilter(char name, int startAnswer) : name_(name), startAnswer_(startAnswer) {}
    void SetFormat(const AudioFormat& format) override {
        AudioFilter::SetFormat(format);
        calls += std::string(1, name_) + "f";
    }
    void Stop() override { calls += std::string(1, name_) + "s"; }
    int Start() override {
        calls += std::string(1, name_) + "S";
        return startAnswer_;
    }
    void Process(int16_t*& in, uint32_t& inCount, int16_t*& out, uint32_t& outCount) override {
        AudioFilter::Process(in, inCount, out, outCount);
        calls += std::string(1, name_) + "p" + std::to_string(inCount);
        inCount -= 1;
    }

private:
    char name_;
    int startAnswer_;
};

}  // namespace

TEST(FilterChain, RunsFilledSlotsInOrderAndStopsAtAFailingStart) {
    ProbeFilter a('a', 1), c('c', 0);
    FilterChain chain;
    ASSERT_TRUE(chain.SetSlot(&c, 2));
    ASSERT_TRUE(chain.SetSlot(&a, 0));
    EXPECT_FALSE(chain.SetSlot(&a, -1));
    EXPECT_EQ(3, chain.SlotCount());
    EXPECT_EQ(nullptr, chain.Slot(1));

    chain.SetFormat({22050, 2, 16});
    EXPECT_EQ(22050, c.Format().sampleRate);
    int16_t samples[20] = {};
    int16_t* in = samples;
    uint32_t count = 10;
    int16_t* out = samples;
    uint32_t outCount = 3;
    chain.Process(in, count, out, outCount);
    EXPECT_EQ(8u, count);
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(0u, outCount);
    chain.Stop();
    EXPECT_EQ("afcfap10cp9ascs", calls);

    calls.clear();
    ProbeFilter d('d', 1);
    chain.SetSlot(&d, 3);
    EXPECT_EQ(0, chain.Start());
    EXPECT_EQ("aScS", calls);

    // Denoise and silence filters leave blocks as they are and start.
    DenoiseFilter denoise;
    SilenceFilter silence;
    chain.Clear();
    EXPECT_EQ(0, chain.SlotCount());
    chain.SetSlot(&denoise, 0);
    chain.SetSlot(&silence, 1);
    EXPECT_EQ(1, chain.Start());
    samples[0] = 1234;
    count = 10;
    chain.Process(in, count, out, outCount);
    EXPECT_EQ(10u, count);
    EXPECT_EQ(1234, samples[0]);
    EXPECT_TRUE(denoise.denoise);
    EXPECT_EQ(0, silence.silenceNumber);
}
