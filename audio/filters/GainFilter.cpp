#include "GainFilter.h"

namespace {

// sample x multiplier / 1024 by an arithmetic shift. Above x1 the result saturates; a
// multiplier below 0 (a damaged setting) saturates as well rather than wrapping.
int16_t Scale(int16_t sample, int32_t multiplier) {
    const int64_t product = int64_t{sample} * multiplier >> 10;
    if (multiplier >= 0 && multiplier <= GainFilter::kUnity) return static_cast<int16_t>(product);
    return static_cast<int16_t>(product > 32767 ? 32767 : product < -32768 ? -32768 : product);
}

}  // namespace

void GainFilter::MeasureLevels(const int16_t* samples, uint32_t frames) {
    const int channels = Channels();
    int32_t low[2] = {0, 0}, high[2] = {0, 0};
    for (uint32_t i = 0; i < frames; ++i)
        for (int ch = 0; ch < channels; ++ch) {
            const int32_t s = samples[static_cast<size_t>(i) * channels + ch];
            if (s < low[ch]) low[ch] = s;
            if (s > high[ch]) high[ch] = s;
        }
    level1 = high[0] - low[0];
    level2 = channels == 2 ? high[1] - low[1] : level1;
}

void GainFilter::Process(int16_t*& in, uint32_t& inCount, int16_t*& out, uint32_t& outCount) {
    out = nullptr;
    outCount = 0;
    if (!in) inCount = 0;
    const int channels = Channels();
    int64_t holdFrames = static_cast<int64_t>(hold == 0 ? 1 : hold) * format_.sampleRate / 1024;
    if (holdFrames < 1) holdFrames = 1;
    const int32_t clamped = threshold < 0 ? 0 : threshold > kMaxThreshold ? kMaxThreshold : threshold;
    const int32_t quietLimit = static_cast<int16_t>(clamped * kThresholdStep);
    const bool gain = gainOn && multiplier != kUnity;
    const bool activator = voiceActivatorOn && hold >= 0;

    MeasureLevels(in, inCount);
    if (!activator) {
        if (gain) {
            const size_t samples = static_cast<size_t>(inCount) * channels;
            for (size_t i = 0; i < samples; ++i) in[i] = Scale(in[i], multiplier);
        }
        holdPercent = 100;
    } else {
        uint32_t kept = 0;
        for (uint32_t i = 0; i < inCount; ++i) {
            const int16_t* frame = in + static_cast<size_t>(i) * channels;
            bool quiet = true;
            for (int ch = 0; ch < channels; ++ch)
                if (frame[ch] < -quietLimit || frame[ch] > quietLimit) quiet = false;
            if (!quiet)
                quietFrames = 0;
            else if (quietFrames < UINT32_MAX)
                ++quietFrames;
            if (quietFrames > holdFrames) continue;
            int16_t* to = in + static_cast<size_t>(kept) * channels;
            for (int ch = 0; ch < channels; ++ch) to[ch] = gain ? Scale(frame[ch], multiplier) : frame[ch];
            ++kept;
        }
        inCount = kept;
        holdPercent = quietFrames < holdFrames ? static_cast<int32_t>((holdFrames - quietFrames) * 100 / holdFrames) : 0;
    }
    if (levelNotification) levelNotification();
}
