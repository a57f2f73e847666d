#pragma once
// Cuts a stream of PCM bytes into whole codec frames for the codecs that work frame by
// frame. A frame is answered straight from the input when it lies there whole; only the
// bytes of a frame split across two inputs are copied into the assembler's own buffer.
#include <cstdint>

class FrameAssembler {
public:
    FrameAssembler() = default;
    ~FrameAssembler();
    FrameAssembler(const FrameAssembler&) = delete;
    FrameAssembler& operator=(const FrameAssembler&) = delete;

    // capacity: bytes in one frame. With multipleFrames, every run of whole frames that the
    // input holds comes out at once. False when the buffer cannot be allocated.
    bool Init(uint32_t capacity, bool multipleFrames);
    // The next input; it must stay valid until Next answers false.
    void SetInput(const uint8_t* data, uint32_t length);
    // The next whole frame (or run of frames): `own` is true when it lies in the
    // assembler's buffer, which stays valid until the next call. False when the input is
    // used up; its tail is kept for the next input.
    bool Next(const uint8_t** frame, uint32_t* bytes, bool* own);
    // Bytes of the frame begun but not completed.
    uint32_t Pending() const { return fill_; }
    // The begun frame, zero-filled to full size, which then counts as taken; null when
    // nothing is pending.
    const uint8_t* TakePaddedFrame();
    uint32_t Capacity() const { return capacity_; }

private:
    uint32_t capacity_ = 0;
    uint8_t* buffer_ = nullptr;
    uint32_t fill_ = 0;
    bool multipleFrames_ = false;
    const uint8_t* input_ = nullptr;
    uint32_t inputLength_ = 0;
    uint32_t consumed_ = 0;
};
