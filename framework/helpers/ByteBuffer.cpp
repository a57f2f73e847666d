#include "ByteBuffer.h"

#include <cstring>

namespace {

constexpr size_t kStep = 1024;

}  // namespace

ByteBuffer::~ByteBuffer() {
    if (start_)
        LocalFree(start_);
}

bool ByteBuffer::Append(const void* data, size_t n) {
    const size_t growth = (n / kStep + 1) * kStep;
    if (!start_) {
        start_ = static_cast<BYTE*>(LocalAlloc(LMEM_ZEROINIT, growth));
        if (!start_)
            return false;
        capacity_ = growth;
    } else if (capacity_ - position_ < n) {
        auto* grown = static_cast<BYTE*>(LocalReAlloc(start_, capacity_ + growth, LMEM_MOVEABLE));
        if (!grown)
            return false;
        start_ = grown;
        capacity_ += growth;
    }
    if (n)
        memcpy(start_ + position_, data, n);
    position_ += n;
    return true;
}
