#pragma once
// Writes fields most significant bit first into a zeroed byte buffer, as MPEG audio frames
// are laid out. Writing past the end is dropped (the caller sizes the buffer for a frame).
#include <cstdint>

class Mp3BitWriter {
public:
    Mp3BitWriter(uint8_t* buffer, int bytes, int startBit = 0) : buffer_(buffer), bits_(bytes * 8), position_(startBit) {}

    // The low `count` bits of value (count 0..32).
    void Put(uint32_t value, int count) {
        for (int i = count - 1; i >= 0; --i) {
            if (position_ >= bits_) return;
            if (value >> i & 1) buffer_[position_ >> 3] |= static_cast<uint8_t>(0x80 >> (position_ & 7));
            ++position_;
        }
    }
    void PutOnes(int count) {
        for (; count > 0; count -= 32) Put(0xFFFFFFFFu, count < 32 ? count : 32);
    }
    int Position() const { return position_; }
    void Seek(int bit) { position_ = bit; }

private:
    uint8_t* buffer_;
    int bits_;
    int position_;
};
