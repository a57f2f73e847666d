#pragma once
// Filter slot 2: keeps the latest samples of each channel, scaled down by 32, in two rings
// that the recorder dialog draws. The block itself is left as it is. The dialog reads the
// rings from its own thread without a lock and may see a block half written.
#include "AudioFilter.h"

#include <cstdint>

class OscilloscopeFilter : public AudioFilter {
public:
    // Longest ring: a length from the registry is clamped to 0..this.
    static constexpr int32_t kMaxLength = 1 << 16;

    OscilloscopeFilter() = default;
    ~OscilloscopeFilter() override;

    void Process(int16_t*& in, uint32_t& inCount, int16_t*& out, uint32_t& outCount) override;
    // Sets the ring length (the "FilterOcsilloscope" value): longer rings keep what they
    // held and start the new part at 0; when the rings cannot be made longer, they stay as
    // they were.
    void Resize(int32_t length);

    const int16_t* RingA() const { return ringA_; }
    const int16_t* RingB() const { return ringB_; }
    int32_t Length() const { return length_; }
    int32_t Capacity() const { return capacity_; }
    int32_t Position() const { return position_; }

private:
    int16_t* ringA_ = nullptr;
    int16_t* ringB_ = nullptr;
    int32_t length_ = 0;
    int32_t capacity_ = 0;
    int32_t position_ = 0;
};
