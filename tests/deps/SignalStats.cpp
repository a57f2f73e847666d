#include "SignalStats.h"

#include <cmath>
#include <cstring>

double SignalStats::Rms(const std::vector<double>& samples, size_t begin, size_t end)
{
    if (end > samples.size())
        end = samples.size();
    if (begin >= end)
        return 0.0;
    double sum = 0.0;
    for (size_t i = begin; i < end; ++i)
        sum += samples[i] * samples[i];
    return std::sqrt(sum / (end - begin));
}

double SignalStats::FrequencyHz(const std::vector<double>& samples, size_t begin, size_t end, int sampleRate)
{
    const double deadBand = 0.05;
    if (end > samples.size())
        end = samples.size();
    if (begin >= end)
        return 0.0;
    bool below = false;
    size_t first = 0, last = 0, rises = 0;
    for (size_t i = begin; i < end; ++i) {
        if (samples[i] < -deadBand) {
            below = true;
        } else if (below && samples[i] > deadBand) {
            below = false;
            if (rises++ == 0)
                first = i;
            last = i;
        }
    }
    if (rises < 2)
        return 0.0;
    return (rises - 1) * double(sampleRate) / double(last - first);
}

std::vector<double> SignalStats::WavSamples(const std::vector<std::uint8_t>& wav)
{
    auto u32 = [&](size_t at) {
        return std::uint32_t(wav[at]) | std::uint32_t(wav[at + 1]) << 8 | std::uint32_t(wav[at + 2]) << 16 |
               std::uint32_t(wav[at + 3]) << 24;
    };
    auto u16 = [&](size_t at) { return unsigned(wav[at]) | unsigned(wav[at + 1]) << 8; };
    std::vector<double> samples;
    if (wav.size() < 12 || memcmp(wav.data(), "RIFF", 4) != 0 || memcmp(wav.data() + 8, "WAVE", 4) != 0)
        return samples;
    bool pcm16Mono = false;
    for (size_t at = 12; at + 8 <= wav.size();) {
        const std::uint32_t size = u32(at + 4);
        const size_t body = at + 8;
        if (size > wav.size() - body)
            break;
        if (memcmp(&wav[at], "fmt ", 4) == 0 && size >= 16)
            pcm16Mono = u16(body) == 1 && u16(body + 2) == 1 && u16(body + 14) == 16;
        if (memcmp(&wav[at], "data", 4) == 0 && pcm16Mono) {
            for (size_t i = body; i + 1 < body + size; i += 2)
                samples.push_back(FromPcm16(std::int16_t(u16(i))));
            break;
        }
        at = body + size + (size & 1);
    }
    return samples;
}
