#pragma once
// The interface of the recorder's filters: each works in place on blocks of signed 16-bit
// PCM, one or two interleaved channels. The base leaves every block as it is.
#include <cstdint>

struct AudioFormat {
    int32_t sampleRate = 0;
    int32_t channels = 0;
    int32_t bitsPerSample = 0;
};

class AudioFilter {
public:
    AudioFilter() = default;
    AudioFilter(const AudioFilter&) = delete;
    AudioFilter& operator=(const AudioFilter&) = delete;
    virtual ~AudioFilter() = default;

    // The filter keeps a copy.
    virtual void SetFormat(const AudioFormat& format) { format_ = format; }
    virtual void Stop() {}
    // Counts are in sample frames (one sample per channel). The filter works in place on
    // `in`, may lower inCount (frames removed) and may hand back a second buffer through
    // the out pair, which it sets empty first.
    virtual void Process(int16_t*& in, uint32_t& inCount, int16_t*& out, uint32_t& outCount);
    // Non-zero on success.
    virtual int Start() { return 1; }

    const AudioFormat& Format() const { return format_; }

protected:
    // 2 for a two-channel format, else 1.
    int Channels() const { return format_.channels == 2 ? 2 : 1; }

    AudioFormat format_;
};
