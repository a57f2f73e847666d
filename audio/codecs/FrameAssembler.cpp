#include "FrameAssembler.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

FrameAssembler::~FrameAssembler() { free(buffer_); }

bool FrameAssembler::Init(uint32_t capacity, bool multipleFrames) {
    free(buffer_);
    buffer_ = capacity > 0 ? static_cast<uint8_t*>(malloc(capacity)) : nullptr;
    capacity_ = buffer_ ? capacity : 0;
    multipleFrames_ = multipleFrames;
    fill_ = 0;
    SetInput(nullptr, 0);
    return buffer_ != nullptr;
}

void FrameAssembler::SetInput(const uint8_t* data, uint32_t length) {
    input_ = data;
    inputLength_ = data ? length : 0;
    consumed_ = 0;
}

bool FrameAssembler::Next(const uint8_t** frame, uint32_t* bytes, bool* own) {
    if (!buffer_) return false;
    const uint32_t left = inputLength_ - consumed_;
    if (fill_ > 0) {
        // Complete the frame begun by an earlier input first.
        const uint32_t take = std::min(capacity_ - fill_, left);
        memcpy(buffer_ + fill_, input_ + consumed_, take);
        fill_ += take;
        consumed_ += take;
        if (fill_ < capacity_) return false;
        fill_ = 0;
        *frame = buffer_;
        *bytes = capacity_;
        *own = true;
        return true;
    }
    if (left >= capacity_) {
        const uint32_t run = multipleFrames_ ? left / capacity_ * capacity_ : capacity_;
        *frame = input_ + consumed_;
        *bytes = run;
        *own = false;
        consumed_ += run;
        return true;
    }
    if (left > 0) memcpy(buffer_, input_ + consumed_, left);
    fill_ = left;
    consumed_ = inputLength_;
    return false;
}

const uint8_t* FrameAssembler::TakePaddedFrame() {
    if (fill_ == 0) return nullptr;
    memset(buffer_ + fill_, 0, capacity_ - fill_);
    fill_ = 0;
    return buffer_;
}
