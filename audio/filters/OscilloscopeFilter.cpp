#include "OscilloscopeFilter.h"

#include <cstring>
#include <new>

OscilloscopeFilter::~OscilloscopeFilter() {
    delete[] ringA_;
    delete[] ringB_;
}

void OscilloscopeFilter::Process(int16_t*& in, uint32_t& inCount, int16_t*& out, uint32_t& outCount) {
    out = nullptr;
    outCount = 0;
    if (length_ <= 0 || !in) return;
    const int channels = Channels();
    for (uint32_t i = 0; i < inCount; ++i) {
        const int16_t* frame = in + static_cast<size_t>(i) * channels;
        ringA_[position_] = static_cast<int16_t>(frame[0] >> 5);
        ringB_[position_] = static_cast<int16_t>(frame[channels - 1] >> 5);
        if (++position_ >= length_) position_ = 0;
    }
}

void OscilloscopeFilter::Resize(int32_t length) {
    if (length < 0) length = 0;
    if (length > kMaxLength) length = kMaxLength;
    if (length > capacity_) {
        int16_t* a = new (std::nothrow) int16_t[length];
        int16_t* b = new (std::nothrow) int16_t[length];
        if (!a || !b) {
            delete[] a;
            delete[] b;
            return;
        }
        if (length_ > 0) {
            memcpy(a, ringA_, sizeof(int16_t) * length_);
            memcpy(b, ringB_, sizeof(int16_t) * length_);
        }
        delete[] ringA_;
        delete[] ringB_;
        ringA_ = a;
        ringB_ = b;
        capacity_ = length;
    }
    if (length > length_) {
        memset(ringA_ + length_, 0, sizeof(int16_t) * (length - length_));
        memset(ringB_ + length_, 0, sizeof(int16_t) * (length - length_));
        length_ = length;
    } else {
        length_ = length;
        if (position_ >= length) position_ = 0;
    }
}
