#pragma once
// A growing block of bytes (LocalAlloc), grown in steps of whole kilobytes.
#include <windows.h>

class ByteBuffer {
public:
    ByteBuffer() = default;
    ~ByteBuffer();
    ByteBuffer(const ByteBuffer&) = delete;
    ByteBuffer& operator=(const ByteBuffer&) = delete;

    // Appends n bytes; false (and nothing appended) when memory runs out.
    bool Append(const void* data, size_t n);
    const BYTE* Data() const { return start_; }
    size_t Size() const { return position_; }
    size_t Capacity() const { return capacity_; }

private:
    BYTE* start_ = nullptr;
    size_t position_ = 0;
    size_t capacity_ = 0;
};
